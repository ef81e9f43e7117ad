#include "app/text_file.h"

#include <cstdio>

namespace tamsiro {

namespace {
constexpr int kCtrlZ = 0x1A;
}

bool TextReader::Open(const std::string& path) {
    ended_ = false;
    pending_ = -1;
    return file_.Open(path, BinaryFile::Mode::Read);
}

int TextReader::NextChar() {
    if (ended_) return EOF;
    int c;
    if (pending_ >= 0) {
        c = pending_;
        pending_ = -1;
    } else {
        c = std::fgetc(file_.Handle());
    }
    if (c == EOF || c == kCtrlZ) {
        ended_ = true;
        return EOF;
    }
    if (c == '\r') {
        const int next = std::fgetc(file_.Handle());
        if (next == '\n') return '\n';
        if (next != EOF) pending_ = next;
    }
    return c;
}

bool TextReader::ReadPiece(std::string& piece) {
    piece.clear();
    if (!file_.IsOpen()) return false;
    while (piece.size() < kMaxPiece) {
        const int c = NextChar();
        if (c == EOF) break;
        piece.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    return !piece.empty();
}

bool TextWriter::Create(const std::string& path) { return file_.Open(path, BinaryFile::Mode::Write); }

void TextWriter::Write(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            file_.WriteExactly(text.data() + start, text.size() - start);
            return;
        }
        file_.WriteExactly(text.data() + start, lf - start);
        file_.WriteExactly("\r\n", 2);
        start = lf + 1;
    }
}

bool TextWriter::Close() { return file_.Close(); }

}  // namespace tamsiro
