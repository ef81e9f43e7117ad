#include "stick/stick_rollback.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"

#include <algorithm>

namespace tamsiro {

namespace {

bool IsConfigFile(std::string_view stickPath) {
    return stickPath.size() > 4 && (EqualIgnoringAsciiCase(stickPath.substr(stickPath.size() - 4), ".CFG") ||
                                    EqualIgnoringAsciiCase(stickPath.substr(stickPath.size() - 4), ".BAK"));
}

// What putting one entry back takes.
struct EntryWork {
    const JournalEntry* entry = nullptr;
    std::string current;                       // host path of the stick file (by its name)
    std::optional<std::uint64_t> currentSize;  // nothing: not there
    std::string aside;                         // Aside entries: X.PRV, when it is there
    bool alreadyBack = false;                  // nothing to do
    bool unusable = false;                     // its bytes from before are not whole
};

// The temporaries a change may have left beside the files it touched: X.NEW
// and X.RDY, and a configuration file's X.TMP.
std::vector<std::string> TemporariesOf(const Stick& stick, const std::vector<JournalEntry>& entries) {
    std::vector<std::string> found;
    auto add = [&](const std::string& path) {
        if (auto there = FileThere(path); there && std::find(found.begin(), found.end(), *there) == found.end()) {
            found.push_back(*there);
        }
    };
    for (const JournalEntry& entry : entries) {
        const std::string target = stick.Path(entry.stickPath);
        if (target.empty()) continue;
        add(BesidePath(target));
        add(ReadyPath(target));
        if (IsConfigFile(entry.stickPath)) {
            const std::string_view stem = std::string_view(entry.stickPath).substr(0, entry.stickPath.size() - 4);
            add(stick.Path(std::string(stem) + ".TMP"));
        }
    }
    return found;
}

class Rollback {
public:
    Rollback(AppContext& context, const Stick& stick, const std::vector<JournalEntry>& entries,
             const RollbackOptions& options)
        : context_(context), stick_(stick), entries_(entries), options_(options) {}

    RollbackOutcome Run() {
        const StickCondition before = ConditionOf(stick_);
        if (before != StickCondition::Writable) {
            return Stop(before == StickCondition::Gone ? RollbackVerdict::Gone : RollbackVerdict::ReadOnly);
        }
        // Every stick file it relies on must read whole before anything
        // changes: on a damaged FAT a broken chain shows here, not half-way.
        temporaries_ = TemporariesOf(stick_, entries_);
        for (const std::string& path : temporaries_) {
            if (ReadsWholeOnDevice(path, {}, &outcome_.failure) != ReadBackVerdict::Same) {
                return Stop(Judged(RollbackVerdict::Damaged));
            }
        }
        if (!Survey()) return outcome_;
        // A file whose bytes from before are not whole cannot be put back,
        // and putting back the others alone could split a pair: nothing
        // changes, and the file is named.
        if (!outcome_.failedFiles.empty()) return Stop(RollbackVerdict::Failed);
        if (!PlanRoom()) return outcome_;

        for (const std::string& path : temporaries_) {
            if (!DeleteFileAt(path, &failure_) && !StillWritable()) return outcome_;
        }
        for (std::size_t i = 0; i < work_.size(); ++i) {
            if (work_[i].alreadyBack || work_[i].unusable) continue;
            const bool done = PutOneBack(work_[i], beside_[i]);
            if (!StillWritable()) return outcome_;
            if (done) {
                ++outcome_.filesChanged;
            } else {
                Failed(*work_[i].entry);
            }
        }
        // Read back: only what the device holds counts.
        for (const EntryWork& work : work_) {
            if (work.unusable) continue;
            const ReadBackVerdict back = CheckBack(*work.entry, &failure_);
            if (back == ReadBackVerdict::Unreadable) {
                outcome_.failure = failure_;
                return Stop(Judged(RollbackVerdict::Damaged));
            }
            if (back == ReadBackVerdict::Different) Failed(*work.entry);
        }
        if (!outcome_.failedFiles.empty()) outcome_.verdict = RollbackVerdict::Failed;
        return outcome_;
    }

private:
    RollbackOutcome Stop(RollbackVerdict verdict) {
        outcome_.verdict = verdict;
        return outcome_;
    }

    // A read that failed, or a step that failed: the stick tells which.
    RollbackVerdict Judged(RollbackVerdict otherwise) const {
        return ConditionOf(stick_) == StickCondition::Gone ? RollbackVerdict::Gone : otherwise;
    }

    // After each step: a stick the host has turned read-only, or that is
    // gone, stops everything.
    bool StillWritable() {
        switch (ConditionOf(stick_)) {
        case StickCondition::Writable: return true;
        case StickCondition::ReadOnly: outcome_.verdict = RollbackVerdict::Damaged; return false;
        case StickCondition::Gone: outcome_.verdict = RollbackVerdict::Gone; return false;
        }
        return false;
    }

