// tamsiro_fat_check: the fixtures of the FAT test (tests/fat/run-fat.sh)
// and, inside its virtual machine, the crash-point test's checks.
//
//   tamsiro_fat_check fixture STOCK-STICK PROGRAM-FOLDER SOUND-ENTRIES
//   tamsiro_fat_check invariants STICK PROGRAM-FOLDER STOCK BEFORE AFTER
//   tamsiro_fat_check same STICK EXPECTED
//   tamsiro_fat_check clusters STICK
//
// STOCK, BEFORE and AFTER are trees: the stock stick, the stick before the
// interrupted command and after a complete run of it.
// Prints what does not hold; exits 0 when everything does, 1 otherwise.
#include "host/volume_state.h"
#include "stick/stick.h"
#include "stick/stick_record.h"
#include "tests/support/stock_stick.h"
#include "tools/archive_fixtures.h"
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
        const std::string games = args[2] + "/DATA_G3";
        // A Games pair many clusters larger than the stock one, so that the
        // room it needs is worth planning.
        const bool written =
            WriteStockStick(args[1], {.soundEntries = entries}) &&
            tamsiro::samples::WriteSampleSoundSets(args[2], {{0}, {5}, {0}}, entries) &&
            tamsiro::WriteArchive(games + "A_Tilda.ODA", {{"WAVE", "G1", tamsiro::samples::SyntheticTone(9000, 1)}}) &&
            tamsiro::WriteArchive(games + "B_Tilda.ODA", {{"WAVE", "G8", tamsiro::samples::SyntheticTone(14000, 8)}});
        return written ? 0 : 1;
    }
    if (args.size() == 6 && args[0] == "invariants") {
        return Report("invariants", BrokenInvariants(ReadTree(args[1]), ReadTree(args[2]), ReadTree(args[3]),
                                                     ReadTree(args[4]), ReadTree(args[5])));
    }
    if (args.size() == 3 && args[0] == "same")
        return Report("same files", Differences(ReadTree(args[1]), ReadTree(args[2])));
    if (args.size() == 2 && args[0] == "clusters") {
        // How Tamsiro sees the stick's clusters: they agree on a whole FAT.
        const tamsiro::Stick stick(args[1]);
        const auto account = tamsiro::FatClusterAccount(args[1]);
        std::cout << "identity: " << tamsiro::StickIdentity(stick) << "\n";
        if (!account) return Report("clusters", {"the clusters cannot be counted"});
        std::cout << "clusters: " << account->inUse << " in use, " << account->accountedFor << " accounted for\n";
        return Report("clusters", account->inUse == account->accountedFor
                                      ? std::vector<std::string>{}
                                      : std::vector<std::string>{"the clusters in use are not what the files take"});
    }
    std::cerr << "usage: tamsiro_fat_check fixture STOCK-STICK PROGRAM-FOLDER SOUND-ENTRIES\n"
                 "       tamsiro_fat_check invariants STICK PROGRAM-FOLDER STOCK BEFORE AFTER\n"
                 "       tamsiro_fat_check same STICK EXPECTED\n"
                 "       tamsiro_fat_check clusters STICK\n";
    return 2;
}
