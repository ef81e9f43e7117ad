#include "ui/win32/tamsiro_app.h"

#include "app/file_system.h"
#include "app/program_folder.h"
#include "ui/win32/tamsiro_dlg.h"

#include <commctrl.h>

namespace tamsiro::win32 {

std::string ApplicationNameOf(const std::string& executablePath) {
    std::string name = executablePath.substr(FolderOf(executablePath).size());
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

BOOL CTamsiroApp::InitInstance() {
    // The manifest asks for the version 6 controls; they must be loaded
    // before the first dialog is created.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    const std::string executable = RunningExecutablePath();
    applicationName_ = ApplicationNameOf(executable);
    if (applicationName_.empty()) applicationName_ = "Tamsiro";
    programFolder_ = ProgramFolderOf(executable);

    CTamsiroDlg dialog(applicationName_, programFolder_);
    dialog.DoModal();
    return FALSE;
}

}  // namespace tamsiro::win32

namespace {
tamsiro::win32::CTamsiroApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance();
    return 0;
}
