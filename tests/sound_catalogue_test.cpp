#include "catalogue/sound_catalogue.h"
#include "install/save_command.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>

namespace tamsiro::test {
namespace {

using SoundCatalogue = WorkspaceTest;
using Row = std::pair<std::size_t, int>;

std::set<Row> AvailableOf(const RowAvailability& rows) {
    std::set<Row> available;
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            if (rows.IsAvailable(place, row)) available.insert({place, row});
        }
    }
    return available;
}

TEST_F(SoundCatalogue, ARowsTextNamesItsDataFileUpToTheFirstBlank) {
    const struct {
        std::string rowText;
        const char* prefix;
        std::string fileName;
    } cases[] = {
        {kRowLabels[5], "M3", "DATA_M3_MiniTilda.ODA"},
        {kRowLabels[4], "G3B", "DATA_G3B_Zorbit.ODA"},
        // Only a blank cuts the label, and only the first 63 characters are read.
        {"Tab\tName here", "V3", "DATA_V3_Tab\tName.ODA"},
        {std::string(70, 'n'), "V3", "DATA_V3_" + std::string(63, 'n') + ".ODA"},
        {" leading", "V3", "DATA_V3_.ODA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rowText);
        EXPECT_EQ(workspace.context.DataFilePath(DataFileName(c.prefix, FileLabelOf(c.rowText))),
                  workspace.Program(c.fileName));
    }
}

TEST_F(SoundCatalogue, TheCheckedRowsSelectTheSetsTheirLabelsName) {
    const RowFileLabels catalogue = CatalogueFileLabels();
    RowFileLabels shown = catalogue;
    shown[kVoicePlace][5] = "Tiny";
    shown[kVoicePlace][1] = "MiniTilda";
    const struct {
        const char* what;
        CheckedRows checked;
        const RowFileLabels& labels;
        SaveSelection expected;
    } cases[] = {
        {"nothing", {}, catalogue, {}},
        {"one of each",
         {.main = 0, .voice = 2, .games = 5},
         catalogue,
         {.main = "Tilda", .games = "MiniTilda", .voice = "SqueakyIda"}},
        {"the sixth voice", {.voice = 5}, catalogue, {.voice = "MiniTilda", .voiceOffersMaleVoiceRemoval = true}},
        {"the sixth voice under another label",
         {.voice = 5},
         shown,
         {.voice = "Tiny", .voiceOffersMaleVoiceRemoval = true}},
        {"the 32 MB label on another row", {.voice = 1}, shown, {.voice = "MiniTilda"}},
        {"the sixth Main row", {.main = 5}, catalogue, {.main = "MiniTilda"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SaveSelection selection = SelectionOfRows(c.checked, c.labels);
        EXPECT_EQ(selection.main, c.expected.main);
        EXPECT_EQ(selection.games, c.expected.games);
        EXPECT_EQ(selection.voice, c.expected.voice);
        EXPECT_EQ(selection.voiceOffersMaleVoiceRemoval, c.expected.voiceOffersMaleVoiceRemoval);
        EXPECT_FALSE(selection.installFewerParts.has_value());
        EXPECT_FALSE(selection.removeMaleVoice.has_value());
    }
}

TEST_F(SoundCatalogue, AvailableRowsAreTheRowsWhoseFilesAreThere) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0, 2}, .voice = {5}, .games = {1}}));
    // A Games choice needs both of its files.
    samples::WriteText(workspace.Program("DATA_G3A_Tilda.ODA"), "x");
    samples::WriteText(workspace.Program("DATA_G3B_Zorbit.ODA"), "x");
    // A folder named like a data file is not a data file.
    std::filesystem::create_directory(workspace.Program("DATA_M3_Barnaby.ODA"));
    // Names are found without regard to case.
    samples::WriteText(workspace.Program("data_v3_zorbit.oda"), "x");

    const RowAvailability rows = AvailableRows(workspace.context);
    EXPECT_EQ(rows.Count(), 5);
    EXPECT_EQ(AvailableOf(rows),
              (std::set<Row>{{kMainPlace, 0}, {kMainPlace, 2}, {kVoicePlace, 5}, {kVoicePlace, 4}, {kGamesPlace, 1}}));

    // A front end whose rows read otherwise offers the sets its labels name.
    RowFileLabels shown = CatalogueFileLabels();
    shown[kMainPlace][0] = "Other";
    shown[kMainPlace][3] = "SqueakyIda";
    EXPECT_EQ(AvailableOf(AvailableRows(workspace.context, shown)),
              (std::set<Row>{{kMainPlace, 2}, {kMainPlace, 3}, {kVoicePlace, 5}, {kVoicePlace, 4}, {kGamesPlace, 1}}));
}

TEST_F(SoundCatalogue, AvailableRowsCountASingleChoiceInAnyCategory) {
    EXPECT_EQ(AvailableRows(workspace.context).Count(), 0);
    EXPECT_TRUE(AvailableOf(AvailableRows(workspace.context)).empty());

    ASSERT_TRUE(workspace.AddSoundSets({.voice = {5}}));
    const RowAvailability rows = AvailableRows(workspace.context);
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(AvailableOf(rows), (std::set<Row>{{kVoicePlace, 5}}));
}

}  // namespace
}  // namespace tamsiro::test
