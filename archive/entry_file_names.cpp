#include "archive/entry_file_names.h"

#include "host/text_bytes.h"

#include <map>
#include <set>
#include <utility>

namespace tamsiro {

namespace {

constexpr std::size_t kMaxFileNameLength = 150;
// Room IsSafeFileName leaves past the longest made name for a " (n)".
constexpr std::size_t kMaxNumberLength = 16;
constexpr std::string_view kSpecialCharacters = "<>:\"/\\|?*%~";

bool KeepsItsByte(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F && kSpecialCharacters.find(static_cast<char>(byte)) == std::string_view::npos;
}

std::string Escaped(unsigned char byte) { return {'%', kLowerHexDigits[byte >> 4], kLowerHexDigits[byte & 0xF]}; }

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices on Windows in any
// folder, whatever follows the first dot.
bool IsDeviceName(std::string_view fileName) {
    std::string stem = AsciiLower(fileName.substr(0, fileName.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' && stem[3] <= '9';
}

// Inserts " (n)" before the extension: "SND.WAV" -> "SND (2).WAV".
std::string Numbered(const std::string& fileName, int number) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t at = (dot == std::string::npos || dot == 0) ? fileName.size() : dot;
    return fileName.substr(0, at) + " (" + std::to_string(number) + ")" + fileName.substr(at);
}

}  // namespace

std::string EntryFileName(std::string_view entryName) {
    std::string name;
    for (const char c : entryName) {
        const auto byte = static_cast<unsigned char>(c);
        const std::string piece = KeepsItsByte(byte) || byte == ' ' ? std::string(1, c) : Escaped(byte);
        if (name.size() + piece.size() > kMaxFileNameLength) break;  // never inside a %XX
        name += piece;
    }
    // Windows drops trailing dots and spaces, which would also turn "." and
    // ".." into the folder itself and its parent.
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        const auto last = static_cast<unsigned char>(name.back());
        name.pop_back();
        name += Escaped(last);
    }
    if (name.empty()) return "_";
    if (IsDeviceName(name)) name.insert(0, "_");
    return name;
}

std::vector<std::string> EntryFileNames(const std::vector<OdaEntry>& table) {
    std::set<std::string> taken = {AsciiLower(kManifestFileName)};
    // Per name (in lower case), the first number not yet tried: every lower
    // one is taken for good, so a table of one name repeated costs linear
    // time rather than quadratic.
    std::map<std::string, int> nextNumber;
    std::vector<std::string> names;
    names.reserve(table.size());
    for (const OdaEntry& entry : table) {
        const std::string base = EntryFileName(entry.Name());
        std::string name = base;
        if (!taken.insert(AsciiLower(name)).second) {
            int& number = nextNumber.try_emplace(AsciiLower(base), 2).first->second;
            do {
                name = Numbered(base, number++);
            } while (!taken.insert(AsciiLower(name)).second);
        }
        names.push_back(std::move(name));
    }
    return names;
}

bool IsSafeFileName(std::string_view fileName) {
    if (fileName.empty() || fileName.size() > kMaxFileNameLength + kMaxNumberLength) return false;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        // '%' only as the start of an escape the name maker wrote.
        if (!KeepsItsByte(byte) && byte != ' ' && byte != '%') return false;
    }
    if (fileName.back() == '.' || fileName.back() == ' ') return false;
    return !IsDeviceName(fileName) && AsciiLower(fileName) != AsciiLower(kManifestFileName);
}

}  // namespace tamsiro
