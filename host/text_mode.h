#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

// The stick's configuration files have always been read and written in
// Windows text mode; these give the same result on every host.

// Reading: CR LF becomes LF, a lone CR passes through, and a Ctrl-Z byte
// ends the input as if the file ended there.
std::string DecodeTextMode(std::string_view raw);

// Writing: each LF goes out as CR LF, every other byte unchanged.
std::string EncodeTextMode(std::string_view text);

// A line buffer of 256 bytes holds 255 characters and the terminator.
inline constexpr std::size_t kMaxLinePiece = 255;

// The decoded text as a line reader with that buffer sees it: pieces of at
// most kMaxLinePiece characters, each ending after the first LF that comes
// in time. A long line is therefore several pieces.
std::vector<std::string_view> LinePieces(std::string_view text);

}  // namespace tamsiro
