#include "app/file_system.h"
#include "stick/stick_selection.h"
#include "stick/version_file.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::testing {
namespace {

namespace fs = std::filesystem;
using samples::VersionFields;
using Messages = std::vector<std::string>;

VersionVerdict Check(const VersionFields& fields) {
    TempFolder folder;
    samples::WriteBytes(folder / "VERSION", samples::VersionFileBytes(fields));
    return CheckVersionFile(folder / "VERSION");
}

VersionVerdict CheckBytes(std::vector<unsigned char> bytes) {
    TempFolder folder;
    samples::WriteBytes(folder / "VERSION", bytes);
    return CheckVersionFile(folder / "VERSION");
}

TEST(VersionFile, AcceptsOnlyAiboMind3English) {
    EXPECT_EQ(Check({}), VersionVerdict::AiboMind3English);
    EXPECT_EQ(Check({.comment = ""}), VersionVerdict::AiboMind3English);
    EXPECT_EQ(Check({.generation = 2}), VersionVerdict::NotGeneration3);
    EXPECT_EQ(Check({.language = 1}), VersionVerdict::NotEnglish);
    EXPECT_EQ(Check({.languageBlock = false}), VersionVerdict::BadLanguageBlock);
    EXPECT_EQ(Check({.languageTag = "CNCX"}), VersionVerdict::BadLanguageBlock);
    EXPECT_EQ(Check({.languageBlockLength = 8}), VersionVerdict::BadLanguageBlock);
    // The generation is checked before the language block.
    EXPECT_EQ(Check({.generation = 2, .languageBlock = false}), VersionVerdict::NotGeneration3);
}

TEST(VersionFile, RejectsAnythingElseAsNotAiboMind) {
    for (const VersionFields& fields : {
             VersionFields{.leadingTag = "VERZ"},
             VersionFields{.formatVersion = 2},
             VersionFields{.commentTag = "COMM"},
             VersionFields{.versionTag = "VERX"},
             VersionFields{.versionBlockLength = 12},
             VersionFields{.versionWord = 0x00600100},
             VersionFields{.overrideCommentLength = true, .commentLength = -1},
             VersionFields{.overrideCommentLength = true, .commentLength = INT32_MIN},
             VersionFields{.overrideCommentLength = true, .commentLength = INT32_MAX},
             VersionFields{.overrideCommentLength = true, .commentLength = 1000},
             VersionFields{.overrideCommentLength = true, .commentLength = 3},
         }) {
        EXPECT_EQ(Check(fields), VersionVerdict::NotAiboMind);
    }
    EXPECT_EQ(CheckBytes({}), VersionVerdict::NotAiboMind);
    EXPECT_EQ(CheckBytes({'V', 'E', 'R', 'S', 1, 0, 0}), VersionVerdict::NotAiboMind);
    TempFolder folder;
    EXPECT_EQ(CheckVersionFile(folder / "missing"), VersionVerdict::NotAiboMind);
    EXPECT_EQ(CheckVersionFile(folder.Str()), VersionVerdict::NotAiboMind);
}

TEST(SelectStick, CancelEndsWithoutAMessage) {
    Workspace workspace;
    EXPECT_FALSE(SelectStick(workspace.context));
    EXPECT_EQ(workspace.ui.transcript, Messages{"prompt"});
}

TEST(SelectStick, AsksAgainUntilAGoodStickIsChosen) {
    Workspace workspace;
    TempFolder noMarker;
    samples::WriteText(noMarker / "other.ind", "");
    TempFolder wrongVersion;
    samples::WriteSampleStick(wrongVersion.Str(), {.version = {.language = 7}});
    TempFolder noArchive;
    samples::WriteSampleStick(noArchive.Str(), {.withSoundArchive = false});
    TempFolder noTree;
    samples::WriteText(noTree / "memstick.ind", "");

    workspace.ui.markers = {noMarker / "other.ind", wrongVersion / "memstick.ind", noArchive / "memstick.ind",
                            noTree / "memstick.ind", "relative-name-only.ind",
                            // Only the folder counts: any file beside the marker will do.
                            workspace.Stick("notes.ind")};
    samples::WriteText(workspace.Stick("notes.ind"), "");

    ASSERT_TRUE(SelectStick(workspace.context));
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{"message: Not AiboMind Engish", "message: Bad AiboMind3 stick\nMissing DYNAUDIO.ODA",
                        "message: Not AiboMind"}));
    EXPECT_EQ(workspace.ui.transcript.size(), 9u);  // six prompts, three messages
    EXPECT_EQ(fs::canonical(CurrentDirectory()), fs::canonical(workspace.stickFolder));
}

TEST(SelectStick, AcceptsAStickWithUpperCaseNames) {
    Workspace workspace({.upperCaseNames = true});
    workspace.ui.markers = {workspace.Stick("MEMSTICK.IND")};
    EXPECT_TRUE(SelectStick(workspace.context));
    EXPECT_TRUE(workspace.ui.Messages().empty());
}

TEST(SelectStick, AMarkerThatIsAFolderDoesNotCount) {
    Workspace workspace({.withMarker = false});
    fs::create_directory(workspace.Stick("memstick.ind"));
    workspace.QueueStickMarker();
    EXPECT_FALSE(SelectStick(workspace.context));
    EXPECT_EQ(workspace.ui.transcript, (Messages{"prompt", "prompt"}));
}

}  // namespace
}  // namespace tamsiro::testing
