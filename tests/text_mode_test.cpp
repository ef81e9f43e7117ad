#include "host/text_mode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamsiro {
namespace {

using Lines = std::vector<std::string>;

// The stored bytes as the configuration rewrites see them.
Lines Pieces(const std::string& stored) {
    const std::string decoded = DecodeTextMode(stored);
    Lines pieces;
    for (const std::string_view piece : LinePieces(decoded)) pieces.emplace_back(piece);
    return pieces;
}

TEST(TextMode, ReadsLikeWindowsTextMode) {
    EXPECT_EQ(Pieces("a\r\nb\nc"), (Lines{"a\n", "b\n", "c"}));
    EXPECT_EQ(Pieces("lone\rcr\r\n"), (Lines{"lone\rcr\n"}));
    EXPECT_EQ(Pieces("a\r\r\n"), (Lines{"a\r\n"}));
    EXPECT_EQ(Pieces("end\r"), (Lines{"end\r"}));
    EXPECT_EQ(Pieces("a\r\nb\x1A"
                     "after\r\n"),
              (Lines{"a\n", "b"}));
    EXPECT_EQ(Pieces("\x1A"
                     "hidden"),
              Lines{});
    EXPECT_EQ(Pieces(""), Lines{});
    EXPECT_EQ(Pieces(std::string("nul\0byte\n", 9)), (Lines{std::string("nul\0byte\n", 9)}));
}

TEST(TextMode, SplitsLongLinesIn255CharacterPieces) {
    const std::string longLine(300, 'x');
    EXPECT_EQ(Pieces(longLine + "\r\nnext\r\n"), (Lines{std::string(255, 'x'), std::string(45, 'x') + "\n", "next\n"}));
    // A line of exactly 255 characters leaves its line feed as a piece of its own.
    EXPECT_EQ(Pieces(std::string(255, 'y') + "\n"), (Lines{std::string(255, 'y'), "\n"}));
    EXPECT_EQ(Pieces(std::string(254, 'z') + "\r\n"), (Lines{std::string(254, 'z') + "\n"}));
}

TEST(TextMode, WritesLineFeedsAsCrLf) {
    EXPECT_EQ(EncodeTextMode("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(EncodeTextMode("no final"), "no final");
    EXPECT_EQ(EncodeTextMode("cr\rstays\n\n"), "cr\rstays\r\n\r\n");
    EXPECT_EQ(EncodeTextMode(""), "");
}

}  // namespace
}  // namespace tamsiro