    void Failed(const JournalEntry& entry) {
        if (outcome_.failedFiles.empty()) outcome_.failure = failure_;
        if (std::find(outcome_.failedFiles.begin(), outcome_.failedFiles.end(), entry.stickPath) ==
            outcome_.failedFiles.end()) {
            outcome_.failedFiles.push_back(entry.stickPath);
        }
    }

    // What each entry needs, the last one first; false (with the outcome
    // set) when a file it relies on does not read whole.
    bool Survey() {
        for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
            EntryWork work{&*entry, stick_.Path(entry->stickPath)};
            if (work.current.empty()) {
                Failed(*entry);
                continue;
            }
            if (const auto there = FileThere(work.current)) {
                work.current = *there;
                if (ReadsWholeOnDevice(work.current, {}, &outcome_.failure) != ReadBackVerdict::Same) {
                    outcome_ = Stop(Judged(RollbackVerdict::Damaged));
                    return false;
                }
                work.currentSize = FileSizeAt(work.current);
            }
            if (entry->kind == JournalEntry::Kind::Aside) {
                if (const auto aside = FileThere(AsidePath(work.current))) {
                    // The bytes from before, on the stick: whole, and as large
                    // as they were, or they are not what was set aside.
                    const ReadBackVerdict read = ReadsWholeOnDevice(*aside, entry->size, &failure_);
                    if (read == ReadBackVerdict::Unreadable) {
                        outcome_ = Stop(Judged(RollbackVerdict::Damaged));
                        return false;
                    }
                    if (read == ReadBackVerdict::Different) {
                        failure_ = {FileAction::Read, FailureReason::Damaged, *aside};
                        work.unusable = true;
                        Failed(*entry);
                    }
                    work.aside = *aside;
                } else {
                    // Never set aside: the file under its own name is the old one.
                    work.alreadyBack = work.currentSize.has_value();
                    if (!work.alreadyBack) {
                        work.unusable = true;
                        Failed(*entry);
                    }
                }
            } else if (entry->WasAbsent()) {
                work.alreadyBack = !work.currentSize;
            } else if (!PreviousWhole(*entry, &failure_)) {
                work.unusable = true;
                Failed(*entry);
            } else {
                work.alreadyBack = work.currentSize && SameContent(entry->previous, work.current);
            }
            work_.push_back(std::move(work));
        }
        return true;
    }

    // The kept bytes in Tamsiro's folder, as large as the journal says,
    // with its hash where it has one.
    static bool PreviousWhole(const JournalEntry& entry, Failure* failure) {
        const auto fingerprint = FingerprintOf(entry.previous);
        const bool whole = fingerprint && (!entry.size || fingerprint->size == *entry.size) &&
                           (!entry.hash || fingerprint->hash == *entry.hash);
        return whole || tamsiro::Failed(failure, {FileAction::Read, FailureReason::Damaged, entry.previous});
    }

    // Room as a change plans it: every temporary goes first, then each file
    // is written beside the one it replaces where there is room for both,
    // else in its place once that one is gone.
    bool PlanRoom() {
        std::vector<SpaceStep> steps;
        for (const EntryWork& work : work_) {
            SpaceStep step;
            const std::uint64_t old = work.currentSize.value_or(0);
            if (work.alreadyBack || work.unusable) {
                step.files.push_back({0, 0, false});
            } else if (work.entry->kind == JournalEntry::Kind::Aside || work.entry->WasAbsent()) {
                // Renamed over, or removed: only frees room.
                step.files.push_back({0, old, true});
            } else {
                step.files.push_back({FileSizeAt(work.entry->previous).value_or(0), old, false});
            }
            steps.push_back(std::move(step));
        }
        const auto space = SpaceOf(stick_.Root());
        if (!space) {
            beside_.assign(steps.size(), true);
            return true;
        }
        std::uint64_t freed = 0;
        for (const std::string& path : temporaries_) freed += FileSizeAt(path).value_or(0);
        auto plan = [&](std::uint64_t extra) {
            return PlanSpace(steps, space->freeBytes + RoundedUp(freed, space->allocationUnit) + extra,
                             space->allocationUnit);
        };
        SpacePlan spacePlan = plan(0);
        if (!spacePlan.Fits()) {
            // Clusters lost to no file are what a cut inside a flush leaves:
            // the file system needs repairing before anything else.
            if (ClustersDisagree(stick_)) {
                outcome_ = Stop(RollbackVerdict::Damaged);
                return false;
            }
            const RecoveredFiles recovered = RecoveredFilesOn(stick_);
            const SpacePlan withRecovered = plan(recovered.bytes);
            if (recovered.paths.empty() || !withRecovered.Fits()) {
                outcome_.missingBytes = spacePlan.missingBytes;
                outcome_ = Stop(RollbackVerdict::NoRoom);
                return false;
            }
            if (!options_.removeRecovered) {
                outcome_.missingBytes = spacePlan.missingBytes;
                outcome_.recovered = recovered;
                outcome_ = Stop(RollbackVerdict::NeedsRecoveredRoom);
                return false;
            }
            for (const std::string& path : recovered.paths) {
                if (!DeleteFileAt(path) && !StillWritable()) return false;
            }
            spacePlan = withRecovered;
        }
        beside_ = spacePlan.beside;
        return true;
    }

