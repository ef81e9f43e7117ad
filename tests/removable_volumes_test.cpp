#include "stick/stick_locator.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

// What a fake mount point holds: folders and (empty) files at its root.
struct Volume {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};
const Volume kStick{{"OPEN-R/MW"}, {"memstick.ind"}};
const Volume kUpperCaseStick{{"OPEN-R"}, {"MEMSTICK.IND"}};
const Volume kLowerCaseStick{{"open-r"}, {"Memstick.Ind"}};
const Volume kOpenROnly{{"OPEN-R"}, {}};
const Volume kMarkerOnly{{}, {"memstick.ind"}};
const Volume kOpenRIsAFile{{}, {"OPEN-R", "memstick.ind"}};
const Volume kEmpty{};

void MakeVolume(const std::string& root, const Volume& volume) {
    fs::create_directories(root);
    for (const std::string& folder : volume.folders) fs::create_directories(root + "/" + folder);
    for (const std::string& file : volume.files) samples::WriteText(root + "/" + file, "");
}

TEST(FindStickRoots, TheSticksAmongTheRoots) {
    struct Case {
        const char* name;
        std::vector<Volume> volumes;
        std::vector<int> expected;  // indexes of the roots found
    };
    const std::vector<Case> cases = {
        {"no roots", {}, {}},
        {"one stick", {kStick}, {0}},
        {"a stick after other media", {kEmpty, kOpenROnly, kMarkerOnly, kStick}, {3}},
        {"no stick", {kEmpty, kOpenROnly, kMarkerOnly}, {}},
        {"two sticks", {kStick, kEmpty, kUpperCaseStick}, {0, 2}},
        {"upper-case names", {kUpperCaseStick}, {0}},
        {"lower-case names", {kEmpty, kLowerCaseStick}, {1}},
        {"OPEN-R is a file", {kOpenRIsAFile}, {}},
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

        std::vector<std::string> expected;
        for (const int index : c.expected) expected.push_back(roots[static_cast<std::size_t>(index)]);
        EXPECT_EQ(FindStickRoots(roots), expected);
    }
}

TEST(ChooserStartFolder, TheStickOrTheFolderHoldingThemAll) {
    const struct {
        const char* name;
        std::vector<std::string> sticks;
        std::optional<std::string> expected;
    } cases[] = {
        {"none", {}, std::nullopt},
        {"one", {"/media/ann/STICK"}, "/media/ann/STICK"},
        {"two of one user", {"/media/ann/STICK", "/media/ann/SPARE"}, "/media/ann"},
        {"a user's and a bare mount", {"/media/ann/STICK", "/media/usb0"}, "/media"},
        {"nothing shared but the root", {"/media/ann/STICK", "/mnt/usb"}, "/"},
        {"a name that starts like another", {"/media/ann/STICK", "/media/anna/STICK"}, "/media"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooserStartFolder(c.sticks), c.expected);
    }
}

}  // namespace
}  // namespace tamsiro::test
