#include "app/text_file.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::testing {
namespace {

std::vector<std::string> Pieces(const std::string& bytes) {
    TempFolder folder;
    samples::WriteText(folder / "in", bytes);
    TextReader reader;
    EXPECT_TRUE(reader.Open(folder / "in"));
    std::vector<std::string> pieces;
    std::string piece;
    while (reader.ReadPiece(piece)) pieces.push_back(piece);
    return pieces;
}

std::string Written(const std::string& text) {
    TempFolder folder;
    TextWriter writer;
    EXPECT_TRUE(writer.Create(folder / "out"));
    writer.Write(text);
    EXPECT_TRUE(writer.Close());
    return ReadFile(folder / "out");
}

using Lines = std::vector<std::string>;

TEST(TextReader, ReadsLikeWindowsTextMode) {
    EXPECT_EQ(Pieces("a\r\nb\nc"), (Lines{"a\n", "b\n", "c"}));
    EXPECT_EQ(Pieces("lone\rcr\r\n"), (Lines{"lone\rcr\n"}));
    EXPECT_EQ(Pieces("a\r\r\n"), (Lines{"a\r\n"}));
    EXPECT_EQ(Pieces("end\r"), (Lines{"end\r"}));
    EXPECT_EQ(Pieces("a\r\nb\x1A" "after\r\n"), (Lines{"a\n", "b"}));
    EXPECT_EQ(Pieces("\x1A" "hidden"), Lines{});
    EXPECT_EQ(Pieces(""), Lines{});
    EXPECT_EQ(Pieces(std::string("nul\0byte\n", 9)), (Lines{std::string("nul\0byte\n", 9)}));
}

TEST(TextReader, SplitsLongLinesIn255CharacterPieces) {
    const std::string longLine(300, 'x');
    EXPECT_EQ(Pieces(longLine + "\r\nnext\r\n"),
              (Lines{std::string(255, 'x'), std::string(45, 'x') + "\n", "next\n"}));
    // A line of exactly 255 characters leaves its line feed as a piece of its own.
    EXPECT_EQ(Pieces(std::string(255, 'y') + "\n"), (Lines{std::string(255, 'y'), "\n"}));
    EXPECT_EQ(Pieces(std::string(254, 'z') + "\r\n"), (Lines{std::string(254, 'z') + "\n"}));
}

TEST(TextWriter, WritesLineFeedsAsCrLf) {
    EXPECT_EQ(Written("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(Written("no final"), "no final");
    EXPECT_EQ(Written("cr\rstays\n\n"), "cr\rstays\r\n\r\n");
    EXPECT_EQ(Written(""), "");
}

TEST(TextWriter, ReportsAFailedFlushOnClose) {
    TempFolder folder;
    std::filesystem::create_symlink("/dev/full", folder / "full");
    TextWriter writer;
    ASSERT_TRUE(writer.Create(folder / "full"));
    writer.Write("1 VOICE\n");
    EXPECT_FALSE(writer.Close());

    std::filesystem::create_directory(folder / "dir");
    EXPECT_FALSE(writer.Create(folder / "dir"));
}

}  // namespace
}  // namespace tamsiro::testing
