// Folder listings on Windows.
#include "host/folder_listing.h"

#include "host/file_system.h"

#include <windows.h>

namespace tamsiro {

std::optional<std::vector<std::string>> ListFileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(search);
    if (!complete) return std::nullopt;
    return names;
}

bool FolderProvablyAbsent(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const std::string parent = FolderOf(trimmed);
    const std::string name = trimmed.substr(parent.size());
    if (parent.empty() || name.empty()) return false;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(JoinPath(parent, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool there = false;
    do {
        if (EqualIgnoringAsciiCase(found.cFileName, name)) there = true;
    } while (!there && ::FindNextFileA(search, &found));
    const bool complete = there || ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(search);
    return complete && !there;
}

}  // namespace tamsiro