    static std::uint64_t RoundedUp(std::uint64_t bytes, std::uint64_t unit) {
        return unit == 0 ? bytes : (bytes + unit - 1) / unit * unit;
    }

    bool PutOneBack(const EntryWork& work, bool beside) {
        const JournalEntry& entry = *work.entry;
        if (entry.kind == JournalEntry::Kind::Aside) return ReplaceFile(work.aside, work.current, &failure_);
        if (entry.WasAbsent()) return DeleteFileAt(work.current, &failure_);
        // A file that is gone comes back under the name it had (a kept copy
        // keeps the stick's spelling; the base archive has a name of its own).
        const std::string folder = stick_.FolderPath(entry.stickPath);
        const std::string keptName = NameOnDisk(entry.previous);
        const bool there = work.currentSize.has_value();
        const std::string target = there || !EqualIgnoringAsciiCase(keptName, StickFileName(entry.stickPath))
                                       ? work.current
                                       : JoinPath(folder, keptName);
        // No room for both: the file being undone goes first, as planned.
        if (!beside && there && !DeleteFileAt(target, &failure_)) return false;
        const std::string besidePath = BesidePath(target);
        const std::string name(StickFileName(entry.stickPath));
        if (!CopyVerified(context_.Ui(), entry.previous, besidePath,
                          ToStickSteps(context_, ProgressStep::RestoringOnStick, name), &failure_)) {
            return false;
        }
        if (ReplaceFile(besidePath, target, &failure_)) return true;
        DiscardFile(besidePath);
        return false;
    }

    ReadBackVerdict CheckBack(const JournalEntry& entry, Failure* failure) const {
        const std::string path = stick_.Path(entry.stickPath);
        const auto current = FileThere(path);
        if (entry.WasAbsent()) {
            const Presence presence = PresenceOf(stick_, entry.stickPath);
            if (presence == Presence::Absent) return ReadBackVerdict::Same;
            (void)tamsiro::Failed(failure, {FileAction::Check, FailureReason::Exists, path});
            return presence == Presence::Unknown ? ReadBackVerdict::Unreadable : ReadBackVerdict::Different;
        }
        if (!current) {
            (void)tamsiro::Failed(failure, {FileAction::Check, FailureReason::NotFound, path});
            return ReadBackVerdict::Different;
        }
        if (entry.kind == JournalEntry::Kind::Aside) return ReadsWholeOnDevice(*current, entry.size, failure);
        return CompareOnDevice(*current, entry.previous, failure);
    }

    AppContext& context_;
    const Stick& stick_;
    const std::vector<JournalEntry>& entries_;
    RollbackOptions options_;
    Failure failure_;
    std::vector<std::string> temporaries_;
    std::vector<EntryWork> work_;
    std::vector<bool> beside_;
    RollbackOutcome outcome_;
};

}  // namespace

RollbackOutcome PutBack(AppContext& context, const Stick& stick, const std::vector<JournalEntry>& entries,
                        const RollbackOptions& options) {
    const BusyScope busy(context);
    return Rollback(context, stick, entries, options).Run();
}

bool CloseJournal(const AppContext& context, const Stick& stick, const Journal& journal,
                  std::vector<std::string>& leftOnStick) {
    if (!RemoveJournal(context)) return false;
    for (const std::string& path : journal.scratch) DiscardFile(path);
    for (const JournalEntry& entry : journal.entries) {
        if (entry.kind != JournalEntry::Kind::Aside) continue;
        const std::string aside = AsideOf(stick, entry.stickPath);
        if (!aside.empty() && KindAt(aside) != PathKind::Missing && !DeleteFileAt(aside)) leftOnStick.push_back(aside);
    }
    // TAMSIRO.NEW: where older versions wrote the new configuration files.
    for (const std::string_view folder : {program_files::kUndoFolder, program_files::kNewFolder}) {
        DiscardEmptyFolders(context.DataFilePath(folder));
    }
    return true;
}

std::string AsideOf(const Stick& stick, std::string_view stickPath) {
    const std::string target = stick.Path(stickPath);
    return target.empty() ? std::string() : ExistingName(AsidePath(target));
}

}  // namespace tamsiro
