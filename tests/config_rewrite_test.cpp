#include "stick/config_rotation.h"
#include "stick/mode_flags.h"
#include "stick/voice_list.h"
#include "tests/support/full_disk.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

const std::string kVoiceBody =
    "1\n"
    "1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n"
    "#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n";
const std::string kDeletionNote = "# -- AD003000.ODA file deleted to free up space\n";

class ConfigRewrite : public WorkspaceTest {
protected:
    std::string VoiceList(const std::string& stored, bool maleVoiceRemoved = false) {
        samples::WriteText(Cfg("MCUSLIST.CFG"), stored);
        EXPECT_TRUE(RewriteVoiceList(workspace.context, workspace.stick, maleVoiceRemoved)) << stored;
        return ReadFile(Cfg("MCUSLIST.CFG"));
    }
    std::string ModeFlags(const std::string& stored) {
        samples::WriteText(Cfg("MCUS.CFG"), stored);
        EXPECT_TRUE(RewriteModeFlags(workspace.context, workspace.stick)) << stored;
        return ReadFile(Cfg("MCUS.CFG"));
    }
    std::string Cfg(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/P/" + name); }
};

TEST_F(ConfigRewrite, VoiceListNamesTheCustomVoice) {
    const std::string before = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(VoiceList(before),
              Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n" + kVoiceBody + "[SOUND]\n2\n"));
    EXPECT_EQ(ReadFile(Cfg("MCUSLIST.BAK")), before);
    EXPECT_FALSE(Exists(Cfg("MCUSLIST.TMP")));
    EXPECT_TRUE(workspace.ui.transcript.empty());

    // Again, now noting the deleted stock voice: the previous body is replaced whole.
    const std::string once = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(VoiceList(once, true),
              Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n" + kVoiceBody + kDeletionNote + "[SOUND]\n2\n"));
    EXPECT_EQ(ReadFile(Cfg("MCUSLIST.BAK")), once);
    const std::string twice = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(VoiceList(twice, true), twice);
}

TEST_F(ConfigRewrite, VoiceHeadersAreMatchedOnTheirFirstSevenCharacters) {
    EXPECT_EQ(VoiceList("top\n[VOICE] main voices\nold\n[voice]\nx\n[VOICES]\ny\n"),
              Crlf("top\n[VOICE] main voices\n" + kVoiceBody + "[voice]\nx\n[VOICES]\ny\n"));
    // Bare line feeds on disk come back as CR LF.
    EXPECT_EQ(VoiceList("[VOICE]\r\nold\r\n"), Crlf("[VOICE]\n" + kVoiceBody));
    // A header on the last line without a line feed runs into the body.
    EXPECT_EQ(VoiceList("a\n[VOICE]"), Crlf("a\n[VOICE]" + kVoiceBody));
    // Nothing after a Ctrl-Z is read.
    EXPECT_EQ(VoiceList("[VOICE]\nold\n\x1A[VOICE]\n"), Crlf("[VOICE]\n" + kVoiceBody));
}

TEST_F(ConfigRewrite, LongLinesAreHandledPieceByPiece) {
    const std::string longHeader = "[VOICE]" + std::string(300, 'h');
    EXPECT_EQ(VoiceList(longHeader + "\nold\n[END]\n"), Crlf(longHeader.substr(0, 255) + kVoiceBody + "[END]\n"));
    const std::string longLine = std::string(250, 'a') + "[not a header]";
    EXPECT_EQ(VoiceList(longLine + "\n[VOICE]\n"), Crlf(longLine + "\n[VOICE]\n" + kVoiceBody));
}

TEST_F(ConfigRewrite, AVoiceListWithoutExactlyOneVoiceSectionIsLeftAlone) {
    for (const std::string stored : {"[GENERAL]\n1\n", "[VOICE]\n1\n[VOICE]\n2\n", ""}) {
        workspace.ui.transcript.clear();
        samples::WriteText(Cfg("MCUSLIST.CFG"), stored);
        EXPECT_FALSE(RewriteVoiceList(workspace.context, workspace.stick, false));
        EXPECT_EQ(workspace.ui.Messages(), Messages{"message: Error: bad MCUSLIST.CFG format"});
        EXPECT_EQ(ReadFile(Cfg("MCUSLIST.CFG")), stored);
        EXPECT_TRUE(Exists(Cfg("MCUSLIST.TMP")));
        EXPECT_FALSE(Exists(Cfg("MCUSLIST.BAK")));
    }
}

TEST_F(ConfigRewrite, ModeFlagsSwitchToTheCustomVoice) {
    const std::string before = ReadFile(Cfg("MCUS.CFG"));
    EXPECT_EQ(ModeFlags(before), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
    EXPECT_EQ(ReadFile(Cfg("MCUS.BAK")), before);
    const std::string once = ReadFile(Cfg("MCUS.CFG"));
    EXPECT_EQ(ModeFlags(once), once);

    // Only whole lines match: no trailing blank, a line feed required.
    EXPECT_EQ(ModeFlags("1 BASIC \n1 USER\r\n0 VOICE\n1 BASIC"), Crlf("1 BASIC \n0 USER\n1 VOICE\n1 BASIC"));
    EXPECT_EQ(ModeFlags("0 BASIC\n1 VOICE\n0 USER\n\x1A" "1 USER\n"), Crlf("0 BASIC\n1 VOICE\n0 USER\n"));
    EXPECT_EQ(ModeFlags(""), "");
    EXPECT_TRUE(workspace.ui.transcript.empty());
}

TEST_F(ConfigRewrite, FailuresKeepTheStickConfigurationUsable) {
    const std::string modes = ReadFile(Cfg("MCUS.CFG"));

    // Output cannot be created.
    fs::create_directory(Cfg("MCUS.TMP"));
    EXPECT_FALSE(RewriteModeFlags(workspace.context, workspace.stick));
    fs::remove(Cfg("MCUS.TMP"));

    // The disk fills up: the failure shows when the output is closed.
    {
        const test::FullDisk full(1);
        EXPECT_FALSE(RewriteModeFlags(workspace.context, workspace.stick));
    }
    fs::remove(Cfg("MCUS.TMP"));

    // A folder where the backup goes cannot be deleted or renamed over.
    fs::create_directories(Cfg("MCUS.BAK/keep"));
    EXPECT_FALSE(RewriteModeFlags(workspace.context, workspace.stick));
    EXPECT_EQ(ReadFile(Cfg("MCUS.TMP")), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));

    fs::remove(Cfg("MCUS.CFG"));
    EXPECT_FALSE(RewriteModeFlags(workspace.context, workspace.stick));

    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{"message: Error: Can't create new MCUS.CFG file", "message: Error: Failed to write new MCUS.CFG file",
                        "message: Error: Failed to rename files (MCUS.*)", "message: Error: Missing MCUS.CFG file"}));
    EXPECT_FALSE(Exists(Cfg("MCUS.CFG")));
    samples::WriteText(Cfg("MCUS.CFG"), modes);

    workspace.ui.transcript.clear();
    fs::create_directories(Cfg("MCUSLIST.BAK/keep"));
    const std::string voices = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_FALSE(RewriteVoiceList(workspace.context, workspace.stick, false));
    fs::remove(Cfg("MCUSLIST.CFG"));
    EXPECT_FALSE(RewriteVoiceList(workspace.context, workspace.stick, false));
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{"message: Error: Failed to rename files (MCUSLIST.*)", "message: Error: Missing MCUSLIST.CFG file"}));
}

