#include "install/save_command.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

const std::string kMaleVoiceQuestion =
    "ask(yes): Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)";
const std::string kFewerParts = "ask(no): You didn't select all three parts\nShould I install fewer parts?";

// A stick that has passed the start checks, with a base archive and every
// sound set in the program folder.
class SaveCommand : public WorkspaceTest {
protected:
    SaveCommand()
        : WorkspaceTest(
              {.sets = {.main = {0, 1, 2, 3, 4, 5}, .voice = {0, 1, 2, 3, 4, 5}, .games = {0, 1, 2, 3, 4, 5}}}) {}

    void SetUp() override {
        ASSERT_TRUE(workspace.CopyBaseFromStick());
        stickArchive = ReadFile(P("DYNAUDIO.ODA"));
        voiceList = ReadFile(P("MCUSLIST.CFG"));
        modeFlags = ReadFile(P("MCUS.CFG"));
        maleVoice = ReadFile(E("ad003000.oda"));
    }

    std::string P(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/P/" + name); }
    std::string E(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/E/" + name); }
    std::string Data(const std::string& name) const { return ReadFile(workspace.Program(name)); }

    void ExpectConfigurationUntouched() const {
        EXPECT_EQ(ReadFile(P("MCUSLIST.CFG")), voiceList);
        EXPECT_EQ(ReadFile(P("MCUS.CFG")), modeFlags);
        EXPECT_FALSE(Exists(P("MCUSLIST.BAK")));
        EXPECT_FALSE(Exists(P("MCUS.BAK")));
    }
    void ExpectDialogStaysOpen() const {
        EXPECT_FALSE(workspace.ui.endedWith.has_value());
        EXPECT_FALSE(workspace.ui.busyShown);
    }

    std::string stickArchive, voiceList, modeFlags, maleVoice;
    // The rows checked in the dialog when Save is pressed.
    SaveSelection checked;
};

TEST_F(SaveCommand, InstallsAllThreeGroupsWithoutAskingFirst) {
    checked = SelectionOfRows({.main = 0, .voice = 5, .games = 1});
    workspace.ui.answers = {true};
    OnSave(workspace.context, workspace.stick, checked);

    EXPECT_EQ(workspace.ui.Messages(), (Messages{kMaleVoiceQuestion, "message: New audio saved"}));
    EXPECT_EQ(workspace.ui.endedWith, DialogResult::Ok);
    EXPECT_FALSE(workspace.ui.busyShown);

    EXPECT_NE(ReadFile(P("DYNAUDIO.ODA")), stickArchive);
    EXPECT_FALSE(Exists(workspace.Program("TMP.ODA")));
    EXPECT_EQ(ReadFile(P("AD013001.ODA")), Data("DATA_G3A_JumpyNoor.ODA"));
    EXPECT_EQ(ReadFile(P("AD013008.ODA")), Data("DATA_G3B_JumpyNoor.ODA"));
    EXPECT_EQ(ReadFile(P("CUSVOICE.ODA")), Data("DATA_V3_MiniTilda.ODA"));
    EXPECT_FALSE(Exists(E("ad003000.oda")));
    EXPECT_EQ(
        ReadFile(P("MCUSLIST.CFG")),
        Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n1\n1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n"
             "#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n# -- AD003000.ODA file deleted to free up space\n[SOUND]\n2\n"));
    EXPECT_EQ(ReadFile(P("MCUS.CFG")), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
    EXPECT_EQ(ReadFile(P("MCUSLIST.BAK")), voiceList);
    EXPECT_EQ(ReadFile(P("MCUS.BAK")), modeFlags);
}

TEST_F(SaveCommand, NothingSelectedAsksForASelection) {
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), Messages{"message: Please select something"});
    ExpectDialogStaysOpen();
    EXPECT_EQ(ReadFile(P("DYNAUDIO.ODA")), stickArchive);
}

TEST_F(SaveCommand, APartialSelectionNeedsAYes) {
    checked = SelectionOfRows({.main = 0});
    workspace.ui.answers = {false};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), Messages{kFewerParts});
    ExpectDialogStaysOpen();
    EXPECT_EQ(ReadFile(P("DYNAUDIO.ODA")), stickArchive);

    // Main alone never touches the configuration files.
    workspace.ui.transcript.clear();
    workspace.ui.answers = {true};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), (Messages{kFewerParts, "message: New audio saved"}));
    EXPECT_NE(ReadFile(P("DYNAUDIO.ODA")), stickArchive);
    ExpectConfigurationUntouched();
    EXPECT_FALSE(Exists(P("AD013001.ODA")));
}

