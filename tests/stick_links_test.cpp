// Links on a stick: found on the way to every file Tamsiro uses, and never
// written through where one appears at a temporary name after the check.
#include "host/file_system.h"
#include "install/save_command.h"
#include "stick/stick_hazard.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

class StickLinks : public WorkspaceTest {
protected:
    std::string P(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/P/" + name); }
    fs::path Outside(const std::string& name) const { return fs::path(workspace.programFolder).parent_path() / name; }
};

TEST(StickLinksSave, TemporaryNamesLeftAsLinksAreReplacedNotWrittenThrough) {
    Workspace w({.sets = {.main = {0}, .voice = {0}}});
    ASSERT_EQ(w.Problem(), "");
    ASSERT_TRUE(w.CopyBaseFromStick());
    const fs::path outside = fs::path(w.programFolder).parent_path();
    const std::string folder = "OPEN-R/MW/DATA/P/";
    const std::vector<std::string> temporaries = {"DYNAUDIO.NEW", "CUSVOICE.NEW", "MCUS.TMP", "MCUSLIST.TMP"};
    for (const std::string& name : temporaries)
        fs::create_symlink(outside / ("ELSEWHERE-" + name), w.OnStick(folder + name));
    w.ui.answers = {true};  // fewer parts
    EXPECT_TRUE(Save(w.context, w.stick, {.main = "Tilda", .voice = "Tilda"}))
        << testing::PrintToString(w.ui.Messages());
    for (const std::string& name : temporaries) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(fs::exists(fs::symlink_status(outside / ("ELSEWHERE-" + name)))) << "written through the link";
        EXPECT_FALSE(fs::exists(fs::symlink_status(w.OnStick(folder + name))));
    }
    for (const char* target : {"DYNAUDIO.ODA", "CUSVOICE.ODA", "MCUS.CFG", "MCUSLIST.CFG"}) {
        EXPECT_EQ(KindAt(w.OnStick(folder + target)), PathKind::File) << target;
    }
}

TEST_F(StickLinks, AreFoundOnTheWayToEveryFileTamsiroUses) {
    EXPECT_EQ(FindStickHazard(workspace.stick), std::nullopt);
    const struct {
        const char* what;
        std::string linked;  // stick path made a link (to a copy, elsewhere)
    } cases[] = {
        {"the software folder", "OPEN-R"},
        {"a folder on the way", "OPEN-R/MW/DATA"},
        {"the male voice's folder", "OPEN-R/MW/DATA/E"},
        {"the version file", "OPEN-R/APP/VERSION"},
        {"a kept backup", "OPEN-R/MW/DATA/P/MCUS.BAK"},
        {"a ready file", "OPEN-R/MW/DATA/P/AD013001.RDY"},
        {"a file set aside", "OPEN-R/MW/DATA/P/DYNAUDIO.PRV"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path at = workspace.OnStick(c.linked);
        const fs::path elsewhere = Outside("COPY");
        const bool there = fs::exists(at);
        if (there) fs::rename(at, elsewhere);
        fs::create_symlink(elsewhere, at);
        const auto hazard = FindStickHazard(workspace.stick);
        ASSERT_TRUE(hazard.has_value());
        EXPECT_EQ(hazard->kind, StickHazard::Kind::Link);
        EXPECT_EQ(hazard->path, at.string());
        fs::remove(at);
        if (there) fs::rename(elsewhere, at);
        EXPECT_EQ(FindStickHazard(workspace.stick), std::nullopt);
    }
}

}  // namespace
}  // namespace tamsiro::test
