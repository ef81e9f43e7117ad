#pragma once

#include <filesystem>
#include <string>

namespace tamsiro::testing {

// A fresh folder under the system's temporary directory, removed with all
// its contents when the object goes. Also puts the current directory back
// where it was, since choosing a stick changes it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }
    std::string Str() const { return path_.string(); }

private:
    std::filesystem::path path_;
    std::filesystem::path previousCurrent_;
};

}  // namespace tamsiro::testing
