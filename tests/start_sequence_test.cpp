#include "install/start_sequence.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

namespace tamsiro::test {
namespace {

using Messages = std::vector<std::string>;
using StartSequence = WorkspaceTest;

TEST_F(StartSequence, CancellingTheChooserEndsQuietly) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0}}));
    EXPECT_FALSE(RunStartSequence(workspace.context).has_value());
    EXPECT_EQ(workspace.ui.transcript, Messages{"prompt"});
    EXPECT_EQ(workspace.ui.endedWith, DialogResult::Cancel);
    EXPECT_FALSE(Exists(workspace.Program("DATA_BASEMIND3.ODA")));
}

TEST_F(StartSequence, WithoutDataFilesTheBackupIsStillMadeBeforeGivingUp) {
    workspace.QueueStickMarker();
    EXPECT_FALSE(RunStartSequence(workspace.context).has_value());
    EXPECT_EQ(workspace.ui.Messages(), (Messages{"message: Warning: backing up DYNAUDIO.ODA from memory stick\nWill "
                                                 "take 30 seconds to a minute, please wait",
                                                 "message: Backup of DYNAUDIO.ODA complete",
                                                 "message: No M3 Audio installed - please download some\nDATA_*.ODA "
                                                 "files must be in same folder as program"}));
    EXPECT_EQ(workspace.ui.endedWith, DialogResult::Cancel);
    EXPECT_TRUE(Exists(workspace.Program("DATA_BASEMIND3.ODA")));
}

TEST_F(StartSequence, AFailedBackupEndsTheDialog) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0}}));
    workspace.QueueStickMarker();
    // A folder in the way of the backup copy: the disk cannot take it.
    std::filesystem::create_directory(workspace.Program("DATA_BASEMIND3.ODA.partial"));
    EXPECT_FALSE(RunStartSequence(workspace.context).has_value());
    const Messages messages = workspace.ui.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1], "message: Backup of DYNAUDIO.ODA failed");
    EXPECT_EQ(messages[2], "message: Can't continue without base archive");
    EXPECT_EQ(workspace.ui.endedWith, DialogResult::Cancel);
}

TEST_F(StartSequence, AGoodStartOffersTheAvailableChoices) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0, 1}, .voice = {5}, .games = {1}}));
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    workspace.QueueStickMarker();
    const std::optional<DialogStart> start = RunStartSequence(workspace.context);
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(workspace.ui.transcript, Messages{"prompt"});
    EXPECT_FALSE(workspace.ui.endedWith.has_value());
    EXPECT_EQ(start->rows.Count(), 4);
    EXPECT_TRUE(start->rows.IsAvailable(kVoicePlace, 5));
    EXPECT_TRUE(start->rows.IsAvailable(kGamesPlace, 1));
}

TEST_F(StartSequence, AFolderWithOnlyItsOwnSetStillOpensTheDialog) {
    ASSERT_TRUE(workspace.AddSoundSets({.main = {0}}));
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    for (const auto& entry : std::filesystem::directory_iterator(workspace.Program(""))) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("DATA_M3_")) {
            std::filesystem::rename(entry.path(), workspace.Program("DATA_M3_Mine.ODA"));
        }
    }
    workspace.QueueStickMarker();
    const std::optional<DialogStart> start = RunStartSequence(workspace.context);
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->rows.Count(), 0);
    EXPECT_EQ(workspace.ui.transcript, Messages{"prompt"});
}

}  // namespace
}  // namespace tamsiro::test
