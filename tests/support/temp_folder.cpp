#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace tamsiro::test {

TempFolder::TempFolder()
    : TempFolder([] {
          std::error_code error;
          return std::filesystem::temp_directory_path(error);
      }()) {}

TempFolder::TempFolder(const std::filesystem::path& parent) {
    // Never a relative folder in the current directory.
    if (parent.empty()) return;
    std::string pattern = (parent / "tamsiro-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace tamsiro::test
