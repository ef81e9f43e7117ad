// POSIX pieces of the volume state (Linux, macOS).
#include "host/volume_state.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace tamsiro {

namespace {

// FAT12 and FAT16 have fewer clusters than this; their root folder lies
// outside the clusters and counts for none.
constexpr std::uint64_t kFirstFat32Clusters = 65525;

std::uint64_t ClustersOf(std::uint64_t bytes, std::uint64_t clusterBytes) {
    return (bytes + clusterBytes - 1) / clusterBytes;
}

}  // namespace

std::optional<bool> VolumeIsReadOnly(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
    return (info.f_flag & ST_RDONLY) != 0;
}

std::optional<ClusterAccount> FatClusterAccount(const std::string& root) {
    struct statvfs info {};
    if (::statvfs(root.c_str(), &info) != 0 || info.f_blocks == 0 || info.f_blocks >= kFirstFat32Clusters) {
        return std::nullopt;
    }
    ClusterAccount account;
    account.clusterBytes = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (account.clusterBytes == 0) return std::nullopt;
    account.inUse = static_cast<std::uint64_t>(info.f_blocks - info.f_bfree);
    // Every file takes its size in whole clusters; every folder below the
    // root reports the clusters of its own chain as its size.
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(root, std::filesystem::directory_options::none, error);
    for (const auto end = std::filesystem::recursive_directory_iterator(); !error && walk != end;
         walk.increment(error)) {
        struct stat entry {};
        if (::lstat(walk->path().c_str(), &entry) != 0) return std::nullopt;
        if (S_ISREG(entry.st_mode) || S_ISDIR(entry.st_mode)) {
            account.accountedFor += ClustersOf(static_cast<std::uint64_t>(entry.st_size), account.clusterBytes);
        }
    }
    if (error) return std::nullopt;
    return account;
}

}  // namespace tamsiro
