#include "host/text_mode.h"

namespace tamsiro {

namespace {
constexpr char kCtrlZ = 0x1A;
}

std::string DecodeTextMode(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == kCtrlZ) break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;  // the LF follows
        text.push_back(c);
    }
    return text;
}

std::string EncodeTextMode(std::string_view text) {
    std::string raw;
    raw.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') raw.push_back('\r');
        raw.push_back(c);
    }
    return raw;
}

std::vector<std::string_view> LinePieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        if (end - start > kMaxLinePiece) end = start + kMaxLinePiece;
        pieces.push_back(text.substr(start, end - start));
        start = end;
    }
    return pieces;
}

}  // namespace tamsiro
