#pragma once

#include "host/owned_handle.h"

#include <windows.h>

namespace tamsiro {

struct WinHandleTraits {
    static inline const HANDLE kNone = INVALID_HANDLE_VALUE;
    static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static bool Close(HANDLE handle) { return ::CloseHandle(handle) != 0; }
};

struct FindHandleTraits {
    static inline const HANDLE kNone = INVALID_HANDLE_VALUE;
    static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return ::FindClose(handle) != 0; }
};

// A Windows handle (CreateFile and the like), and a FindFirstFile search,
// each closed on every path out of its scope.
using WinHandle = OwnedHandle<HANDLE, WinHandleTraits>;
using FindHandle = OwnedHandle<HANDLE, FindHandleTraits>;

}  // namespace tamsiro
