// A Save reports one whole: its stages numbered in order, one bar whose
// bytes only grow and never pass the total, and the progress window up from
// the first step to the last.
#include "app/progress.h"
#include "install/save_command.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <regex>

namespace tamsiro::test {
namespace {

class ProgressLog : public ScriptedUi {
public:
    std::vector<ProgressReport> reports;
    int ended = 0;
    void ShowProgress(const ProgressReport& report) override { reports.push_back(report); }
    void EndProgress() override { ++ended; }
};

TEST(WholeProgress, ASaveIsOneBarInNumberedSteps) {
    const struct {
        const char* what;
        SaveSelection selection;
        int steps;
    } cases[] = {
        {"everything", {"Tilda", "Tilda", "MiniTilda", true}, 4},
        {"no Main set", {std::nullopt, "Tilda", "MiniTilda", true}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace w({.stick = {.soundEntries = 40}, .sets = {{0}, {5}, {0}}, .stock = true});
        ASSERT_EQ(w.Problem(), "");
        ASSERT_TRUE(w.CopyBaseFromStick());
        ProgressLog ui;
        ui.answers = {true, true};
        AppContext context(ui, w.programFolder);
        ASSERT_TRUE(Save(context, w.stick, c.selection));

        const std::regex step(R"(^Step (\d) of (\d): .+)");
        int last = 0;
        std::uint64_t done = 0;
        for (const ProgressReport& report : ui.reports) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(report.step, match, step)) << report.step;
            const int number = std::stoi(match[1]);
            EXPECT_EQ(std::stoi(match[2]), c.steps) << report.step;
            EXPECT_GE(number, last) << report.step;
            EXPECT_GE(report.done, done) << report.step;
            EXPECT_LE(report.done, report.total) << report.step;
            last = number;
            done = report.done;
        }
        EXPECT_EQ(last, c.steps) << "the last stage is the check of what was written";
        // Once for the whole, and once for each message box that came.
        EXPECT_LE(ui.ended, 1 + static_cast<int>(ui.Messages().size()));
    }
}

}  // namespace
}  // namespace tamsiro::test
