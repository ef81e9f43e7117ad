#pragma once

#include <windows.h>

#include <string>

namespace tamsiro::win32 {

// The application object: works out where it runs and what it is called,
// runs the selection dialog once and ends.
class CTamsiroApp {
public:
    // Always FALSE: the program ends when the dialog closes, whatever the
    // dialog returned.
    BOOL InitInstance();

    const std::string& ApplicationName() const { return applicationName_; }
    const std::string& ProgramFolder() const { return programFolder_; }

private:
    std::string applicationName_;
    std::string programFolder_;
};

// Every DLL loaded from now on comes from the system folder only, never
// from the program's folder or the current one.
void LoadDllsFromSystemFolderOnly();

// "Tamsiro" for "C:\Sounds\Tamsiro.exe": the file name without extension.
std::string ApplicationNameOf(const std::string& executablePath);

}  // namespace tamsiro::win32
