// Folder listings on Windows.
#include "host/folder_listing.h"

#include "host/file_system.h"

#include "host/handle_win32.h"

#include <windows.h>

namespace tamsiro {

std::optional<std::vector<std::string>> ListFileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const FindHandle search(::FindFirstFileA(JoinPath(folder, "*").c_str(), &found));
    if (!search.Valid()) return std::nullopt;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (::FindNextFileA(search.Get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return names;
}

bool FolderProvablyAbsent(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const std::string parent = FolderOf(trimmed);
    const std::string name = trimmed.substr(parent.size());
    if (parent.empty() || name.empty()) return false;
    WIN32_FIND_DATAA found{};
    const FindHandle search(::FindFirstFileA(JoinPath(parent, "*").c_str(), &found));
    if (!search.Valid()) return false;
    bool there = false;
    do {
        if (EqualIgnoringAsciiCase(found.cFileName, name)) there = true;
    } while (!there && ::FindNextFileA(search.Get(), &found));
    const bool complete = there || ::GetLastError() == ERROR_NO_MORE_FILES;
    return complete && !there;
}

}  // namespace tamsiro
