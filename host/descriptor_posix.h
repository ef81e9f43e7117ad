#pragma once

#include "host/owned_handle.h"

#include <unistd.h>

namespace tamsiro {

struct DescriptorTraits {
    static constexpr int kNone = -1;
    static bool Valid(int fd) { return fd >= 0; }
    static bool Close(int fd) { return ::close(fd) == 0; }
};

// A POSIX file descriptor, closed on every path out of its scope.
using Descriptor = OwnedHandle<int, DescriptorTraits>;

}  // namespace tamsiro
