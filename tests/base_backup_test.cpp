#include "install/start_sequence.h"
#include "tests/support/full_disk.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;
using BaseBackup = WorkspaceTest;

const std::string kBackingUp =
    "message: Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait";

TEST_F(BaseBackup, FirstRunCopiesTheStickArchiveThenNeverAgain) {
    ASSERT_TRUE(EnsureBaseArchive(workspace.context, workspace.stick));
    EXPECT_EQ(workspace.ui.Messages(), (Messages{kBackingUp, "message: Backup of DYNAUDIO.ODA complete"}));
    EXPECT_EQ(ReadFile(workspace.Program("DATA_BASEMIND3.ODA")),
              ReadFile(workspace.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA")));
    // The base and the first stick's record beside it, nothing else.
    EXPECT_EQ(std::distance(fs::directory_iterator(workspace.programFolder), fs::directory_iterator()), 2);
    EXPECT_TRUE(Exists(workspace.Program("DATA_BASEMIND3.FILES/STICK.JSON")));

    // Later runs reuse it, even when the stick's archive has changed.
    ASSERT_TRUE(samples::WriteText(workspace.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"), "other"));
    workspace.ui.transcript.clear();
    ASSERT_TRUE(EnsureBaseArchive(workspace.context, workspace.stick));
    EXPECT_TRUE(workspace.ui.transcript.empty());
    EXPECT_NE(ReadFile(workspace.Program("DATA_BASEMIND3.ODA")), "other");
}

TEST_F(BaseBackup, AFailedCopyLeavesNoBaseArchiveBehind) {
    // The disk fills up during the copy.
    {
        const test::FullDisk full(100);
        EXPECT_FALSE(EnsureBaseArchive(workspace.context, workspace.stick));
    }
    EXPECT_EQ(workspace.ui.Messages(), (Messages{kBackingUp, "message: Backup of DYNAUDIO.ODA failed"}));
    EXPECT_FALSE(Exists(workspace.Program("DATA_BASEMIND3.ODA")));
    EXPECT_FALSE(Exists(workspace.Program("DATA_BASEMIND3.ODA.partial")));

    // The next run tries again and succeeds.
    workspace.ui.transcript.clear();
    EXPECT_TRUE(EnsureBaseArchive(workspace.context, workspace.stick));
    EXPECT_EQ(workspace.ui.Messages().back(), "message: Backup of DYNAUDIO.ODA complete");
}

TEST_F(BaseBackup, AFolderInTheWayFailsTheBackup) {
    fs::create_directory(workspace.Program("DATA_BASEMIND3.ODA"));
    EXPECT_FALSE(EnsureBaseArchive(workspace.context, workspace.stick));
    EXPECT_EQ(workspace.ui.Messages().back(), "message: Backup of DYNAUDIO.ODA failed");
    EXPECT_FALSE(Exists(workspace.Program("DATA_BASEMIND3.ODA.partial")));
    EXPECT_TRUE(fs::is_empty(workspace.Program("DATA_BASEMIND3.ODA")));
}

}  // namespace
}  // namespace tamsiro::test
