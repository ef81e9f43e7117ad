#include "ui/win32/tamsiro_app.h"

#include "host/file_system.h"
#include "host/program_folder.h"
#include "ui/ui_texts.h"
#include "ui/win32/tamsiro_dlg.h"

#include <commctrl.h>

#include <exception>
#include <new>
#include <string>

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
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    const std::string executable = RunningExecutablePath();
    if (executable.empty()) {
        // Without its folder the backup and the work files would land at the
        // root of the current drive.
        ::MessageBoxA(nullptr, TAMSIRO_PROGRAM_FOLDER_UNKNOWN, TAMSIRO_APPLICATION_NAME, MB_ICONWARNING | MB_OK);
        return FALSE;
    }
    applicationName_ = ApplicationNameOf(executable);
    if (applicationName_.empty()) applicationName_ = TAMSIRO_APPLICATION_NAME;
    programFolder_ = ProgramFolderOf(executable);

    // The one place where an exception nobody expected ends up: the user
    // is told ("Internal error: ...") instead of the program aborting.
    std::string internalError;
    try {
        CTamsiroDlg dialog(applicationName_, programFolder_);
        dialog.DoModal();
    } catch (const std::bad_alloc&) {
        internalError = "out of memory";
    } catch (const std::exception& error) {
        internalError = error.what();
    } catch (...) {
        internalError = "an unknown exception";
    }
    if (!internalError.empty()) {
        ::MessageBoxA(nullptr, ("Internal error: " + internalError).c_str(), applicationName_.c_str(),
                      MB_ICONERROR | MB_OK);
    }
    return FALSE;
}

void LoadDllsFromSystemFolderOnly() {
    // Looked up rather than imported: a Windows 7 without its 2011 loader
    // update lacks it and would refuse to start the program. kernel32 is
    // always loaded, so the look-up loads nothing.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const FARPROC found = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (!found) return;
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace tamsiro::win32

namespace {
tamsiro::win32::CTamsiroApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // First of all: a DLL planted beside the program (say, in a downloads
    // folder) must never be loaded in place of the system's.
    tamsiro::win32::LoadDllsFromSystemFolderOnly();
    theApp.InitInstance();
    return 0;
}
