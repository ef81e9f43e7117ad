// What the space rule decides, in numbers as a FAT stick would report them,
// and a stick file that cannot be read while the transaction keeps it.
#include "app/app_context.h"
#include "host/file_change_hook.h"
#include "install/save_command.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/stock_stick.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

// A FAT16 stick's cluster, and sizes that are not a whole number of them.
constexpr std::uint64_t kCluster = 16 * 1024;
constexpr std::uint64_t kOldArchive = 240 * 1024 + 100;  // 16 clusters
constexpr std::uint64_t kNewArchive = 250 * 1024 + 7;    // 16 clusters
constexpr std::uint64_t kMaleVoice = 3 * 1024 * 1024;    // 192 clusters
constexpr std::uint64_t kVoice = 3 * 1024 * 1024 + 1;    // 193 clusters

std::uint64_t Clusters(std::uint64_t bytes) { return (bytes + kCluster - 1) / kCluster * kCluster; }

SpaceStep Replace(std::uint64_t newSize, std::uint64_t oldSize) { return {{{newSize, oldSize, false}}, false}; }
SpaceStep Remove(std::uint64_t oldSize) { return {{{0, oldSize, true}}, false}; }

struct SpaceCase {
    const char* name;
    std::vector<SpaceStep> steps;
    std::uint64_t freeBytes;
    std::uint64_t missingBytes;
    std::vector<bool> beside;
};

TEST(SpaceRule, DecidesBesideOrInPlaceOrRefuses) {
    const SpaceStep archive = Replace(kNewArchive, kOldArchive);
    const SpaceStep voice = Replace(kVoice, 0);
    const std::vector<SpaceCase> cases = {
        {"room for both", {archive}, Clusters(kNewArchive), 0, {true}},
        {"room for one", {archive}, Clusters(kNewArchive) - kCluster, 0, {false}},
        {"room for one, one cluster short", {Replace(kNewArchive + kCluster, kOldArchive)}, 0, kCluster, {false}},
        {"room for one, exactly", {Replace(kNewArchive + kCluster, kOldArchive)}, kCluster, 0, {false}},
        // The voice fits only once the male voice is gone before it.
        {"only without the male voice",
         {Remove(kMaleVoice), voice},
         Clusters(kVoice) - Clusters(kMaleVoice),
         0,
         {true, true}},
        {"the male voice kept", {voice}, Clusters(kVoice) - Clusters(kMaleVoice), Clusters(kMaleVoice), {false}},
        {"the male voice removed last frees too late",
         {voice, Remove(kMaleVoice)},
         Clusters(kVoice) - Clusters(kMaleVoice),
         Clusters(kMaleVoice),
         {false, true}},
        {"one cluster short",
         {archive, voice},
         Clusters(kNewArchive) + Clusters(kVoice) - Clusters(kOldArchive) - kCluster,
         kCluster,
         {true, false}},
        {"exactly enough",
         {archive, voice},
         Clusters(kNewArchive) + Clusters(kVoice) - Clusters(kOldArchive),
         0,
         {true, true}},
        // A byte over a cluster costs a whole one.
        {"a byte needs a cluster", {Replace(1, 0)}, kCluster - 1, 1, {false}},
        // Configuration files cannot go in place: the rotation needs both.
        {"a rotation without room beside", {{{{600, 500, false}}, true}}, kCluster - 1, 1, {false}},
    };
    for (const SpaceCase& c : cases) {
        const SpacePlan plan = PlanSpace(c.steps, c.freeBytes, kCluster);
        EXPECT_EQ(plan.missingBytes, c.missingBytes) << c.name;
        EXPECT_EQ(plan.Fits(), c.missingBytes == 0) << c.name;
        EXPECT_EQ(plan.beside, c.beside) << c.name;
    }
}

// A Save whose keep step cannot read one of the sound files it touches
// stops before the stick changes and names the file; a later Save
// succeeds. (The configuration files are read when the Save is planned.)
// The sound archive, set aside on a stick with room for both, is never
// read: the Save goes on and leaves nothing set aside.
TEST(FailedReadWhileKeeping, StopsBeforeTheStickChangesAndNamesTheFile) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"AD013001.ODA", false}, {"AD013008.ODA", false}, {"ad003000.oda", false}, {"DYNAUDIO.ODA", true}};
    for (const auto& [name, saves] : cases) {
        Workspace w({.stick = {.soundEntries = 40}, .sets = {{0}, {5}, {0}}, .stock = true});
        ASSERT_EQ(w.Problem(), "");
        ASSERT_TRUE(w.CopyBaseFromStick());
        const Tree stock = ReadTree(w.stickFolder);
        const SaveSelection selection = SelectionOfRows({.main = 0, .voice = kMaleVoiceRemovalRow, .games = 0});
        w.ui.answers = {true, true, true};
        {
            const FailingRead unreadable(name);
            EXPECT_EQ(Save(w.context, w.stick, selection), saves) << name;
        }
        if (saves) {
            const Tree saved = ReadTree(w.stickFolder);
            EXPECT_NE(FileIn(saved, "OPEN-R/MW/DATA/P/DYNAUDIO.ODA"), FileIn(stock, "OPEN-R/MW/DATA/P/DYNAUDIO.ODA"));
            EXPECT_FALSE(
                std::any_of(saved.begin(), saved.end(), [](const auto& file) { return file.first.ends_with(".PRV"); }));
            continue;
        }
        const std::vector<std::string> messages = w.ui.Messages();
        const std::string expected = "message: Could not read " + std::string(name) +
                                     " on the memory stick\nThe device reported an error on " + std::string(name) +
                                     "\nNothing was changed";
        EXPECT_NE(std::find(messages.begin(), messages.end(), expected), messages.end())
            << name << ": " << ::testing::PrintToString(messages);
        EXPECT_EQ(Differences(ReadTree(w.stickFolder), stock), std::vector<std::string>{}) << name;
        // Nothing half-kept: every stock record there is is the stock file.
        EXPECT_EQ(BrokenInvariants(ReadTree(w.stickFolder), ReadTree(w.programFolder), stock, stock, stock),
                  std::vector<std::string>{})
            << name;

        w.ui.answers = {true, true, true};
        EXPECT_TRUE(Save(w.context, w.stick, selection)) << name;
    }
}

}  // namespace
}  // namespace tamsiro::test