TEST_F(ConfigRewrite, ARotationThatCannotFinishPutsTheOldFileBack) {
    samples::WriteText(Cfg("X.CFG"), "current");
    samples::WriteText(Cfg("X.BAK"), "older");
    // No new file to swap in: the second rename fails.
    EXPECT_FALSE(RotateConfigFiles(Cfg("X.TMP"), Cfg("X.CFG"), Cfg("X.BAK")));
    EXPECT_EQ(ReadFile(Cfg("X.CFG")), "current");
    EXPECT_FALSE(Exists(Cfg("X.BAK")));

    samples::WriteText(Cfg("X.TMP"), "new");
    EXPECT_TRUE(RotateConfigFiles(Cfg("X.TMP"), Cfg("X.CFG"), Cfg("X.BAK")));
    EXPECT_EQ(ReadFile(Cfg("X.CFG")), "new");
    EXPECT_EQ(ReadFile(Cfg("X.BAK")), "current");
    EXPECT_FALSE(Exists(Cfg("X.TMP")));
}

TEST_F(ConfigRewrite, StickFilesAreFoundWithoutRegardToCase) {
    fs::rename(Cfg("MCUS.CFG"), Cfg("mcus.cfg"));
    samples::WriteText(Cfg("mcus.bak"), "old backup");
    EXPECT_TRUE(RewriteModeFlags(workspace.context, workspace.stick));
    EXPECT_EQ(ReadFile(Cfg("mcus.cfg")), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
    EXPECT_FALSE(Exists(Cfg("MCUS.CFG")));
    EXPECT_EQ(ReadFile(Cfg("mcus.bak")), Crlf(samples::kSampleModeFlags));
}

}  // namespace
}  // namespace tamsiro::test
