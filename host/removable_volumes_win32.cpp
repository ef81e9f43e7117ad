#include "host/removable_volumes.h"

#include <windows.h>

namespace tamsiro {

namespace {

// An empty card reader must not pop up "There is no disk in the drive"
// while the drives are looked at.
class QuietDriveErrors {
public:
    QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
    ~QuietDriveErrors() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

}  // namespace

std::vector<std::string> CandidateVolumeRoots() {
    const QuietDriveErrors quiet;
    std::vector<std::string> roots;
    const DWORD drives = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (DWORD{1} << letter)) == 0) continue;
        const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
        if (::GetDriveTypeA(root.c_str()) != DRIVE_REMOVABLE) continue;
        // Only drives with a medium in them.
        if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) continue;
        roots.push_back(root);
    }
    return roots;
}

}  // namespace tamsiro
