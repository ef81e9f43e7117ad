#include "stick/stick_transaction.h"

#include "app/app_context.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/interrupts.h"
#include "stick/config_rotation.h"
#include "stick/journal.h"
#include "stick/space_plan.h"
#include "stick/stick_files.h"
#include "stick/stick_health.h"
#include "stick/stick_record.h"
#include "stick/stick_rollback.h"
#include "stick/stick_writer.h"

#include <algorithm>

namespace tamsiro {

namespace {

// "OPEN-R\...\MCUS" of "OPEN-R\...\MCUS.CFG".
std::string StemOf(std::string_view stickPath) { return std::string(stickPath.substr(0, stickPath.rfind('.'))); }

std::uint64_t SizeOrZero(const std::string& path) { return path.empty() ? 0 : FileSizeAt(path).value_or(0); }

std::uint64_t NewSizeOf(const PlannedFile& file) {
    if (file.plannedSize) return *file.plannedSize;
    return file.contents ? file.contents->size() : SizeOrZero(file.source);
}

// The stick files a step touches: a rotation replaces X.CFG and X.BAK.
std::vector<std::string> TouchedBy(const PlannedStep& step) {
    std::vector<std::string> touched;
    for (const PlannedFile& file : step.files) {
        if (step.kind == StepKind::Rotation) {
            touched.push_back(StemOf(file.stickPath) + ".CFG");
            touched.push_back(StemOf(file.stickPath) + ".BAK");
        } else {
            touched.push_back(file.stickPath);
        }
    }
    return touched;
}

// A step of one sound file replaces or removes it by setting it aside
// first. The Games pair keeps its ready names instead, and the small
// configuration files, whose .CFG and .BAK share a stem, their copies.
bool SetsAsideAlone(const PlannedStep& step) {
    if (step.kind != StepKind::Files || step.files.size() != 1) return false;
    const std::string_view path = step.files.front().stickPath;
    return path.size() > 4 && EqualIgnoringAsciiCase(path.substr(path.size() - 4), ".ODA");
}

void DiscardTemporaries(const std::string& target) {
    DiscardFile(BesidePath(target));
    DiscardFile(ReadyPath(target));
}

}  // namespace

const FileOutcome* CarryOutcome::Of(std::string_view stickPath) const {
    for (const FileOutcome& file : files) {
        if (file.stickPath == stickPath) return &file;
    }
    return nullptr;
}

ChangeVerdict CarryOutcome::VerdictOf(std::string_view stickPath) const {
    const FileOutcome* file = Of(stickPath);
    return file ? file->verdict : ChangeVerdict::NotDone;
}

bool CarryOutcome::Failed(std::string_view stickPath) const {
    const ChangeVerdict verdict = VerdictOf(stickPath);
    return verdict != ChangeVerdict::Done && verdict != ChangeVerdict::NotDone;
}

Room JudgeRoom(const Stick& stick, const StickPlan& plan) {
    Room room;
    const auto space = SpaceOf(stick.FolderPath(stick_files::kSoundArchive));
    if (!space) {
        // A host that cannot say: write beside, as on a roomy stick.
        room.beside.assign(plan.size(), true);
        room.setAside = true;
        return room;
    }
    std::vector<SpaceStep> steps;
    for (const PlannedStep& planned : plan) {
        SpaceStep step;
        step.besideOnly = planned.kind == StepKind::Rotation;
        for (const PlannedFile& file : planned.files) {
            if (planned.kind == StepKind::Rotation) {
                // X.TMP is new; the old X.BAK goes.
                step.files.push_back({NewSizeOf(file), SizeOrZero(stick.Path(StemOf(file.stickPath) + ".BAK")), false});
            } else {
                const std::string target = stick.Path(file.stickPath);
                step.files.push_back({file.Removes() ? 0 : NewSizeOf(file), FileExists(target) ? SizeOrZero(target) : 0,
                                      file.Removes()});
            }
        }
        steps.push_back(std::move(step));
    }
    const SpacePlan spacePlan = PlanSpace(steps, space->freeBytes, space->allocationUnit);
    room.fits = spacePlan.Fits();
    room.missingBytes = spacePlan.missingBytes;
    room.beside = spacePlan.beside;
    // Set aside, a file frees its room only once the change is over.
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (SetsAsideAlone(plan[i])) steps[i].files.front().oldSize = 0;
    }
    const SpacePlan heldPlan = PlanSpace(steps, space->freeBytes, space->allocationUnit);
    room.setAside = heldPlan.Fits() &&
                    std::all_of(heldPlan.beside.begin(), heldPlan.beside.end(), [](bool beside) { return beside; });
    return room;
}