TEST_F(SaveCommand, OnlyTheSixthVoiceRowOffersToDeleteTheMaleVoice) {
    checked = SelectionOfRows({.voice = 3});
    workspace.ui.answers = {true};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), (Messages{kFewerParts, "message: New audio saved"}));
    EXPECT_EQ(ReadFile(P("CUSVOICE.ODA")), Data("DATA_V3_Barnaby.ODA"));
    EXPECT_EQ(ReadFile(E("ad003000.oda")), maleVoice);
    EXPECT_EQ(ReadFile(P("DYNAUDIO.ODA")), stickArchive);
    EXPECT_EQ(ReadFile(P("MCUS.CFG")), Crlf("# modes\n0 BASIC\n1 VOICE\n0 USER\n1 DANCE\n"));
}

TEST_F(SaveCommand, KeepingTheMaleVoiceStillCommentsItOut) {
    checked = SelectionOfRows({.voice = 5});
    workspace.ui.answers = {true, false};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), (Messages{kFewerParts, kMaleVoiceQuestion, "message: New audio saved"}));
    EXPECT_EQ(ReadFile(E("ad003000.oda")), maleVoice);
    EXPECT_EQ(ReadFile(P("MCUSLIST.CFG")),
              Crlf("# voice list\n[GENERAL]\n1\n[VOICE]\n1\n1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n"
                   "#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n[SOUND]\n2\n"));
}

TEST_F(SaveCommand, AMaleVoiceAlreadyGoneIsNotAnError) {
    fs::remove(E("ad003000.oda"));
    checked = SelectionOfRows({.voice = 5});
    workspace.ui.answers = {true, true};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages().back(), "message: New audio saved");
    EXPECT_NE(ReadFile(P("MCUSLIST.CFG")).find("# -- AD003000.ODA file deleted to free up space\r\n"),
              std::string::npos);
}

TEST_F(SaveCommand, AFailedGamesCopyUndoesTheWholeSave) {
    fs::create_directory(P("AD013001.ODA"));
    checked = SelectionOfRows({.main = 0, .voice = 0, .games = 2});
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), (Messages{"message: Could not copy game#1 audio to memory stick\n"
                                                 "AD013001.ODA is not a regular file",
                                                 "message: The memory stick was put back as it was"}));
    EXPECT_EQ(workspace.ui.busyAtMessage, (std::vector<bool>{true, true}));
    ExpectDialogStaysOpen();
    EXPECT_EQ(ReadFile(P("DYNAUDIO.ODA")), stickArchive);  // the Main set, already in place, is undone
    EXPECT_FALSE(Exists(P("CUSVOICE.ODA")));
    ExpectConfigurationUntouched();

    // The user picks again and saves: the second game file fails this time.
    fs::remove(P("AD013001.ODA"));
    fs::create_directory(P("AD013008.ODA"));
    workspace.ui.transcript.clear();
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(), (Messages{"message: Could not copy game#8 audio to memory stick\n"
                                                 "AD013008.ODA is not a regular file",
                                                 "message: The memory stick was put back as it was"}));
    // The pair changes together or not at all.
    EXPECT_FALSE(Exists(P("AD013001.ODA")));
    EXPECT_FALSE(Exists(P("CUSVOICE.ODA")));
    ExpectDialogStaysOpen();
}

TEST_F(SaveCommand, AFailedVoiceCopyKeepsTheMaleVoice) {
    fs::create_directory(P("CUSVOICE.ODA"));
    checked = SelectionOfRows({.voice = 5});
    workspace.ui.answers = {true, true};
    OnSave(workspace.context, workspace.stick, checked);
    // Everything is asked before the stick changes.
    EXPECT_EQ(
        workspace.ui.Messages(),
        (Messages{kFewerParts, kMaleVoiceQuestion,
                  "message: Could not copy user voice audio to memory stick\nCUSVOICE.ODA is not a regular file"}));
    EXPECT_EQ(ReadFile(E("ad003000.oda")), maleVoice);
    ExpectConfigurationUntouched();
    ExpectDialogStaysOpen();
}

