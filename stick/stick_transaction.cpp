#include "stick/stick_transaction.h"

#include "app/app_context.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/interrupts.h"
#include "stick/config_rotation.h"
#include "stick/space_plan.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"

#include <algorithm>

namespace tamsiro {

namespace {

constexpr std::string_view kJournalHeader = "TAMSIRO JOURNAL 1";

std::string Joined(std::string_view a, std::string_view b) {
    std::string joined(a);
    joined += b;
    return joined;
}

// "OPEN-R\...\MCUS" of "OPEN-R\...\MCUS.CFG".
std::string StemOf(std::string_view stickPath) { return std::string(stickPath.substr(0, stickPath.rfind('.'))); }

std::uint64_t SizeOrZero(const std::string& path) { return path.empty() ? 0 : FileSizeAt(path).value_or(0); }

std::uint64_t NewSizeOf(const PlannedFile& file) {
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

// What the journal holds: the stick, and per touched file where its bytes
// from before are (empty: it was provably not there). A file set aside has
// them on the stick, under its aside name, once its step has begun; until
// then they are still under its own name, `original`.
struct JournalEntry {
    std::string stickPath;
    std::string previous;
    std::string original;
    bool aside = false;
};

struct Journal {
    std::string stickRoot;
    std::vector<JournalEntry> entries;
    std::vector<std::string> scratch;  // program-folder copies to remove once it is over
};

std::string JournalPath(const AppContext& context) { return context.DataFilePath(program_files::kJournal); }

bool WriteJournal(const AppContext& context, const Journal& journal) {
    std::string text = Joined(kJournalHeader, "\n");
    text += "stick\t" + journal.stickRoot + "\n";
    for (const JournalEntry& entry : journal.entries) {
        text += (entry.aside ? "aside\t" : "file\t") + entry.stickPath + "\t" + entry.previous;
        text += (entry.aside ? "\t" + entry.original : std::string()) + "\n";
    }
    for (const std::string& path : journal.scratch) text += "scratch\t" + path + "\n";
    // The journal counts from the moment it has its name, so it gets it
    // only once it is whole and on the disk.
    const std::string partial = context.DataFilePath(program_files::kJournalPartial);
    BinaryFile file;
    if (!file.Open(partial, BinaryFile::Mode::Write)) return false;
    bool written = file.WriteExactly(text.data(), text.size());
    written = file.Flush() && written;
    written = file.Close() && written;
    // The rename flushes the journal under its name, then the folder.
    if (!written || !RenameFile(partial, JournalPath(context))) {
        DiscardFile(partial);
        return false;
    }
    return true;
}

std::optional<Journal> ReadJournal(const AppContext& context) {
    const std::optional<std::string> text = ReadWholeFile(JournalPath(context));
    if (!text || text->rfind(kJournalHeader, 0) != 0) return std::nullopt;
    Journal journal;
    std::size_t at = 0;
    while (at < text->size()) {
        const std::size_t end = std::min(text->find('\n', at), text->size());
        const std::string line = text->substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string kind = line.substr(0, tab);
        const std::string rest = line.substr(tab + 1);
        if (kind == "stick") journal.stickRoot = rest;
        if (kind == "scratch") journal.scratch.push_back(rest);
        if (kind == "file" || kind == "aside") {
            const std::size_t second = rest.find('\t');
            if (second == std::string::npos) return std::nullopt;
            JournalEntry entry{rest.substr(0, second), rest.substr(second + 1), {}, kind == "aside"};
            if (entry.aside) {
                const std::size_t third = entry.previous.find('\t');
                if (third == std::string::npos) return std::nullopt;
                entry.original = entry.previous.substr(third + 1);
                entry.previous.resize(third);
            }
            journal.entries.push_back(std::move(entry));
        }
    }
    return journal;
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

// Puts `previous` (empty: nothing) back at a stick path, beside the file
// that is there when there is room, else in its place.
bool PutBack(UserInterface& ui, const Stick& stick, const JournalEntry& entry) {
    if (entry.aside) {
        DiscardTemporaries(entry.original);
        if (FileExists(entry.previous)) return ReplaceFile(entry.previous, entry.original);
        // Never set aside: the file under its own name is still the old one.
        return FileExists(entry.original);
    }
    const std::string current = stick.Path(entry.stickPath);
    if (current.empty()) return false;
    const std::string folder = stick.FolderOf(entry.stickPath);
    DiscardTemporaries(current);
    if (entry.previous.empty()) {
        const Presence presence = PresenceOf(stick, entry.stickPath);
        if (presence == Presence::Unknown) return false;
        if (presence == Presence::There && !DeleteFileAt(current)) return false;
        return presence == Presence::Absent || FlushFolder(folder);
    }
    const bool there = FileExists(current);
    if (there && SameContent(entry.previous, current)) return true;
    // A file that is gone comes back under the name it had (a kept copy
    // keeps the stick's spelling; the base archive has a name of its own).
    const std::string keptName = NameOnDisk(entry.previous);
    const std::string_view stickName = std::string_view(entry.stickPath).substr(entry.stickPath.rfind('\\') + 1);
    const std::string target =
        there || !EqualIgnoringAsciiCase(keptName, stickName) ? current : JoinPath(folder, keptName);
    const std::string beside = BesidePath(target);
    const std::string step = "Restoring " + std::string(stickName) + " on memory stick";
    bool written = CopyVerified(ui, entry.previous, beside, StickCopySteps(step, stickName));
    if (!written && there) {
        // No room for both: the file being undone goes first.
        written = DeleteFileAt(target) && CopyVerified(ui, entry.previous, beside, StickCopySteps(step, stickName));
    }
    written = written && FlushFolder(folder) && ReplaceFile(beside, target) && FlushFolder(folder);
    if (!written) DiscardFile(beside);
    return written;
}

bool PutAllBack(UserInterface& ui, const Stick& stick, const std::vector<JournalEntry>& entries) {
    bool all = true;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) all = PutBack(ui, stick, *entry) && all;
    return all;
}

// Removes the journal and the copies it names; false when the journal
// stays (its change would then be undone at the next start).
bool CloseJournal(const AppContext& context, const Journal& journal) {
    // The deletion flushes the folder: the change is over once it is done.
    if (!DeleteFileAt(JournalPath(context))) return false;
    for (const std::string& path : journal.scratch) DiscardFile(path);
    // What was set aside goes now; one that stays is tidied at the next start.
    for (const JournalEntry& entry : journal.entries) {
        if (entry.aside && FileExists(entry.previous) && !DeleteFileAt(entry.previous))
            (void)DeleteFileAt(entry.previous);
    }
    // TAMSIRO.NEW: where older versions wrote the new configuration files.
    for (const std::string_view folder : {program_files::kUndoFolder, program_files::kNewFolder}) {
        DiscardEmptyFolders(context.DataFilePath(folder));
    }
    return true;
}

}  // namespace

ChangeOutcome CarryResult::OutcomeOf(std::string_view stickPath) const {
    for (const FileResult& file : files) {
        if (file.stickPath == stickPath) return file.outcome;
    }
    return ChangeOutcome::NotDone;
}

bool CarryResult::Failed(std::string_view stickPath) const {
    const ChangeOutcome outcome = OutcomeOf(stickPath);
    return outcome != ChangeOutcome::Done && outcome != ChangeOutcome::NotDone;
}

Room JudgeRoom(const Stick& stick, const StickPlan& plan) {
    Room room;
    const auto space = SpaceOf(stick.FolderOf(stick_files::kSoundArchive));
    if (!space) {
        // A host that cannot say: write beside, as on a roomy stick.
        room.beside.assign(plan.size(), true);
        room.setAside = true;
        return room;
    }
    std::vector<PlanStep> steps;
    for (const PlannedStep& planned : plan) {
        PlanStep step;
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
    if (const std::optional<Journal> pending = ReadJournal(context_)) {
        if (pending->stickRoot != stick_.Root() || !RollBackInterruptedChange(context_, stick_)) {
            return {PrepareVerdict::OtherStickPending, {}};
        }
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
    case KeepVerdict::NoRoom: return {PrepareVerdict::NoRoomToKeep, {}};
    case KeepVerdict::NotKept: return {PrepareVerdict::NotKept, kept.stickPath};
    case KeepVerdict::StickUnreadable: return {PrepareVerdict::StickUnreadable, kept.stickPath};
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
    Journal journal{stick_.Root(), {}, {}};
    for (const std::string& path : touched) {
        JournalEntry entry{path, {}};
        const Presence presence = PresenceOf(stick_, path);
        if (presence == Presence::Unknown) return {PrepareVerdict::StickUnreadable, path};
        const std::string current = presence == Presence::There ? stick_.Path(path) : std::string();
        if (!current.empty() && std::find(setAside.begin(), setAside.end(), path) != setAside.end() &&
            !FileExists(AsidePath(current))) {
            entry.previous = AsidePath(current);
            entry.original = current;
            entry.aside = true;
        } else if (presence == Presence::There) {
            const std::string record = path == stick_files::kSoundArchive          ? stickRecord.basePath
                                       : store.RecordOf(path) == StockRecord::Kept ? store.KeptPath(path)
                                                                                   : std::string();
            if (!record.empty() && SameContent(record, current)) {
                entry.previous = record;
            } else {
                const std::string copy = JoinPath(undo.FolderOf(path), NameOnDisk(current));
                if (!MakeFolders(undo.FolderOf(path))) return {PrepareVerdict::NotKept, path};
                if (!CopyVerified(context_.Ui(), current, copy,
                                  ProgramFolderCopySteps("Keeping " + NameOnDisk(current) + " in Tamsiro's folder",
                                                         "Checking " + NameOnDisk(current) + " in Tamsiro's folder"))) {
                    return {ReadsToTheEnd(current) ? PrepareVerdict::NotKept : PrepareVerdict::StickUnreadable, path};
                }
                entry.previous = copy;
                journal.scratch.push_back(copy);
            }
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
    if (!WriteJournal(context_, journal)) return {PrepareVerdict::NotKept, {}};
    return {};
}

namespace {

// Writes a planned file's new bytes to `target`, checked on the device.
ChangeOutcome WriteChecked(UserInterface& ui, const PlannedFile& file, const std::string& target) {
    CopySteps steps = StickCopySteps(file.progress, file.stickPath);
    steps.stopsOnInterrupt = true;
    if (!file.contents)
        return CopyVerified(ui, file.source, target, steps) ? ChangeOutcome::Done : ChangeOutcome::WriteFailed;
    switch (WriteVerified(ui, *file.contents, target, steps)) {
    case WriteOutcome::Written: return ChangeOutcome::Done;
    case WriteOutcome::NotCreated: return ChangeOutcome::CreateFailed;
    case WriteOutcome::NotWritten: break;
    }
    return ChangeOutcome::WriteFailed;
}

// The outcome of a step's files, filled in as it goes.
class StepRun {
public:
    StepRun(AppContext& context, const Stick& stick, const PlannedStep& step, const std::vector<JournalEntry>& entries,
            std::vector<FileResult>& results)
        : context_(context), stick_(stick), step_(step), entries_(entries), results_(results) {}

    bool Fail(const PlannedFile& file, ChangeOutcome outcome) {
        results_.push_back({file.stickPath, outcome});
        for (const PlannedFile& each : step_.files) DiscardTemporaries(stick_.Path(each.stickPath));
        return false;
    }

    bool WriteBeside(const PlannedFile& file) {
        return WriteChecked(context_.Ui(), file, BesidePath(stick_.Path(file.stickPath))) == ChangeOutcome::Done;
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
            if (!file.Removes() && !WriteBeside(file)) return Fail(file, ChangeOutcome::WriteFailed);
        }
        for (const PlannedFile& file : step_.files) {
            const std::string target = stick_.Path(file.stickPath);
            if (!alone && !file.Removes() && !ReplaceFile(BesidePath(target), ReadyPath(target))) {
                return Fail(file, ChangeOutcome::RenameFailed);
            }
        }
        for (const PlannedFile& file : step_.files) {
            const std::string target = stick_.Path(file.stickPath);
            if (file.Removes()) {
                if (!RemoveIfThere(file)) return Fail(file, ChangeOutcome::RemoveFailed);
            } else if (!SetAsideIfJournalled(file) || !ReplaceFile(waiting(target), target)) {
                return Fail(file, ChangeOutcome::RenameFailed);
            }
            results_.push_back({file.stickPath, ChangeOutcome::Done});
        }
        return true;
    }

    // No room for both: each old file goes first (its bytes are kept).
    bool OneByOne() {
        for (const PlannedFile& file : step_.files) {
            if (!RemoveIfThere(file)) return Fail(file, ChangeOutcome::RemoveFailed);
            if (file.Removes()) {
                results_.push_back({file.stickPath, ChangeOutcome::Done});
                continue;
            }
            const std::string target = stick_.Path(file.stickPath);
            if (!WriteBeside(file)) return Fail(file, ChangeOutcome::WriteFailed);
            if (!ReplaceFile(BesidePath(target), ReadyPath(target)) || !ReplaceFile(ReadyPath(target), target)) {
                return Fail(file, ChangeOutcome::RenameFailed);
            }
            results_.push_back({file.stickPath, ChangeOutcome::Done});
        }
        return true;
    }

    bool Rotate() {
        for (const PlannedFile& file : step_.files) {
            const std::string stem = StemOf(file.stickPath);
            if (!RotateConfigFiles(stick_.Path(stem + ".TMP"), stick_.Path(stem + ".CFG"),
                                   stick_.Path(stem + ".BAK"))) {
                return Fail(file, ChangeOutcome::RenameFailed);
            }
        }
        return Done();
    }

private:
    const JournalEntry* AsideEntryOf(const PlannedFile& file) const {
        for (const JournalEntry& entry : entries_) {
            if (entry.aside && entry.stickPath == file.stickPath) return &entry;
        }
        return nullptr;
    }

    // The old file takes its aside name, where the journal says it does.
    bool SetAsideIfJournalled(const PlannedFile& file) {
        const JournalEntry* entry = AsideEntryOf(file);
        return !entry || RenameFile(entry->original, entry->previous);
    }

    bool RemoveIfThere(const PlannedFile& file) {
        if (AsideEntryOf(file)) return SetAsideIfJournalled(file);
        const Presence presence = PresenceOf(stick_, file.stickPath);
        return presence == Presence::Absent ||
               (presence == Presence::There && DeleteFileAt(stick_.Path(file.stickPath)));
    }

    bool Done() {
        for (const PlannedFile& file : step_.files) results_.push_back({file.stickPath, ChangeOutcome::Done});
        return true;
    }

    AppContext& context_;
    const Stick& stick_;
    const PlannedStep& step_;
    const std::vector<JournalEntry>& entries_;
    std::vector<FileResult>& results_;
};

// X.TMP written and checked before anything else changes: the voice list
// that no longer names the male voice is whole before the male voice goes.
bool WriteRotationFiles(AppContext& context, const Stick& stick, const PlannedStep& step,
                        std::vector<FileResult>& results) {
    for (const PlannedFile& file : step.files) {
        const std::string tmp = stick.Path(StemOf(file.stickPath) + ".TMP");
        const ChangeOutcome outcome = tmp.empty() ? ChangeOutcome::CreateFailed : WriteChecked(context.Ui(), file, tmp);
        if (outcome != ChangeOutcome::Done) {
            results.push_back({file.stickPath, outcome});
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

CarryResult StickTransaction::Carry() {
    const BusyScope busy(context_);
    // A stick left half-changed until Tamsiro next starts with this folder
    // is what an interrupt must not cause.
    const InterruptScope interrupts;
    CarryResult result;
    std::optional<Journal> journal = ReadJournal(context_);
    if (!journal) {
        result.verdict = CarryVerdict::Undone;
        return result;
    }
    auto entriesFrom = [&](std::size_t step) {
        std::vector<JournalEntry> tail;
        for (const JournalEntry& entry : journal->entries) {
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

    // A rotation whose new file could not be written stops the carry
    // before it: the steps ahead of it still run.
    std::size_t end = plan_.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (plan_[i].kind == StepKind::Rotation && !WriteRotationFiles(context_, stick_, plan_[i], result.files))
            end = i;
    }
    std::optional<std::size_t> failedStep;
    if (end < plan_.size() && !plan_[end].optional) failedStep = end;
    for (std::size_t i = 0; i < end && !failedStep; ++i) {
        if (InterruptRequested()) {
            failedStep = i;
            break;
        }
        StepRun run(context_, stick_, plan_[i], journal->entries, result.files);
        const bool carried = plan_[i].kind == StepKind::Rotation ? run.Rotate()
                             : room_.beside[i]                   ? run.Beside()
                                                                 : run.OneByOne();
        if (!carried) failedStep = i;
    }
    DiscardRotationFiles(stick_, plan_);
    if (!failedStep && end < plan_.size()) failedStep = end;
    if (failedStep && InterruptRequested()) {
        // Stopped on request: the whole change is undone, and no file failed.
        for (FileResult& file : result.files) {
            if (file.outcome != ChangeOutcome::Done) file.outcome = ChangeOutcome::NotDone;
        }
        result.verdict =
            PutAllBack(context_.Ui(), stick_, journal->entries) ? CarryVerdict::Stopped : CarryVerdict::UndoFailed;
    } else if (failedStep && plan_[*failedStep].optional) {
        result.verdict = PutAllBack(context_.Ui(), stick_, entriesFrom(*failedStep)) ? CarryVerdict::OptionalStepsUndone
                                                                                     : CarryVerdict::UndoFailed;
    } else if (failedStep) {
        result.verdict =
            PutAllBack(context_.Ui(), stick_, journal->entries) ? CarryVerdict::Undone : CarryVerdict::UndoFailed;
    }
    if (result.verdict == CarryVerdict::UndoFailed) return result;
    if (!CloseJournal(context_, *journal)) {
        // What the next start would do: undo it all.
        result.verdict =
            PutAllBack(context_.Ui(), stick_, journal->entries) ? CarryVerdict::Undone : CarryVerdict::UndoFailed;
        if (result.verdict == CarryVerdict::Undone) (void)CloseJournal(context_, *journal);
    }
    if (result.verdict == CarryVerdict::Undone || result.verdict == CarryVerdict::Stopped) {
        for (FileResult& file : result.files) {
            if (file.outcome != ChangeOutcome::Done) continue;
            file.outcome = ChangeOutcome::NotDone;
            ++result.undoneFiles;
        }
    }
    return result;
}

bool RollBackInterruptedChange(AppContext& context, const Stick& stick) {
    const std::optional<Journal> journal = ReadJournal(context);
    DiscardFile(context.DataFilePath(program_files::kJournalPartial));
    if (journal && journal->stickRoot != stick.Root()) return false;
    if (journal && !(PutAllBack(context.Ui(), stick, journal->entries) && CloseJournal(context, *journal)))
        return false;
    // With no journal left, a file still set aside is what a change that
    // was over did not get to remove: its new file has taken its name, or
    // it was the male voice, which a Save removes. Any other was set aside
    // by a change that no journal here knows of (one from another program
    // folder, cut short): it goes back under its name.
    for (const std::string_view stickPath : stick_files::kSafelyWrittenFiles) {
        const std::string target = stick.Path(stickPath);
        if (target.empty()) continue;
        const std::string aside = ExistingName(AsidePath(target));
        if (!FileExists(aside)) continue;
        if (FileExists(target) || stickPath == stick_files::kMaleVoice) {
            (void)DeleteFileAt(aside);
        } else {
            (void)RenameFile(aside, target);
        }
    }
    return true;
}

}  // namespace tamsiro