StickTransaction::StickTransaction(AppContext& context, const Stick& stick, StickPlan plan, Room room)
    : context_(context), stick_(stick), plan_(std::move(plan)), room_(std::move(room)) {
    room_.beside.resize(plan_.size(), true);
}

PrepareOutcome StickTransaction::Keep() {
    BeginProgressStage(ProgressStage::Keeping);
    const JournalOnDisk pending = LoadJournal(context_);
    if (pending.presence == JournalPresence::Unreadable) return {PrepareVerdict::JournalUnreadable, {}};
    if (pending.presence == JournalPresence::Readable) {
        // The start tidies this stick's own journal away before any change;
        // one still here could not be undone, and must not be overwritten.
        const bool ours = JournalNamesStick(pending.journal, stick_.Root(), StickIdentity(stick_));
        return {ours ? PrepareVerdict::ChangePending : PrepareVerdict::OtherStickPending, {}};
    }
    const BusyScope busy(context_);
    std::vector<std::string> touched;
    for (const PlannedStep& step : plan_) {
        for (std::string& path : TouchedBy(step)) {
            if (std::find(touched.begin(), touched.end(), path) == touched.end()) touched.push_back(std::move(path));
        }
    }
    // The sound archive's stock record is the base archive.
    std::vector<std::string> recorded;
    for (const std::string& path : touched) {
        if (path != stick_files::kSoundArchive) recorded.push_back(path);
    }
    const KeepOutcome kept = KeepStockFiles(context_, stick_, recorded);
    switch (kept.verdict) {
    case KeepVerdict::Kept: break;
    case KeepVerdict::NoRoom: return {PrepareVerdict::NoRoomToKeep, {}, kept.failure};
    case KeepVerdict::NotKept: return {PrepareVerdict::NotKept, kept.stickPath, kept.failure};
    case KeepVerdict::StickUnreadable: return {PrepareVerdict::StickUnreadable, kept.stickPath, kept.failure};
    }

    // Where each file's bytes from before are: its stock record when it
    // still holds them, else a copy made now.
    StickRecord stickRecord = RecordOfStick(context_, stick_);
    const StockStore store(stickRecord.folder);
    const Stick undo(context_.DataFilePath(program_files::kUndoFolder));
    std::vector<std::string> setAside;
    for (const PlannedStep& step : plan_) {
        if (room_.setAside && SetsAsideAlone(step)) setAside.push_back(step.files.front().stickPath);
    }
    Journal journal;
    journal.stickRoot = stick_.Root();
    journal.stickIdentity = StickIdentity(stick_);
    for (const std::string& path : touched) {
        JournalEntry entry;
        entry.stickPath = path;
        const Presence presence = PresenceOf(stick_, path);
        if (presence == Presence::Unknown) return {PrepareVerdict::StickUnreadable, path};
        const std::string current = presence == Presence::There ? stick_.Path(path) : std::string();
        if (!current.empty() && std::find(setAside.begin(), setAside.end(), path) != setAside.end() &&
            KindAt(AsideOf(stick_, path)) == PathKind::Missing) {
            entry.kind = JournalEntry::Kind::Aside;
            entry.size = FileSizeAt(current);
            if (!entry.size) return {PrepareVerdict::StickUnreadable, path};
        } else if (presence == Presence::There) {
            const std::string record = path == stick_files::kSoundArchive         ? stickRecord.basePath
                                       : store.RecordOf(path) == StockEntry::Kept ? store.KeptPath(path)
                                                                                  : std::string();
            if (!record.empty() && SameContent(record, current)) {
                entry.previous = record;
                entry.size = FileSizeAt(record);
            } else {
                const std::string copy = JoinPath(undo.FolderPath(path), NameOnDisk(current));
                Failure failure;
                if (!MakeFolders(undo.FolderPath(path), &failure)) return {PrepareVerdict::NotKept, path, failure};
                const CopySteps steps = InFolderSteps(context_, ProgressStep::KeepingInFolder,
                                                      ProgressStep::CheckingInFolder, NameOnDisk(current));
                if (!CopyVerified(context_.Ui(), current, copy, steps, &failure)) {
                    // The stick's fault when its file did not read; else the folder's.
                    const bool stickFailed = failure.path == current || !ReadsToTheEnd(current);
                    return {stickFailed ? PrepareVerdict::StickUnreadable : PrepareVerdict::NotKept, path, failure};
                }
                entry.previous = copy;
                journal.scratch.push_back(copy);
            }
            // What the next start checks the kept bytes against.
            const auto fingerprint = FingerprintOf(entry.previous);
            if (!fingerprint) {
                return {PrepareVerdict::NotKept, path, {FileAction::Read, FailureReason::Io, entry.previous}};
            }
            entry.size = fingerprint->size;
            entry.hash = fingerprint->hash;
        }
        journal.entries.push_back(std::move(entry));
    }
    // Marked before the journal lets it change: a crash never leaves a
    // custom sound archive whose record does not say so.
    const bool customArchive = std::any_of(plan_.begin(), plan_.end(), [&](const PlannedStep& step) {
        return std::any_of(step.files.begin(), step.files.end(), [&](const PlannedFile& file) {
            return file.stickPath == stick_files::kSoundArchive && file.source != stickRecord.basePath;
        });
    });
    if (customArchive && !MarkArchiveChanged(context_, stickRecord, true)) return {PrepareVerdict::NotKept, {}};
    if (!SaveJournal(context_, journal)) return {PrepareVerdict::NotKept, {}};
    state_ = TransactionState::Kept;
    return {};
}

