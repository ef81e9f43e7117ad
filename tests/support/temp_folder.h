#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tamsiro::test {

// A fresh folder under the system's temporary directory (or `parent`),
// removed with all its contents when the object goes. Path() is empty when
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

// A temporary folder for each test; one that could not be made fails the
// test before its body runs.
class FolderTest : public ::testing::Test {
protected:
    FolderTest();
    // Writes a file into the folder and returns its path.
    std::string Write(const std::vector<unsigned char>& bytes, const std::string& name = "A.ODA") const;

    TempFolder folder;
};

}  // namespace tamsiro::test
