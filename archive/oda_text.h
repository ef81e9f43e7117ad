#pragma once

#include "archive/oda_format.h"

#include <string>
#include <string_view>

namespace tamsiro {

// Raw archive bytes (tags, names, the magic) as plain text for messages and
// listings: printable ASCII as it is, a backslash doubled, anything else as
// \xNN, so a listing never carries control bytes to a terminal.
inline std::string PrintableBytes(std::string_view raw) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
    }
    return text;
}

// Raw bytes as lower-case hex, two digits a byte.
inline std::string HexText(std::string_view raw) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(raw.size() * 2);
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0xF];
    }
    return hex;
}

inline std::string_view TagBytes(const OdaEntry& entry) { return {reinterpret_cast<const char*>(entry.Tag()), 4}; }

inline std::string TagText(const OdaEntry& entry) { return PrintableBytes(TagBytes(entry)); }
inline std::string NameText(const OdaEntry& entry) { return PrintableBytes(entry.Name()); }

}  // namespace tamsiro