namespace {

// Writes a planned file's new bytes to `target`, checked on the device.
ChangeVerdict WriteChecked(AppContext& context, const PlannedFile& file, const std::string& target, Failure* failure) {
    CopySteps steps = ToStickSteps(context, file.copying, StickFileName(file.stickPath));
    steps.stopsOnInterrupt = true;
    const bool written = file.contents ? WriteVerified(context.Ui(), *file.contents, target, steps, failure)
                                       : CopyVerified(context.Ui(), file.source, target, steps, failure);
    if (written) return ChangeVerdict::Done;
    return failure && failure->action == FileAction::Create ? ChangeVerdict::CreateFailed : ChangeVerdict::WriteFailed;
}

// The outcome of a step's files, filled in as it goes.
class StepRun {
public:
    StepRun(AppContext& context, const Stick& stick, const PlannedStep& step, const std::vector<JournalEntry>& entries,
            std::vector<FileOutcome>& results)
        : context_(context), stick_(stick), step_(step), entries_(entries), results_(results) {}

    bool Fail(const PlannedFile& file, ChangeVerdict verdict) {
        results_.push_back({file.stickPath, verdict, failure_});
        for (const PlannedFile& each : step_.files) DiscardTemporaries(stick_.Path(each.stickPath));
        return false;
    }

    // Every file beside its target, and only when all are whole and
    // checked, each in its target's place. Each rename and deletion flushes
    // its folder itself.
    bool Beside() {
        // A file alone goes straight from its beside name to its target: the
        // ready name only keeps several files of a step together.
        const bool alone = step_.files.size() == 1;
        auto waiting = [alone](const std::string& target) { return alone ? BesidePath(target) : ReadyPath(target); };
        for (const PlannedFile& file : step_.files) {
            if (file.Removes()) continue;
            const ChangeVerdict written = WriteBeside(file);
            if (written != ChangeVerdict::Done) return Fail(file, written);
        }
        for (const PlannedFile& file : step_.files) {
            const std::string target = stick_.Path(file.stickPath);
            if (!alone && !file.Removes() && !ReplaceFile(BesidePath(target), ReadyPath(target), &failure_)) {
                return Fail(file, ChangeVerdict::RenameFailed);
            }
        }
        for (const PlannedFile& file : step_.files) {
            const std::string target = stick_.Path(file.stickPath);
            if (file.Removes()) {
                if (!RemoveIfThere(file)) return Fail(file, ChangeVerdict::RemoveFailed);
            } else if (!SetAsideIfJournalled(file) || !ReplaceFile(waiting(target), target, &failure_)) {
                return Fail(file, ChangeVerdict::RenameFailed);
            }
            results_.push_back({file.stickPath, ChangeVerdict::Done});
        }
        return true;
    }

    // No room for both: each old file goes first (its bytes are kept).
    bool OneByOne() {
        for (const PlannedFile& file : step_.files) {
            if (!RemoveIfThere(file)) return Fail(file, ChangeVerdict::RemoveFailed);
            if (file.Removes()) {
                results_.push_back({file.stickPath, ChangeVerdict::Done});
                continue;
            }
            const std::string target = stick_.Path(file.stickPath);
            const ChangeVerdict written = WriteBeside(file);
            if (written != ChangeVerdict::Done) return Fail(file, written);
            if (!ReplaceFile(BesidePath(target), ReadyPath(target), &failure_) ||
                !ReplaceFile(ReadyPath(target), target, &failure_)) {
                return Fail(file, ChangeVerdict::RenameFailed);
            }
            results_.push_back({file.stickPath, ChangeVerdict::Done});
        }
        return true;
    }

