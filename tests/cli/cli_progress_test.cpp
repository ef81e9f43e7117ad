// The progress line tamsiro-cli draws on a terminal.
#include "ui/cli/cli_user_interface.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tamsiro::cli {
namespace {

// The line as the terminal shows it after the last carriage return.
std::string LastLine(const std::string& written) {
    const std::size_t start = written.rfind('\r');
    return start == std::string::npos ? written : written.substr(start + 1);
}

TEST(CliProgress, DrawnAtOnceAsWideAsTheTerminalAndWithoutABarWhileFlushing) {
    const std::string longStep = "Copying DYNAUDIO.ODA to memory stick" + std::string(80, '.');
    const struct {
        const char* what;
        int columns;
        ProgressReport report;
        std::size_t width;  // of the line drawn
        bool percent;       // whether it shows one
    } cases[] = {
        {"100 columns", 100, {longStep, 1 << 20, 4 << 20}, 99, true},
        {"80 columns", 80, {longStep, 1 << 20, 4 << 20}, 79, true},
        {"a terminal that won't say", 0, {longStep, 1 << 20, 4 << 20}, 79, true},
        {"the flush", 100, {"Writing to memory stick...", 0, 0}, 26, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream in;
        std::ostringstream err;
        const int columns = c.columns;
        CliUserInterface ui({in, err, false, true, [columns] { return columns; }}, false);
        ui.ShowProgress(c.report);  // the first report: no waiting for a second one
        const std::string line = LastLine(err.str());
        EXPECT_EQ(line.size(), c.width) << line;
        EXPECT_EQ(line.find('%') != std::string::npos, c.percent) << line;
        EXPECT_EQ(line.substr(0, 8), c.report.step.substr(0, 8));
    }
}

TEST(CliProgress, ANewPhaseIsShownAtOnce) {
    std::istringstream in;
    std::ostringstream err;
    CliUserInterface ui({in, err, false, true, [] { return 100; }}, false);
    ui.ShowProgress({"Copying DYNAUDIO.ODA to memory stick", 0, 100});
    ui.ShowProgress({"Copying DYNAUDIO.ODA to memory stick", 100, 100});
    ui.ShowProgress({"Writing to memory stick...", 0, 0});
    EXPECT_EQ(LastLine(err.str()).substr(0, 26), "Writing to memory stick...");
    EXPECT_EQ(LastLine(err.str()).find("100%"), std::string::npos) << "the copy's 100% is painted over";
}

}  // namespace
}  // namespace tamsiro::cli
