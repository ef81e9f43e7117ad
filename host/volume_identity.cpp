#include "host/volume_identity.h"

#include "host/little_endian.h"
#include "host/text_bytes.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

namespace tamsiro {

namespace {

// mountinfo writes a space, tab, newline or backslash in a path as \ooo.
std::string Unescaped(std::string_view field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool LiesUnder(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/") return !path.empty() && path.front() == '/';
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::optional<std::string> FatSerialOfBootSector(std::string_view sector) {
    if (sector.size() < 512 || static_cast<unsigned char>(sector[510]) != 0x55 ||
        static_cast<unsigned char>(sector[511]) != 0xAA) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(sector.data());
    const bool fat32 = bytes[0x16] == 0 && bytes[0x17] == 0;
    const std::size_t signature = fat32 ? 0x42 : 0x26;
    if (bytes[signature] != 0x29) return std::nullopt;
    const std::uint32_t serial = LoadLe32(bytes + signature + 1);
    char text[10];
    std::snprintf(text, sizeof text, "%04X-%04X", static_cast<unsigned>(serial >> 16),
                  static_cast<unsigned>(serial & 0xFFFF));
    return std::string(text);
}

std::optional<MountOfPath> FindMountOf(std::string_view mountInfo, std::string_view path) {
    std::optional<MountOfPath> best;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::istringstream fields(line);
        std::vector<std::string> before;
        std::string field;
        while (fields >> field && field != "-") before.push_back(field);
        std::string type;
        std::string source;
        if (before.size() < 5 || !(fields >> type >> source)) continue;
        const std::string mountPoint = Unescaped(before[4]);
        if (!LiesUnder(path, mountPoint)) continue;
        if (best && mountPoint.size() < best->mountPoint.size()) continue;
        best = MountOfPath{mountPoint, type, Unescaped(source)};
    }
    return best;
}

bool IsFatFileSystem(std::string_view name) {
    const std::string lower = AsciiLower(name);
    return lower == "vfat" || lower == "msdos" || lower == "fat" || lower == "fat12" || lower == "fat16" ||
           lower == "fat32" || lower == "exfat";
}

}  // namespace tamsiro