    bool Rotate() {
        for (const PlannedFile& file : step_.files) {
            const std::string stem = StemOf(file.stickPath);
            if (!RotateConfigFiles(stick_.Path(stem + ".TMP"), stick_.Path(stem + ".CFG"), stick_.Path(stem + ".BAK"),
                                   &failure_)) {
                return Fail(file, ChangeVerdict::RenameFailed);
            }
        }
        return Done();
    }

private:
    ChangeVerdict WriteBeside(const PlannedFile& file) {
        return WriteChecked(context_, file, BesidePath(stick_.Path(file.stickPath)), &failure_);
    }

    const JournalEntry* AsideEntryOf(const PlannedFile& file) const {
        for (const JournalEntry& entry : entries_) {
            if (entry.kind == JournalEntry::Kind::Aside && entry.stickPath == file.stickPath) return &entry;
        }
        return nullptr;
    }

    // The old file takes its aside name, where the journal says it does.
    bool SetAsideIfJournalled(const PlannedFile& file) {
        if (!AsideEntryOf(file)) return true;
        const std::string current = stick_.Path(file.stickPath);
        return RenameFile(current, AsidePath(current), &failure_);
    }

    bool RemoveIfThere(const PlannedFile& file) {
        if (AsideEntryOf(file)) return SetAsideIfJournalled(file);
        switch (PresenceOf(stick_, file.stickPath)) {
        case Presence::Absent: return true;
        case Presence::There: return DeleteFileAt(stick_.Path(file.stickPath), &failure_);
        case Presence::Unknown: break;
        }
        return Failed(&failure_, {FileAction::List, FailureReason::Io, stick_.FolderPath(file.stickPath)});
    }

    bool Done() {
        for (const PlannedFile& file : step_.files) results_.push_back({file.stickPath, ChangeVerdict::Done});
        return true;
    }

    AppContext& context_;
    const Stick& stick_;
    const PlannedStep& step_;
    const std::vector<JournalEntry>& entries_;
    std::vector<FileOutcome>& results_;
    Failure failure_;
};

// X.TMP written and checked before anything else changes: the voice list
// that no longer names the male voice is whole before the male voice goes.
bool WriteRotationFiles(AppContext& context, const Stick& stick, const PlannedStep& step,
                        std::vector<FileOutcome>& results) {
    for (const PlannedFile& file : step.files) {
        const std::string tmp = stick.Path(StemOf(file.stickPath) + ".TMP");
        Failure failure{FileAction::Create, FailureReason::NotFound, tmp};
        const ChangeVerdict verdict =
            tmp.empty() ? ChangeVerdict::CreateFailed : WriteChecked(context, file, tmp, &failure);
        if (verdict != ChangeVerdict::Done) {
            results.push_back({file.stickPath, verdict, failure});
            return false;
        }
    }
    return true;
}

void DiscardRotationFiles(const Stick& stick, const StickPlan& plan) {
    for (const PlannedStep& step : plan) {
        if (step.kind != StepKind::Rotation) continue;
        for (const PlannedFile& file : step.files) DiscardFile(stick.Path(StemOf(file.stickPath) + ".TMP"));
    }
}

}  // namespace

