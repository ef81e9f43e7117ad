#pragma once

#include "host/failure.h"
#include "stick/journal.h"
#include "stick/stick_health.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro {

class AppContext;
class Stick;

// Putting a stick back as a journal says it was: after a step failed, and at
// the start after a change was cut short (a crash, a pulled plug).
//
// It never makes things worse. Before anything changes it reads every stick
// file it relies on to its end, past the cache, and plans its room as a
// change is planned; it deletes nothing before what replaces it can be
// written, checks the stick after every step, and reads every file back at
// the end. A file system that turns out damaged (a file that does not read
// whole, the host turning the stick read-only) stops it at once, and the
// journal stays for the next start, after the user has repaired it.
enum class RollbackVerdict {
    Done,                // every file is as the journal says it was, read back
    ReadOnly,            // read-only before anything changed: nothing was changed
    Damaged,             // the file system is damaged: stopped where it was
    Gone,                // the stick was pulled out: stopped where it was
    NoRoom,              // not enough room; nothing was changed
    NeedsRecoveredRoom,  // room only without the file-system check's FSCK*.REC
    Failed,              // some files could not be put back (named); the rest were
};

struct RollbackOutcome {
    RollbackVerdict verdict = RollbackVerdict::Done;
    std::uint64_t missingBytes = 0;        // NoRoom, NeedsRecoveredRoom
    RecoveredFiles recovered;              // NeedsRecoveredRoom
    std::vector<std::string> failedFiles;  // Failed: stick paths
    std::size_t filesChanged = 0;          // files the rollback rewrote, renamed back or removed
    Failure failure;                       // the first thing that failed, where one did
};

struct RollbackOptions {
    // The user agreed to delete FSCK*.REC files for the room they take.
    bool removeRecovered = false;
};

// Puts each entry's file back, the last entry first.
[[nodiscard]] RollbackOutcome PutBack(AppContext& context, const Stick& stick, const std::vector<JournalEntry>& entries,
                                      const RollbackOptions& options = {});

// Ends a journal whose change is complete or undone: removes it, then what
// it alone needed, the copies made for it and the files set aside on the
// stick. False when the journal stays (its change would then be undone at
// the next start); what could not be removed from the stick is listed in
// `leftOnStick`, for the next start to remove.
[[nodiscard]] bool CloseJournal(const AppContext& context, const Stick& stick, const Journal& journal,
                                std::vector<std::string>& leftOnStick);

// Where the next start finds a file that was set aside (X.PRV beside X).
std::string AsideOf(const Stick& stick, std::string_view stickPath);

}  // namespace tamsiro
