#pragma once

#include "app/binary_file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tamsiro {

// Reads a configuration file the way the stick's files have always been
// read on Windows in text mode, identically on every host: CR LF becomes
// LF, a lone CR passes through, and a Ctrl-Z byte ends the input.
class TextReader {
public:
    // A 256-byte line buffer holds 255 characters and the terminator.
    static constexpr std::size_t kMaxPiece = 255;

    bool Open(const std::string& path);

    // Next piece of at most kMaxPiece characters, ending after the first LF
    // when one comes in time (fgets with a 256-byte buffer). False at the
    // end of the input.
    bool ReadPiece(std::string& piece);

    void Close() { file_.Close(); }

private:
    int NextChar();

    BinaryFile file_;
    bool ended_ = false;
    int pending_ = -1;
};

// Writes text the way Windows text mode does on every host: each LF goes
// out as CR LF, every other byte unchanged.
class TextWriter {
public:
    bool Create(const std::string& path);
    void Write(std::string_view text);
    // False when any write or the final flush failed.
    bool Close();

private:
    BinaryFile file_;
};

}  // namespace tamsiro
