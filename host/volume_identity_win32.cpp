#include "host/volume_identity.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace tamsiro {

std::optional<std::string> FatVolumeSerialOf(const std::string& path) {
    const std::wstring wide = std::filesystem::path(std::filesystem::u8path(path)).wstring();
    wchar_t volume[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(wide.c_str(), volume, MAX_PATH)) return std::nullopt;
    DWORD serial = 0;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(volume, nullptr, 0, &serial, nullptr, nullptr, fileSystem, MAX_PATH))
        return std::nullopt;
    const std::string name = std::filesystem::path(fileSystem).string();
    if (!IsFatFileSystem(name)) return std::nullopt;
    char text[10];
    std::snprintf(text, sizeof text, "%04lX-%04lX", static_cast<unsigned long>(serial >> 16),
                  static_cast<unsigned long>(serial & 0xFFFF));
    return std::string(text);
}

}  // namespace tamsiro
