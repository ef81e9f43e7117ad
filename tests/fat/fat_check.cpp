// tamsiro_fat_check: the fixtures of the FAT test (tests/fat/run-fat.sh)
// and, inside its virtual machine, the crash-point test's checks.
//
//   tamsiro_fat_check fixture STOCK-STICK PROGRAM-FOLDER SOUND-ENTRIES
//   tamsiro_fat_check invariants STICK PROGRAM-FOLDER EXPECT
//   tamsiro_fat_check stock STICK EXPECT
//
// EXPECT holds three trees: stock/ (the stock stick), before/ and after/
// (the stick before the interrupted command and after a complete run).
// Prints what does not hold; exits 0 when everything does, 1 otherwise.
#include "tests/undo/stock_stick.h"
#include "tools/sample_workspace.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tamsiro::test;

int Report(const std::string& what, const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) std::cout << "broken: " << problem << "\n";
    std::cout << what << ": " << (problems.empty() ? "hold" : "broken") << "\n";
    return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "fixture") {
        fs::create_directories(args[2]);
        const int entries = std::stoi(args[3]);
        const bool written = WriteStockStick(args[1], entries) &&
                             tamsiro::samples::WriteSampleSoundSets(args[2], {{0}, {5}, {0}}, entries);
        return written ? 0 : 1;
    }
    if (args.size() == 4 && args[0] == "invariants") {
        const fs::path expect = args[3];
        return Report("invariants", BrokenInvariants(ReadTree(args[1]), ReadTree(args[2]), ReadTree(expect / "stock"),
                                                     ReadTree(expect / "before"), ReadTree(expect / "after")));
    }
    if (args.size() == 3 && args[0] == "stock") {
        return Report("stock stick", Differences(ReadTree(args[1]), ReadTree(fs::path(args[2]) / "stock")));
    }
    std::cerr << "usage: tamsiro_fat_check fixture STOCK-STICK PROGRAM-FOLDER SOUND-ENTRIES\n"
                 "       tamsiro_fat_check invariants STICK PROGRAM-FOLDER EXPECT\n"
                 "       tamsiro_fat_check stock STICK EXPECT\n";
    return 2;
}
