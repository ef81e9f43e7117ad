#pragma once

#include <csignal>

#include <sys/resource.h>

namespace tamsiro::test {

// While alive, this process cannot make a file larger than `bytes`: a
// write past that fails as on a full disk (EFBIG; the signal that would
// otherwise end the process is ignored). Unlike a link to /dev/full, it
// fails the write wherever the file is created, also when the code removes
// what was at the name first.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previous_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit before_{};
    void (*previous_)(int) = SIG_DFL;
};

}  // namespace tamsiro::test
