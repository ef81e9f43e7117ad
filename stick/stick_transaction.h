#pragma once

#include "app/progress.h"
#include "host/failure.h"
#include "stick/stick.h"
#include "stick/stock_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

class AppContext;

// Every change to a stick goes through one transaction, in four steps:
// - plan: the commands list every file to write, replace or remove, with
//   its source, before anything changes; JudgeRoom applies the space rule;
// - keep: the stock record of every file the plan touches, and its current
//   bytes where no record holds them, then a journal naming them all;
// - carry: the steps in order; a failure part-way rolls the stick back at
//   once from what was kept (a crash is rolled back at the next start,
//   from the journal);
// - outcome: per file, returned upward. The commands choose the words.

// One file of a step. A write takes `source` (a host path) or `contents`
// (bytes held in memory, the configuration files); neither removes it.
struct PlannedFile {
    std::string stickPath;
    std::string source;
    std::optional<std::string> contents;
    ProgressStep copying = ProgressStep::CopyingToStick;  // what the progress window says while it is copied
    // The size `source` will have, for a plan judged before it is written
    // (the merged sound archive, worked out from the tables).
    std::optional<std::uint64_t> plannedSize;

    bool Removes() const { return source.empty() && !contents; }
};

enum class StepKind {
    Files,     // written beside and put in place together (or deleted)
    Rotation,  // configuration files: X.TMP written first, then X.CFG to X.BAK and X.TMP to X.CFG
};

struct PlannedStep {
    std::vector<PlannedFile> files;
    StepKind kind = StepKind::Files;
    // A failure undoes this step and skips the rest, which must be optional
    // too; the steps before it stay. A failure of any other step undoes all.
    bool optional = false;
};

using StickPlan = std::vector<PlannedStep>;

// The space rule: whether the plan fits on the stick as it is now, and per
// step whether its files are written beside the old ones (room for both)
// or each old file goes first (room for one).
struct Room {
    bool fits = true;
    std::uint64_t missingBytes = 0;
    std::vector<bool> beside;
    // Room to spare for every file a step replaces or removes on its own:
    // it is renamed aside on the stick until the change is over, instead of
    // being compared with, or copied to, Tamsiro's folder.
    bool setAside = false;
};
[[nodiscard]] Room JudgeRoom(const Stick& stick, const StickPlan& plan);

enum class ChangeVerdict {
    Done,
    NotDone,       // not reached, or undone again
    CreateFailed,  // the new file could not be created
    WriteFailed,   // it could not be written, flushed or checked
    RenameFailed,  // it could not take its target's place
    RemoveFailed,
};

struct FileOutcome {
    std::string stickPath;
    ChangeVerdict verdict = ChangeVerdict::NotDone;
    Failure failure;  // why, when it failed
};

enum class CarryVerdict {
    Done,                 // every planned change is on the stick, flushed and read back
    OptionalStepsUndone,  // an optional step failed; it and the rest are undone
    Undone,               // a step failed; the stick is as it was
    UndoFailed,           // the stick could not be put back; the next start tries again
    Stopped,              // an interrupt stopped it; the stick is as it was
    WriteProtected,       // the stick was read-only before anything changed; nothing changed
    Damaged,              // its file system turned out damaged: stopped, the journal stays
    Gone,                 // it was pulled out: stopped, the journal stays
};

struct CarryOutcome {
    CarryVerdict verdict = CarryVerdict::Done;
    std::vector<FileOutcome> files;  // the files that failed, and those done
    std::size_t undoneFiles = 0;     // files that were in place before the undo
    // After a change that is complete: what its clean-up could not remove
    // from the stick (host paths of files set aside); the next start does.
    std::vector<std::string> leftOnStick;

    const FileOutcome* Of(std::string_view stickPath) const;
    ChangeVerdict VerdictOf(std::string_view stickPath) const;
    bool Failed(std::string_view stickPath) const;
};

enum class PrepareVerdict {
    Ready,
    NoRoomToKeep,       // the program folder has no room for the kept copies
    NotKept,            // a copy could not be written in the program folder
    StickUnreadable,    // a stick file could not be listed, opened or read
    OtherStickPending,  // an unfinished change to another stick waits for it
    ChangePending,      // an unfinished change to this stick is not undone yet
    JournalUnreadable,  // TAMSIRO.JNL is there but cannot be read
};
struct PrepareOutcome {
    PrepareVerdict verdict = PrepareVerdict::Ready;
    std::string stickPath;  // the file that stopped it
    Failure failure;        // why, where a file operation failed
};

// A transaction goes through these states in order; Carry ends it
// Committed or RolledBack, or leaves it Carrying (with its journal) when the
// stick was pulled out or its file system turned out damaged.
enum class TransactionState { Planned, Kept, Carrying, Committed, RolledBack };

class StickTransaction {
public:
    StickTransaction(AppContext& context, const Stick& stick, StickPlan plan, Room room);

    // Keeps the stock records and the previous bytes of every file the plan
    // touches, and writes the journal. The stick is untouched.
    [[nodiscard]] PrepareOutcome Keep();

    // Carries the plan out (after Keep succeeded). An interrupt meanwhile
    // (see InterruptScope) stops it at the next file and undoes it all.
    // Done only once every file of the plan has been read back from the
    // stick as it was meant to be.
    [[nodiscard]] CarryOutcome Carry();

    TransactionState State() const { return state_; }

private:
    AppContext& context_;
    Stick stick_;
    StickPlan plan_;
    Room room_;
    TransactionState state_ = TransactionState::Planned;
};

}  // namespace tamsiro
