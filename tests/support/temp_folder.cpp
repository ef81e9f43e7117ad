#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace tamsiro::testing {

TempFolder::TempFolder() {
    std::error_code error;
    previousCurrent_ = std::filesystem::current_path(error);
    std::string pattern = (std::filesystem::temp_directory_path(error) / "tamsiro-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

TempFolder::~TempFolder() {
    std::error_code error;
    if (!previousCurrent_.empty()) std::filesystem::current_path(previousCurrent_, error);
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

}  // namespace tamsiro::testing
