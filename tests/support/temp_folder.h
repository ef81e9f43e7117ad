#pragma once

#include <filesystem>
#include <string>

namespace tamsiro::test {

// The first link of the fixture chain every suite builds on (then a
// Workspace, then a stock stick): a fresh folder under the system's
// temporary directory (or `parent`), removed with all its contents when the
// object goes. Path() is empty when
// it could not be made.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::filesystem::path& parent);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }
    std::string Str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace tamsiro::test