TEST_F(SaveCommand, AConfigurationThatCannotBeSwitchedIsNoSuccess) {
    fs::remove(P("MCUSLIST.CFG"));
    checked = SelectionOfRows({.main = 0, .voice = 1, .games = 0});
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{"message: Error: Missing MCUSLIST.CFG file", "message: Warning: CFG files not updated fully",
                        "message: The new sounds are on the memory stick, but the voice settings were not changed\n"
                        "The robot keeps using its old voice, and the male voice was kept"}));
    EXPECT_EQ(workspace.ui.busyAtMessage, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(ReadFile(P("MCUS.CFG")), modeFlags);
    ExpectDialogStaysOpen();
    EXPECT_FALSE(workspace.ui.busyShown);
}

TEST_F(SaveCommand, ADataFileRemovedAfterTheScanFailsItsStep) {
    fs::remove(workspace.Program("DATA_V3_Zorbit.ODA"));
    fs::remove(workspace.Program("DATA_M3_Zorbit.ODA"));
    checked = SelectionOfRows({.voice = 4});
    workspace.ui.answers = {true};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{kFewerParts, "message: Could not copy user voice audio to memory stick\n" +
                                         workspace.Program("DATA_V3_Zorbit.ODA") + " is missing"}));
    EXPECT_FALSE(Exists(P("CUSVOICE.ODA")));

    workspace.ui.transcript.clear();
    checked = SelectionOfRows({.main = 4, .games = 0});
    workspace.ui.answers = {true};
    OnSave(workspace.context, workspace.stick, checked);
    EXPECT_EQ(workspace.ui.Messages(),
              (Messages{kFewerParts, "message: Failed to open source .ODA file (1)\nNot Saved"}));
    EXPECT_FALSE(Exists(P("AD013001.ODA")));
    EXPECT_EQ(ReadFile(P("DYNAUDIO.ODA")), stickArchive);
    ExpectDialogStaysOpen();
}

TEST_F(SaveCommand, AnswersGivenUpFrontAreShownInsteadOfAsked) {
    const std::string fewerParts = "You didn't select all three parts\nShould I install fewer parts?";
    const std::string maleVoiceQuestion =
        "Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)";
    const GivenAnswer yes{true, "named"};
    const GivenAnswer no{false, "named"};
    const struct {
        const char* what;
        CheckedRows rows;
        std::optional<GivenAnswer> fewerPartsAnswer;
        std::optional<GivenAnswer> maleVoiceAnswer;
        Messages messages;
        bool maleVoiceStays;
    } cases[] = {
        {"fewer parts, Yes",
         {.main = 0},
         yes,
         std::nullopt,
         {"given(yes): " + fewerParts, "message: New audio saved"},
         true},
        {"fewer parts, No", {.main = 0}, no, std::nullopt, {"given(no): " + fewerParts}, true},
        {"male voice, No",
         {.voice = 5},
         yes,
         no,
         {"given(yes): " + fewerParts, "given(no): " + maleVoiceQuestion, "message: New audio saved"},
         true},
        {"male voice, Yes",
         {.main = 1, .voice = 5, .games = 2},
         std::nullopt,
         yes,
         {"given(yes): " + maleVoiceQuestion, "message: New audio saved"},
         false},
        // An answer to a question that never comes up is not shown.
        {"all three groups", {.main = 1, .voice = 2, .games = 2}, no, yes, {"message: New audio saved"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(samples::WriteText(E("ad003000.oda"), maleVoice));
        workspace.ui.transcript.clear();
        workspace.ui.endedWith.reset();
        checked = SelectionOfRows(c.rows);
        checked.installFewerParts = c.fewerPartsAnswer;
        checked.removeMaleVoice = c.maleVoiceAnswer;
        OnSave(workspace.context, workspace.stick, checked);
        EXPECT_EQ(workspace.ui.Messages(), c.messages);
        EXPECT_EQ(workspace.ui.endedWith.has_value(), c.messages.back() == "message: New audio saved");
        EXPECT_EQ(Exists(E("ad003000.oda")), c.maleVoiceStays);
    }
}

}  // namespace
}  // namespace tamsiro::test
