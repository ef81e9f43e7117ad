// Windows lock and folder listing.
#include "host/folder_listing.h"
#include "host/host_lock.h"
#include "host/file_system.h"

#include <windows.h>

namespace tamsiro {

void HostLock::Release() {
    if (handle_ == kNoHandle) return;
    ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle_)));
    handle_ = kNoHandle;
}

bool HostLock::Take(const std::string& path, bool create) {
    Release();
    // Others may still read and write the file (the stick's own marker);
    // only the lock on its first byte is exclusive.
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED at{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        ::CloseHandle(file);
        return false;
    }
    handle_ = static_cast<long long>(reinterpret_cast<INT_PTR>(file));
    return true;
}

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
