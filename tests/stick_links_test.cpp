// Links on a stick: found on the way to every file Tamsiro uses, and never
// written through where one appears at a temporary name after the check.
#include "host/file_system.h"
#include "stick/mode_flags.h"
#include "stick/stick_hazard.h"
#include "stick/stick_writer.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

class StickLinks : public WorkspaceTest {
protected:
    std::string P(const std::string& name) const { return workspace.OnStick("OPEN-R/MW/DATA/P/" + name); }
    fs::path Outside(const std::string& name) const { return fs::path(workspace.programFolder).parent_path() / name; }
};

TEST_F(StickLinks, TemporaryNamesLeftAsLinksAreReplacedNotWrittenThrough) {
    const std::string source = workspace.Program("NEW.ODA");
    ASSERT_TRUE(samples::WriteText(source, "new sounds"));
    const struct {
        const char* what;
        std::string temporary;
        std::function<bool()> write;
        std::string target;
    } cases[] = {
        {"DYNAUDIO.NEW", P("DYNAUDIO.NEW"),
         [&] { return WriteBesideThenReplace(workspace.context, {{source, P("DYNAUDIO.ODA"), "Copying", "failed"}}); },
         P("DYNAUDIO.ODA")},
        {"MCUS.TMP", P("MCUS.TMP"), [&] { return RewriteModeFlags(workspace.context, workspace.stick); }, P("MCUS.CFG")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path elsewhere = Outside(std::string("ELSEWHERE-") + c.what);
        fs::create_symlink(elsewhere, c.temporary);
        EXPECT_TRUE(c.write());
        EXPECT_FALSE(fs::exists(fs::symlink_status(elsewhere))) << "written through the link";
        EXPECT_EQ(KindAt(c.target), PathKind::File);
        EXPECT_FALSE(fs::exists(fs::symlink_status(c.temporary)));
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
