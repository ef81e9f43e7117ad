#include "app/removable_volumes.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

// What a fake mount point holds.
enum class Volume { Stick, UpperCaseStick, LowerCaseStick, OpenROnly, MarkerOnly, OpenRIsAFile, Empty };

void MakeVolume(const std::string& root, Volume kind) {
    fs::create_directories(root);
    switch (kind) {
        case Volume::Stick:
            fs::create_directories(root + "/OPEN-R/MW");
            samples::WriteText(root + "/memstick.ind", "");
            break;
        case Volume::UpperCaseStick:
            fs::create_directories(root + "/OPEN-R");
            samples::WriteText(root + "/MEMSTICK.IND", "");
            break;
        case Volume::LowerCaseStick:
            fs::create_directories(root + "/open-r");
            samples::WriteText(root + "/Memstick.Ind", "");
            break;
        case Volume::OpenROnly:
            fs::create_directories(root + "/OPEN-R");
            break;
        case Volume::MarkerOnly:
            samples::WriteText(root + "/memstick.ind", "");
            break;
        case Volume::OpenRIsAFile:
            samples::WriteText(root + "/OPEN-R", "");
            samples::WriteText(root + "/memstick.ind", "");
            break;
        case Volume::Empty:
            break;
    }
}

TEST(FindStickRoot, TheOneStickAmongTheRoots) {
    struct Case {
        const char* name;
        std::vector<Volume> volumes;
        int expected;  // index of the root found, -1 for none
    };
    const std::vector<Case> cases = {
        {"no roots", {}, -1},
        {"one stick", {Volume::Stick}, 0},
        {"a stick after other media", {Volume::Empty, Volume::OpenROnly, Volume::MarkerOnly, Volume::Stick}, 3},
        {"no stick", {Volume::Empty, Volume::OpenROnly, Volume::MarkerOnly}, -1},
        {"two sticks", {Volume::Stick, Volume::Empty, Volume::UpperCaseStick}, -1},
        {"upper-case names", {Volume::UpperCaseStick}, 0},
        {"lower-case names", {Volume::Empty, Volume::LowerCaseStick}, 1},
        {"OPEN-R is a file", {Volume::OpenRIsAFile}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::vector<std::string> roots;
        for (std::size_t i = 0; i < c.volumes.size(); ++i) {
            roots.push_back(folder / ("volume" + std::to_string(i)));
            MakeVolume(roots.back(), c.volumes[i]);
        }
        // A root that has gone (unmounted meanwhile) is passed over.
        roots.push_back(folder / "unmounted");

        const std::optional<std::string> found = FindStickRoot(roots);
        if (c.expected < 0) {
            EXPECT_FALSE(found.has_value()) << found.value_or("");
        } else {
            EXPECT_EQ(found, roots[static_cast<std::size_t>(c.expected)]);
        }
    }
}

}  // namespace
}  // namespace tamsiro::test
