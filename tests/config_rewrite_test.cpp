#include "install/save_command.h"
#include "stick/config_rotation.h"
#include "stick/mode_flags.h"
#include "stick/voice_list.h"
#include "tests/support/full_disk.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
    ConfigRewrite() : WorkspaceTest({.sets = {.voice = {0}}}) {}

    // The planned file, written over the stored one as a Save would.
    std::string VoiceList(const std::string& stored, bool maleVoiceRemoved = false) {
        samples::WriteText(Cfg("MCUSLIST.CFG"), stored);
        const PlannedConfig planned = PlanVoiceList(workspace.stick, maleVoiceRemoved);
        EXPECT_EQ(planned.problem, ConfigProblem::None) << stored;
        samples::WriteText(Cfg("MCUSLIST.CFG"), planned.bytes);
        return planned.bytes;
    }
    std::string ModeFlags(const std::string& stored) {
        samples::WriteText(Cfg("MCUS.CFG"), stored);
        const PlannedConfig planned = PlanModeFlags(workspace.stick);
        EXPECT_EQ(planned.problem, ConfigProblem::None) << stored;
        samples::WriteText(Cfg("MCUS.CFG"), planned.bytes);
        return planned.bytes;
    }
    bool SaveVoice() {
        workspace.ui.answers = {true};
        return Save(workspace.context, workspace.stick, {.voice = "Tilda"});
    }
    std::string Cfg(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/P/" + name); }
};

TEST_F(ConfigRewrite, VoiceListNamesTheCustomVoice) {
    const std::string before = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(VoiceList(before), Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n" + kVoiceBody + "[SOUND]\n2\n"));

    // Again, now noting the deleted stock voice: the previous body is replaced whole.
    const std::string once = ReadFile(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(VoiceList(once, true),
              Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n" + kVoiceBody + kDeletionNote + "[SOUND]\n2\n"));
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

TEST_F(ConfigRewrite, AVoiceListWithoutExactlyOneVoiceSectionIsBadlyFormed) {
    for (const std::string stored : {"[GENERAL]\n1\n", "[VOICE]\n1\n[VOICE]\n2\n", ""}) {
        samples::WriteText(Cfg("MCUSLIST.CFG"), stored);
        EXPECT_EQ(PlanVoiceList(workspace.stick, false).problem, ConfigProblem::BadFormat) << stored;
    }
    fs::remove(Cfg("MCUSLIST.CFG"));
    EXPECT_EQ(PlanVoiceList(workspace.stick, false).problem, ConfigProblem::Missing);
}

TEST_F(ConfigRewrite, ModeFlagsSwitchToTheCustomVoice) {
    const std::string before = ReadFile(Cfg("MCUS.CFG"));
    EXPECT_EQ(ModeFlags(before), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
    const std::string once = ReadFile(Cfg("MCUS.CFG"));
    EXPECT_EQ(ModeFlags(once), once);

    // Only whole lines match: no trailing blank, a line feed required.
    EXPECT_EQ(ModeFlags("1 BASIC \n1 USER\r\n0 VOICE\n1 BASIC"), Crlf("1 BASIC \n0 USER\n1 VOICE\n1 BASIC"));
    EXPECT_EQ(ModeFlags("0 BASIC\n1 VOICE\n0 USER\n\x1A"
                        "1 USER\n"),
              Crlf("0 BASIC\n1 VOICE\n0 USER\n"));
    EXPECT_EQ(ModeFlags(""), "");
}

// A configuration that cannot be switched leaves both files as they were
// (never one switched without the other), keeps the male voice, and the
// Save does not call itself a success.
TEST_F(ConfigRewrite, ASwitchThatFailsLeavesBothFilesAndIsNoSuccess) {
    const std::string kFewer = "ask(no): You didn't select all three parts\nShould I install fewer parts?";
    const std::string kWarning = "message: Warning: CFG files not updated fully";
    const std::string kNotSwitched =
        "message: The new sounds are on the memory stick, but the voice settings were not changed\n"
        "The robot keeps using its old voice, and the male voice was kept";
    struct Case {
        const char* name;
        std::function<void(Workspace&)> prepare;
        std::string error;
    };
    auto at = [](const Workspace& w, const std::string& name) { return w.OnStick("OPEN-R/MW/DATA/P/" + name); };
    const std::vector<Case> cases = {
        {"the new file cannot be created", [&](Workspace& w) { fs::create_directory(at(w, "MCUS.TMP")); },
         "message: Error: Can't create new MCUS.CFG file"},
        {"the backup cannot be replaced", [&](Workspace& w) { fs::create_directories(at(w, "MCUS.BAK/keep")); },
         "message: Error: Failed to rename files (MCUS.*)"},
        {"the voice list's backup cannot be replaced",
         [&](Workspace& w) { fs::create_directories(at(w, "MCUSLIST.BAK/keep")); },
         "message: Error: Failed to rename files (MCUSLIST.*)"},
        {"the mode file is missing", [&](Workspace& w) { fs::remove(at(w, "MCUS.CFG")); },
         "message: Error: Missing MCUS.CFG file"},
        {"the voice list is badly formed",
         [&](Workspace& w) { samples::WriteText(at(w, "MCUSLIST.CFG"), "[VOICE]\n[VOICE]\n"); },
         "message: Error: bad MCUSLIST.CFG format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace w({.sets = {.voice = {0}}});
        ASSERT_EQ(w.Problem(), "");
        ASSERT_TRUE(w.CopyBaseFromStick());
        c.prepare(w);
        const std::string voices = Exists(at(w, "MCUSLIST.CFG")) ? ReadFile(at(w, "MCUSLIST.CFG")) : "";
        const std::string modes = Exists(at(w, "MCUS.CFG")) ? ReadFile(at(w, "MCUS.CFG")) : "";
        w.ui.answers = {true};
        EXPECT_FALSE(Save(w.context, w.stick, {.voice = "Tilda"}));
        EXPECT_EQ(w.ui.Messages(), (Messages{kFewer, c.error, kWarning, kNotSwitched}));
        EXPECT_EQ(Exists(at(w, "MCUSLIST.CFG")) ? ReadFile(at(w, "MCUSLIST.CFG")) : "", voices);
        EXPECT_EQ(Exists(at(w, "MCUS.CFG")) ? ReadFile(at(w, "MCUS.CFG")) : "", modes);
        EXPECT_FALSE(Exists(at(w, "MCUSLIST.TMP")));
        EXPECT_TRUE(Exists(at(w, "CUSVOICE.ODA")));
    }
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
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    EXPECT_TRUE(SaveVoice());
    EXPECT_EQ(ReadFile(Cfg("mcus.cfg")), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
    EXPECT_FALSE(Exists(Cfg("MCUS.CFG")));
    EXPECT_EQ(ReadFile(Cfg("mcus.bak")), Crlf(samples::kSampleModeFlags));
}

}  // namespace
}  // namespace tamsiro::test