namespace {

// The files a step leaves on the stick once it is done, and what each must
// then hold: a rotation leaves the new X.CFG and the old one as X.BAK.
struct ExpectedFile {
    std::string stickPath;
    std::string source;                   // a host file with the bytes meant
    std::optional<std::string> contents;  // or the bytes themselves
    bool absent = false;
};

std::vector<ExpectedFile> ExpectedAfter(const PlannedStep& step, const Journal& journal) {
    std::vector<ExpectedFile> expected;
    for (const PlannedFile& file : step.files) {
        if (step.kind != StepKind::Rotation) {
            expected.push_back({file.stickPath, file.source, file.contents, file.Removes()});
            continue;
        }
        expected.push_back({StemOf(file.stickPath) + ".CFG", {}, file.contents, false});
        for (const JournalEntry& entry : journal.entries) {
            if (entry.stickPath == StemOf(file.stickPath) + ".CFG" && entry.kind == JournalEntry::Kind::Previous) {
                expected.push_back({StemOf(file.stickPath) + ".BAK", entry.previous, std::nullopt, entry.WasAbsent()});
            }
        }
    }
    return expected;
}

ReadBackVerdict CheckExpected(AppContext& context, const Stick& stick, const ExpectedFile& file, Failure* failure) {
    const std::string path = stick.Path(file.stickPath);
    if (file.absent) {
        const Presence presence = PresenceOf(stick, file.stickPath);
        if (presence == Presence::Absent) return ReadBackVerdict::Same;
        (void)Failed(failure, {FileAction::Check,
                               presence == Presence::There ? FailureReason::Exists : FailureReason::Io, path});
        return presence == Presence::Unknown ? ReadBackVerdict::Unreadable : ReadBackVerdict::Different;
    }
    if (path.empty() || KindAt(ExistingName(path)) != PathKind::File) {
        (void)Failed(failure, {FileAction::Check, FailureReason::NotFound, path});
        return ReadBackVerdict::Different;
    }
    const std::uint64_t size = file.contents ? file.contents->size() : FileSizeAt(file.source).value_or(0);
    ProgressMeter meter(context.Ui(), context.Caption(ProgressStep::CheckingOnStick, StickFileName(file.stickPath)),
                        size);
    return file.contents ? CompareBytesOnDevice(path, *file.contents, failure, &meter)
                         : CompareOnDevice(path, file.source, failure, &meter);
}

CarryVerdict VerdictOfRollback(const RollbackOutcome& rollback, CarryVerdict done) {
    switch (rollback.verdict) {
    case RollbackVerdict::Done: return done;
    case RollbackVerdict::ReadOnly:
    case RollbackVerdict::Damaged: return CarryVerdict::Damaged;
    case RollbackVerdict::Gone: return CarryVerdict::Gone;
    case RollbackVerdict::NoRoom:
    case RollbackVerdict::NeedsRecoveredRoom:
    case RollbackVerdict::Failed: return CarryVerdict::UndoFailed;
    }
    return CarryVerdict::UndoFailed;
}

// Why the stick stopped taking changes, if it did.
std::optional<CarryVerdict> Halted(const Stick& stick) {
    switch (ConditionOf(stick)) {
    case StickCondition::Writable: return std::nullopt;
    case StickCondition::ReadOnly: return CarryVerdict::Damaged;
    case StickCondition::Gone: return CarryVerdict::Gone;
    }
    return std::nullopt;
}

}  // namespace

