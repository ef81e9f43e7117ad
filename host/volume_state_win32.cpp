// Windows pieces of the volume state.
#include "host/volume_state.h"
#include "host/file_system.h"
#include "host/volume_identity.h"

#include <windows.h>

#include <array>

namespace tamsiro {

const HostFamily kHostFamily = HostFamily::Windows;

std::optional<bool> VolumeIsReadOnly(const std::string& folder) {
    std::array<char, MAX_PATH + 1> volume{};
    if (!::GetVolumePathNameA(folder.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return std::nullopt;
    DWORD flags = 0;
    if (!::GetVolumeInformationA(volume.data(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return std::nullopt;
    }
    return (flags & FILE_READ_ONLY_VOLUME) != 0;
}

bool IsOnFatVolume(const std::string& path) {
    std::array<char, MAX_PATH + 1> volume{};
    std::array<char, MAX_PATH + 1> fileSystem{};
    if (!::GetVolumePathNameA(path.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return false;
    if (!::GetVolumeInformationA(volume.data(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem.data(),
                                 static_cast<DWORD>(fileSystem.size()))) {
        return false;
    }
    return IsFatFileSystem(fileSystem.data()) && !EqualIgnoringAsciiCase(fileSystem.data(), "exfat");
}

// Folders report no size here, so the clusters cannot be accounted for.
std::optional<ClusterAccount> FatClusterAccount(const std::string&) { return std::nullopt; }

std::optional<VolumeMount> MountOfVolume(const std::string&) { return std::nullopt; }

}  // namespace tamsiro
