#include "stick/stick_health.h"

#include "host/file_system.h"
#include "host/volume_state.h"
#include "stick/stick.h"

#include <algorithm>

namespace tamsiro {

namespace {

// FSCK0000.REC: "FSCK", four digits, ".REC", in any case.
bool IsRecoveredName(std::string_view name) {
    if (name.size() != 12 || !EqualIgnoringAsciiCase(name.substr(0, 4), "FSCK") ||
        !EqualIgnoringAsciiCase(name.substr(8), ".REC")) {
        return false;
    }
    return std::all_of(name.begin() + 4, name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

StickCondition ConditionOf(const Stick& stick) {
    if (!IsFolder(stick.Root())) return StickCondition::Gone;
    return VolumeIsReadOnly(stick.Root()).value_or(false) ? StickCondition::ReadOnly : StickCondition::Writable;
}

ClusterVerdict CheckClusters(const Stick& stick) {
    // Folders on other file systems (a copy of a stick on a hard disk)
    // count their space otherwise.
    if (!IsOnFatVolume(stick.Root())) return ClusterVerdict::Agree;
    const auto account = FatClusterAccount(stick.Root());
    if (!account || account->inUse == account->accountedFor) return ClusterVerdict::Agree;
    return account->accountedFor > account->inUse ? ClusterVerdict::Claimed : ClusterVerdict::Lost;
}

bool ClustersDisagree(const Stick& stick) { return CheckClusters(stick) != ClusterVerdict::Agree; }

RecoveredFiles RecoveredFilesOn(const Stick& stick) {
    RecoveredFiles recovered;
    for (const std::string& name : FileNamesIn(stick.Root())) {
        if (!IsRecoveredName(name)) continue;
        std::string path = JoinPath(stick.Root(), name);
        recovered.bytes += FileSizeAt(path).value_or(0);
        recovered.paths.push_back(std::move(path));
    }
    std::sort(recovered.paths.begin(), recovered.paths.end());
    return recovered;
}

}  // namespace tamsiro
