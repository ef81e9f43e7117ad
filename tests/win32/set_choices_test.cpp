#include "ui/win32/set_choices.h"

#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamsiro::test {
namespace {

using win32::SetChoice;
using SetChoices = WorkspaceTest;

void WriteDataFiles(const Workspace& workspace, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        EXPECT_TRUE(samples::WriteBytes(workspace.Program(name), {'O', 'D', 'A', 'R'})) << name;
    }
}

TEST(SetChoiceRows, OtherSetsAreNamedByTheirGroupInDialogOrder) {
    win32::ExtraSetsPerGroup sets;
    sets[kMainPlace] = {{"Mine", ""}, {"Zeta", ""}};
    sets[kVoicePlace] = {{"Barnaby (1)", ""}};
    sets[kGamesPlace] = {{"Solo", "DATA_G3B_Solo.ODA"}, {"Trio", ""}};
    const struct {
        SetChoice choice;
        std::string text;
    } expected[] = {
        {{kMainPlace, "Mine", "", false}, "Main: Mine"},
        {{kMainPlace, "Zeta", "", false}, "Main: Zeta"},
        {{kVoicePlace, "Barnaby (1)", "", false}, "Talkative Voice: Barnaby (1)"},
        {{kGamesPlace, "Solo", "DATA_G3B_Solo.ODA", true}, "Games: Solo"},
        {{kGamesPlace, "Trio", "", false}, "Games: Trio"},
    };
    const std::vector<SetChoice> choices = win32::ExtraChoicesOf(sets);
    ASSERT_EQ(choices.size(), std::size(expected));
    for (std::size_t i = 0; i < choices.size(); ++i) {
        EXPECT_EQ(choices[i], expected[i].choice) << i;
        EXPECT_EQ(win32::ExtraChoiceText(choices[i]), expected[i].text) << i;
    }
    EXPECT_TRUE(win32::ExtraChoicesOf({}).empty());
}

TEST_F(SetChoices, TheFolderSaysWhichFileEachSetLacks) {
    WriteDataFiles(workspace, {"DATA_V3_Tilda.ODA", "DATA_G3A_Tilda.ODA", "DATA_G3B_Zorbit.ODA",
                               "DATA_G3A_JumpyNoor.ODA", "DATA_G3B_JumpyNoor.ODA"});
    const struct {
        std::size_t place;
        std::string label;
        std::string missingFile;
        bool partlyThere;
    } cases[] = {
        {kVoicePlace, "Tilda", "", false},
        {kGamesPlace, "JumpyNoor", "", false},
        // A lone file of a pair: the row is greyed for the other one.
        {kGamesPlace, "Tilda", "DATA_G3B_Tilda.ODA", true},
        {kGamesPlace, "Zorbit", "DATA_G3A_Zorbit.ODA", true},
        // Nothing of it here: its first file is the one to get.
        {kGamesPlace, "Barnaby", "DATA_G3A_Barnaby.ODA", false},
        {kMainPlace, "Tilda", "DATA_M3_Tilda.ODA", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::RowChoice(workspace.context, c.place, c.label),
                  (SetChoice{c.place, c.label, c.missingFile, c.partlyThere}))
            << c.place << " " << c.label;
    }
}

TEST_F(SetChoices, OtherSetsComeFromTheFolderAsTheirFilesSpellThem) {
    WriteDataFiles(workspace, {"DATA_M3_Tilda.ODA", "DATA_M3_Mine.ODA", "DATA_V3_Barnaby (1).ODA", "DATA_G3A_Solo.ODA",
                               "README.txt"});
    const std::vector<SetChoice> expected = {
        {kMainPlace, "Mine", "", false},
        {kVoicePlace, "Barnaby (1)", "", false},
        {kGamesPlace, "Solo", "DATA_G3B_Solo.ODA", true},
    };
    EXPECT_EQ(win32::ExtraChoices(workspace.context), expected);
}

