#pragma once

#include "archive/oda_format.h"
#include "host/text_bytes.h"

#include <string>
#include <string_view>

namespace tamsiro {

// Raw archive bytes (tags, names, the magic) as plain text for messages and
// listings: printable ASCII as it is, a backslash doubled, anything else as
// \xNN, so a listing never carries control bytes to a terminal.
inline std::string PrintableBytes(std::string_view raw) {
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
            text += kLowerHexDigits[byte >> 4];
            text += kLowerHexDigits[byte & 0xF];
        }
    }
    return text;
}

inline std::string_view TagBytes(const OdaEntry& entry) { return {reinterpret_cast<const char*>(entry.Tag()), 4}; }

inline std::string TagText(const OdaEntry& entry) { return PrintableBytes(TagBytes(entry)); }
inline std::string NameText(const OdaEntry& entry) { return PrintableBytes(entry.Name()); }

}  // namespace tamsiro
