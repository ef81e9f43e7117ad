#include "catalogue/sound_catalogue.h"
#include "install/dialog_selection.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

using SoundCatalogue = WorkspaceTest;

TEST_F(SoundCatalogue, DataFileForDerivesTheFileNameFromTheControlsLabel) {
    EXPECT_EQ(DataFileFor(workspace.context, 1016, "M3"), workspace.Program("DATA_M3_MiniTilda.ODA"));
    EXPECT_EQ(DataFileFor(workspace.context, 1035, "G3B"), workspace.Program("DATA_G3B_Zorbit.ODA"));
    // Only a blank cuts the label, and only the first 63 characters are read.
    workspace.ui.controlTexts[1012] = "Tab\tName here";
    EXPECT_EQ(DataFileFor(workspace.context, 1012, "V3"), workspace.Program("DATA_V3_Tab\tName.ODA"));
    workspace.ui.controlTexts[1013] = std::string(70, 'n');
    EXPECT_EQ(DataFileFor(workspace.context, 1013, "V3"), workspace.Program("DATA_V3_" + std::string(63, 'n') + ".ODA"));
    workspace.ui.controlTexts[1014] = " leading";
    EXPECT_EQ(DataFileFor(workspace.context, 1014, "V3"), workspace.Program("DATA_V3_.ODA"));
}

TEST_F(SoundCatalogue, SelectionOfReturnsTheFirstCheckedButtonOfTheGroup) {
    EXPECT_EQ(SelectionOf(workspace.context, 1011, 1016), 0);
    workspace.ui.checked = {1025, 1023, 1031};
    EXPECT_EQ(SelectionOf(workspace.context, 1021, 1026), 1023);
    EXPECT_EQ(SelectionOf(workspace.context, 1031, 1036), 1031);
    EXPECT_EQ(SelectionOf(workspace.context, 1011, 1016), 0);
}

TEST_F(SoundCatalogue, ScanAvailabilityDisablesEveryChoiceWhoseFilesAreMissing) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0, 2}, .voice = {5}, .games = {1}}));
    // A Games choice needs both of its files.
    samples::WriteText(workspace.Program("DATA_G3A_Tilda.ODA"), "x");
    samples::WriteText(workspace.Program("DATA_G3B_Zorbit.ODA"), "x");
    // A folder named like a data file is not a data file.
    std::filesystem::create_directory(workspace.Program("DATA_M3_Barnaby.ODA"));
    // Names are found without regard to case.
    samples::WriteText(workspace.Program("data_v3_zorbit.oda"), "x");

    EXPECT_EQ(ScanAvailability(workspace.context), 5);
    std::set<int> expectedDisabled;
    for (const SoundCategory& category : kCategoriesInDialogOrder) {
        for (int id = category.firstId; id <= category.LastId(); ++id) expectedDisabled.insert(id);
    }
    for (int id : {1011, 1013, 1026, 1025, 1032}) expectedDisabled.erase(id);
    EXPECT_EQ(workspace.ui.disabled, expectedDisabled);
}

TEST_F(SoundCatalogue, ScanAvailabilityCountsASingleChoiceInAnyCategory) {
    EXPECT_EQ(ScanAvailability(workspace.context), 0);
    EXPECT_EQ(workspace.ui.disabled.size(), 18u);

    ASSERT_TRUE(workspace.AddSoundSets({.voice = {5}}));
    workspace.ui.disabled.clear();
    EXPECT_EQ(ScanAvailability(workspace.context), 1);
    EXPECT_EQ(workspace.ui.disabled.count(1026), 0u);
    EXPECT_EQ(workspace.ui.disabled.size(), 17u);
}

}  // namespace
}  // namespace tamsiro::test
