#include "host/program_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace tamsiro::test {
namespace {

#ifndef _WIN32
// Sets HOME for the scope, and puts the old value back after.
class HomeFor {
public:
    explicit HomeFor(const char* home) {
        if (const char* old = std::getenv("HOME")) old_ = old;
        if (home) {
            ::setenv("HOME", home, 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    ~HomeFor() {
        if (old_) {
            ::setenv("HOME", old_->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    HomeFor(const HomeFor&) = delete;
    HomeFor& operator=(const HomeFor&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(DefaultProgramFolder, PortableBesideTheProgramInstalledInTheHome) {
    TempFolder home;
    TempFolder portable;
    const std::string own = home / "Tamsiro";
    const struct {
        const char* what;
        std::string executable;
        bool withHome;
        std::string expected;
    } cases[] = {
        {"portable folder", portable / "tamsiro", true, portable.Str()},
        // Whoever runs it, root included: the package manager owns these.
        {"the Debian package", "/usr/bin/tamsiro", true, own},
        {"installed by hand", "/usr/local/bin/tamsiro", true, own},
        {"below /opt", "/opt/tamsiro/bin/tamsiro", true, own},
        {"at the root", "/tamsiro", true, own},
        {"installed, no home", "/usr/bin/tamsiro", false, ""},
        {"no executable path", "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HomeFor scope(c.withHome ? home.Str().c_str() : nullptr);
        EXPECT_EQ(DefaultProgramFolderFor(c.executable), c.expected);
    }
    // Naming the folder makes nothing: a status check must leave no trace.
    EXPECT_FALSE(std::filesystem::exists(own));
}
#endif

}  // namespace
}  // namespace tamsiro::test
