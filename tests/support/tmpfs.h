#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace tamsiro::test {

// A tmpfs mounted for the life of the object, where mounting is permitted
// (root): a small one is a stick that runs out of room, a read-only one a
// write-protected stick.
class Tmpfs {
public:
    explicit Tmpfs(std::filesystem::path at) : at_(std::move(at)) {}
    ~Tmpfs() { Unmount(); }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool Mount(std::uint64_t bytes) {
        Unmount();
        std::filesystem::create_directories(at_);
        const std::string options = "size=" + std::to_string((bytes + 4095) / 4096 * 4) + "k";
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        return mounted_;
    }
    // The same tmpfs, its files kept, taking no more writes.
    bool RemountReadOnly() {
        return mounted_ && ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    void Unmount() {
        if (mounted_) (void)::umount(at_.c_str());
        mounted_ = false;
    }
    // Free and used bytes.
    std::pair<std::uint64_t, std::uint64_t> Space() const {
        struct statvfs info {};
        if (::statvfs(at_.c_str(), &info) != 0) return {0, 0};
        return {info.f_bavail * info.f_frsize, (info.f_blocks - info.f_bfree) * info.f_frsize};
    }

private:
    std::filesystem::path at_;
    bool mounted_ = false;
};

}  // namespace tamsiro::test