TEST(SetChoiceRows, TheMissingLineNamesTheSetsPartlyThere) {
    const SetChoice solo{kGamesPlace, "Solo", "DATA_G3B_Solo.ODA", true};
    const SetChoice tilda{kGamesPlace, "Tilda", "DATA_G3A_Tilda.ODA", true};
    const SetChoice zorbit{kMainPlace, "Zorbit", "DATA_M3_Zorbit.ODA", false};
    const struct {
        std::vector<SetChoice> greyed;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{zorbit}, ""},
        {{zorbit, solo}, "Missing: DATA_G3B_Solo.ODA (Games: Solo)"},
        {{tilda, zorbit, solo}, "Missing: DATA_G3A_Tilda.ODA (Games: Tilda), DATA_G3B_Solo.ODA (Games: Solo)"},
    };
    for (const auto& c : cases) EXPECT_EQ(win32::MissingFilesLine(c.greyed), c.line) << c.greyed.size();

    // Pointed at, every greyed row names its file.
    EXPECT_EQ(win32::MissingFileLine(zorbit), "Missing: DATA_M3_Zorbit.ODA (Main: Zorbit)");
    EXPECT_EQ(win32::MissingFileLine(solo), "Missing: DATA_G3B_Solo.ODA (Games: Solo)");
}

TEST(SetChoiceRows, TheStatusLineNamesTheStickAndWhatItHolds) {
    const struct {
        std::string root;
        std::string line;
    } roots[] = {
        {"E:\\", "Memory stick: E:\\"},
        {"Z:\\work\\stick\\", "Memory stick: Z:\\work\\stick"},
        {"/media/ana/STICK/", "Memory stick: /media/ana/STICK"},
        {"/", "Memory stick: /"},
        {"E:\\Clé", "Memory stick: E:\\Clé"},
    };
    for (const auto& r : roots) EXPECT_EQ(win32::StickRootLine(r.root), r.line) << r.root;
    EXPECT_EQ(win32::StickWordsLine({"Mine", "stock", "none"}, " \u00b7 "),
              "Main: Mine \u00b7 Voice: stock \u00b7 Games: none");
}

TEST(SetChoiceRows, AnOtherSetTakesItsGroupsPlaceInTheSelection) {
    const SaveSelection rows = SelectionOfRows({.main = 0, .voice = 5, .games = 1});
    ASSERT_TRUE(rows.voiceOffersMaleVoiceRemoval);
    const struct {
        std::string name;
        std::vector<SetChoice> checked;
        std::optional<std::string> main, voice, games;
        bool maleVoice;
    } cases[] = {
        {"none", {}, "Tilda", "MiniTilda", "JumpyNoor", true},
        {"main", {{kMainPlace, "Mine", "", false}}, "Mine", "MiniTilda", "JumpyNoor", true},
        // The male voice goes with the sixth voice row only.
        {"voice", {{kVoicePlace, "Barnaby (1)", "", false}}, "Tilda", "Barnaby (1)", "JumpyNoor", false},
        {"all",
         {{kMainPlace, "Mine", "", false}, {kVoicePlace, "V", "", false}, {kGamesPlace, "Trio", "", false}},
         "Mine",
         "V",
         "Trio",
         false},
    };
    for (const auto& c : cases) {
        const SaveSelection selection = win32::WithExtraChoices(rows, c.checked);
        EXPECT_EQ(selection.main, c.main) << c.name;
        EXPECT_EQ(selection.voice, c.voice) << c.name;
        EXPECT_EQ(selection.games, c.games) << c.name;
        EXPECT_EQ(selection.voiceOffersMaleVoiceRemoval, c.maleVoice) << c.name;
    }
    // A group left out stays out when another group's set is taken.
    const SaveSelection mainOnly = win32::WithExtraChoices(SaveSelection{}, {{kMainPlace, "Mine", "", false}});
    EXPECT_EQ(mainOnly.main, "Mine");
    EXPECT_FALSE(mainOnly.voice.has_value());
    EXPECT_FALSE(mainOnly.games.has_value());
}

}  // namespace
}  // namespace tamsiro::test
