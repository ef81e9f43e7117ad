#include "install/stick_selection.h"
#include "host/file_system.h"
#include "stick/version_file.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using samples::VersionFields;
using Messages = std::vector<std::string>;
using SelectStickTest = WorkspaceTest;

struct UpperCaseStick : WorkspaceTest {
    UpperCaseStick() : WorkspaceTest({.stick = {.upperCaseNames = true}}) {}
};
struct StickWithoutMarker : WorkspaceTest {
    StickWithoutMarker() : WorkspaceTest({.stick = {.withMarker = false}}) {}
};

VersionVerdict Check(const VersionFields& fields) {
    const std::vector<unsigned char> bytes = samples::VersionFileBytes(fields);
    return CheckVersionBytes(std::string(bytes.begin(), bytes.end()));
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
    EXPECT_EQ(CheckVersionBytes(""), VersionVerdict::NotAiboMind);
    EXPECT_EQ(CheckVersionBytes(std::string("VERS\1\0\0", 7)), VersionVerdict::NotAiboMind);
    TempFolder folder;
    EXPECT_EQ(CheckVersionFile(folder / "missing"), VersionVerdict::NotAiboMind);
    EXPECT_EQ(CheckVersionFile(folder.Str()), VersionVerdict::NotAiboMind);
}

TEST_F(SelectStickTest, CancelEndsWithoutAMessage) {
    EXPECT_FALSE(SelectStick(workspace.context));
    EXPECT_EQ(workspace.ui.transcript, Messages{"prompt"});
}

TEST_F(SelectStickTest, AsksAgainUntilAGoodStickIsChosen) {
    const std::string noMarker = workspace.root / "no-marker";
    const std::string noTree = workspace.root / "no-tree";
    const std::string wrongVersion = workspace.root / "wrong-version";
    const std::string noArchive = workspace.root / "no-archive";
    fs::create_directories(noMarker);
    fs::create_directories(noTree);
    ASSERT_TRUE(samples::WriteText(noMarker + "/other.ind", ""));
    ASSERT_TRUE(samples::WriteText(noTree + "/memstick.ind", ""));
    ASSERT_TRUE(samples::WriteSampleStick(wrongVersion, {.version = {.language = 7}}));
    ASSERT_TRUE(samples::WriteSampleStick(noArchive, {.withSoundArchive = false}));
    // Only the folder counts: any file beside the marker will do.
    ASSERT_TRUE(samples::WriteText(workspace.OnStick("notes.ind"), ""));

    workspace.ui.markers = {noMarker + "/other.ind",  wrongVersion + "/memstick.ind", noArchive + "/memstick.ind",
                            noTree + "/memstick.ind", "relative-name-only.ind",       workspace.OnStick("notes.ind")};
    const std::optional<Stick> stick = SelectStick(workspace.context);
    ASSERT_TRUE(stick);
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{"message: Not AiboMind Engish", "message: Bad AiboMind3 stick\nMissing DYNAUDIO.ODA",
                        "message: Not AiboMind"}));
    EXPECT_EQ(workspace.ui.transcript.size(), 9u);  // six prompts, three messages
    EXPECT_TRUE(fs::equivalent(stick->Root(), workspace.stickFolder));
}

TEST_F(UpperCaseStick, StickPathsFindEveryComponentWithoutRegardToCase) {
    fs::rename(workspace.OnStick("OPEN-R/MW/DATA"), workspace.OnStick("OPEN-R/MW/data"));
    const Stick& stick = workspace.stick;
    EXPECT_EQ(stick.Path("OPEN-R\\MW\\DATA\\E\\ad003000.oda"), workspace.OnStick("OPEN-R/MW/data/E/AD003000.ODA"));
    EXPECT_EQ(stick.Path("memstick.ind"), workspace.OnStick("MEMSTICK.IND"));
    // New files keep their literal names, in the folder that exists.
    EXPECT_EQ(stick.Path("OPEN-R\\MW\\DATA\\P\\MCUSLIST.TMP"), workspace.OnStick("OPEN-R/MW/data/P/MCUSLIST.TMP"));
    EXPECT_EQ(stick.Path("OPEN-R\\NEW\\X.BAK"), workspace.OnStick("OPEN-R/NEW/X.BAK"));
}

TEST_F(UpperCaseStick, SelectStickAcceptsIt) {
    workspace.ui.markers = {workspace.OnStick("MEMSTICK.IND")};
    EXPECT_TRUE(SelectStick(workspace.context));
    EXPECT_TRUE(workspace.ui.Messages().empty());
}

TEST_F(StickWithoutMarker, AMarkerThatIsAFolderDoesNotCount) {
    fs::create_directory(workspace.OnStick("memstick.ind"));
    workspace.QueueStickMarker();
    EXPECT_FALSE(SelectStick(workspace.context));
    EXPECT_EQ(workspace.ui.transcript, (Messages{"prompt", "prompt"}));
}

}  // namespace
}  // namespace tamsiro::test