CarryOutcome StickTransaction::Carry() {
    const BusyScope busy(context_);
    // A stick left half-changed until Tamsiro next starts with this folder
    // is what an interrupt must not cause.
    const InterruptScope interrupts;
    CarryOutcome result;
    const JournalOnDisk onDisk = LoadJournal(context_);
    if (state_ != TransactionState::Kept || onDisk.presence != JournalPresence::Readable) {
        result.verdict = CarryVerdict::Undone;
        return result;
    }
    const Journal& journal = onDisk.journal;
    std::vector<std::string> leftOnStick;
    // A stick that takes no writes is left as it is: nothing changed yet.
    if (ConditionOf(stick_) != StickCondition::Writable) {
        const bool closed = CloseJournal(context_, stick_, journal, leftOnStick);
        result.verdict = ConditionOf(stick_) == StickCondition::Gone ? CarryVerdict::Gone
                         : closed                                    ? CarryVerdict::WriteProtected
                                                                     : CarryVerdict::UndoFailed;
        state_ = closed ? TransactionState::RolledBack : TransactionState::Kept;
        return result;
    }
    state_ = TransactionState::Carrying;
    BeginProgressStage(ProgressStage::Writing);
    auto entriesFrom = [&](std::size_t step) {
        std::vector<JournalEntry> tail;
        for (const JournalEntry& entry : journal.entries) {
            for (std::size_t i = step; i < plan_.size(); ++i) {
                const std::vector<std::string> touched = TouchedBy(plan_[i]);
                if (std::find(touched.begin(), touched.end(), entry.stickPath) != touched.end()) {
                    tail.push_back(entry);
                    break;
                }
            }
        }
        return tail;
    };
    auto stopped = [&](CarryVerdict verdict) {
        // The journal stays: the next start, on a stick that is whole
        // again, puts everything back.
        result.verdict = verdict;
        return result;
    };

    // A rotation whose new file could not be written stops the carry
    // before it: the steps ahead of it still run.
    std::size_t end = plan_.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (plan_[i].kind == StepKind::Rotation && !WriteRotationFiles(context_, stick_, plan_[i], result.files)) {
            if (const auto halted = Halted(stick_)) return stopped(*halted);
            end = i;
        }
    }
    std::optional<std::size_t> failedStep;
    if (end < plan_.size() && !plan_[end].optional) failedStep = end;
    for (std::size_t i = 0; i < end && !failedStep; ++i) {
        if (InterruptRequested()) {
            failedStep = i;
            break;
        }
        StepRun run(context_, stick_, plan_[i], journal.entries, result.files);
        const bool carried = plan_[i].kind == StepKind::Rotation ? run.Rotate()
                             : room_.beside[i]                   ? run.Beside()
                                                                 : run.OneByOne();
        // A step that failed because the stick went read-only or away is
        // not undone here: that could only fail part-way.
        if (const auto halted = Halted(stick_)) return stopped(*halted);
        if (!carried) failedStep = i;
    }
    DiscardRotationFiles(stick_, plan_);
    if (!failedStep && end < plan_.size()) failedStep = end;

    // The last check: every file the change leaves, read back from the
    // device, before anything is called done. A chain cut by a
    // cross-linked cluster shows only here.
    auto checkBack = [&](std::size_t steps) -> std::optional<CarryVerdict> {
        BeginProgressStage(ProgressStage::Checking);
        for (std::size_t i = 0; i < steps; ++i) {
            for (const ExpectedFile& expected : ExpectedAfter(plan_[i], journal)) {
                Failure failure;
                const ReadBackVerdict back = CheckExpected(context_, stick_, expected, &failure);
                if (back == ReadBackVerdict::Same) continue;
                if (back == ReadBackVerdict::Unreadable) return Halted(stick_).value_or(CarryVerdict::Damaged);
                // Its write is what failed, whatever it reported at the time.
                auto done = std::find_if(result.files.begin(), result.files.end(),
                                         [&](const FileOutcome& file) { return file.stickPath == expected.stickPath; });
                if (done == result.files.end()) done = result.files.insert(result.files.end(), {expected.stickPath});
                done->verdict = ChangeVerdict::WriteFailed;
                done->failure = failure;
                return CarryVerdict::Undone;
            }
        }
        return std::nullopt;
    };

    std::optional<CarryVerdict> checked;
    if (!failedStep) {
        checked = checkBack(plan_.size());
    } else if (!InterruptRequested() && plan_[*failedStep].optional) {
        const RollbackOutcome rollback = PutBack(context_, stick_, entriesFrom(*failedStep));
        result.verdict = VerdictOfRollback(rollback, CarryVerdict::OptionalStepsUndone);
        if (result.verdict != CarryVerdict::OptionalStepsUndone) return result;
        checked = checkBack(*failedStep);
    } else {
        const bool interrupted = InterruptRequested();
        if (interrupted) {
            // Stopped on request: the whole change is undone, and no file failed.
            for (FileOutcome& file : result.files) {
                if (file.verdict != ChangeVerdict::Done) file.verdict = ChangeVerdict::NotDone;
            }
        }
        checked = interrupted ? CarryVerdict::Stopped : CarryVerdict::Undone;
    }
    if (checked == CarryVerdict::Damaged || checked == CarryVerdict::Gone) return stopped(*checked);
    if (checked) {
        result.verdict = VerdictOfRollback(PutBack(context_, stick_, journal.entries), *checked);
        if (result.verdict != CarryVerdict::Undone && result.verdict != CarryVerdict::Stopped) return result;
    }
    if (!CloseJournal(context_, stick_, journal, result.leftOnStick)) {
        // What the next start would do: undo it all.
        const RollbackOutcome rollback = PutBack(context_, stick_, journal.entries);
        result.verdict = VerdictOfRollback(rollback, CarryVerdict::Undone);
        if (result.verdict != CarryVerdict::Undone) return result;
        result.leftOnStick.clear();
        (void)CloseJournal(context_, stick_, journal, result.leftOnStick);
    }
    const bool undone = result.verdict == CarryVerdict::Undone || result.verdict == CarryVerdict::Stopped;
    state_ = undone ? TransactionState::RolledBack : TransactionState::Committed;
    if (undone) {
        for (FileOutcome& file : result.files) {
            if (file.verdict != ChangeVerdict::Done) continue;
            file.verdict = ChangeVerdict::NotDone;
            ++result.undoneFiles;
        }
    }
    return result;
}

}  // namespace tamsiro
