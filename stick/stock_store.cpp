#include "stick/stock_store.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/folder_listing.h"
#include "host/replacement_file.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"

#include <algorithm>

namespace tamsiro {

namespace {

bool IsArchiveName(std::string_view name) {
    constexpr std::string_view kExtension = ".ODA";
    if (name.size() < kExtension.size()) return false;
    return std::equal(
        kExtension.begin(), kExtension.end(), name.end() - static_cast<std::ptrdiff_t>(kExtension.size()),
        [](char a, char b) { return a == (b >= 'a' && b <= 'z' ? static_cast<char>(b - 'a' + 'A') : b); });
}

std::string Joined(std::string_view a, std::string_view b) {
    std::string joined(a);
    joined += b;
    return joined;
}

// An empty file that says the stock stick did not have a file. Its creation
// is the whole of it, so it needs no temporary name.
bool WriteAbsentMarker(const std::string& path, Failure* failure) {
    BinaryFile marker;
    if (marker.Open(path, BinaryFile::Mode::Write) && marker.Flush() && marker.Close()) return true;
    return Failed(failure, marker.LastFailure());
}

// Room in the program folder for the copies and markers still to be made.
bool RoomToKeep(const AppContext& context, const Stick& stick, const StockStore& store,
                const std::vector<std::string>& stickPaths) {
    const auto space =
        SpaceOf(context.ProgramFolder().empty() ? std::string(1, kPathSeparator) : context.ProgramFolder());
    if (!space) return true;
    SpaceStep step;
    for (const std::string& stickPath : stickPaths) {
        if (store.RecordOf(stickPath) != StockEntry::None) continue;
        // A marker, or a copy; either may need a new folder as well.
        step.files.push_back({FileSizeAt(stick.Path(stickPath)).value_or(1), 0, false});
        step.files.push_back({1, 0, false});
    }
    return PlanSpace({step}, space->freeBytes, space->allocationUnit).Fits();
}

KeepVerdict KeepOne(AppContext& context, const Stick& stick, const StockStore& store, std::string_view stickPath,
                    Failure* failure) {
    if (store.RecordOf(stickPath) != StockEntry::None) return KeepVerdict::Kept;
    const Stick tree(store.Root());
    const std::string folder = tree.FolderPath(stickPath);
    if (!MakeFolders(folder, failure)) return KeepVerdict::NotKept;

    switch (PresenceOf(stick, stickPath)) {
    case Presence::Unknown:
        (void)Failed(failure, {FileAction::List, FailureReason::Io, stick.FolderPath(stickPath)});
        return KeepVerdict::StickUnreadable;
    case Presence::Absent:
        if (!WriteAbsentMarker(JoinPath(folder, Joined(StickFileName(stickPath), program_files::kStockAbsentSuffix)),
                               failure)) {
            return KeepVerdict::NotKept;
        }
        return FlushFolder(folder, failure) ? KeepVerdict::Kept : KeepVerdict::NotKept;
    case Presence::There: break;
    }
    const std::string source = stick.Path(stickPath);
    // The copy keeps the name as the stick spells it, and gets it only once
    // it is whole and checked.
    const std::string name = NameOnDisk(source);
    ReplacementFile kept(JoinPath(folder, name), program_files::kStockPartialSuffix);
    const CopySteps steps =
        InFolderSteps(context, ProgressStep::KeepingStockInFolder, ProgressStep::CheckingStockInFolder, name);
    if (!CopyVerified(context.Ui(), source, kept.TemporaryPath(), steps, failure)) {
        return failure && failure->path != source && ReadsToTheEnd(source) ? KeepVerdict::NotKept
                                                                           : KeepVerdict::StickUnreadable;
    }
    // A damaged archive is still what the stick had: kept, and marked so
    // that nothing mistakes it for a sound set.
    if (IsArchiveName(name) && !CheckArchiveFile(kept.TemporaryPath()).Sound() &&
        !WriteAbsentMarker(JoinPath(folder, name + std::string(program_files::kStockDamagedSuffix)), failure)) {
        return KeepVerdict::NotKept;
    }
    if (!kept.Commit(ReplacementFile::Existing::Keep)) {
        (void)Failed(failure, kept.LastFailure());
        return KeepVerdict::NotKept;
    }
    return KeepVerdict::Kept;
}

}  // namespace

std::string StockStore::PathWithSuffix(std::string_view stickPath, std::string_view suffix) const {
    return tree_.Path(Joined(stickPath, suffix));
}

StockEntry StockStore::RecordOf(std::string_view stickPath) const {
    if (FileExists(tree_.Path(stickPath))) return StockEntry::Kept;
    if (FileExists(PathWithSuffix(stickPath, program_files::kStockAbsentSuffix))) return StockEntry::Absent;
    return StockEntry::None;
}

std::string StockStore::KeptPath(std::string_view stickPath) const { return tree_.Path(stickPath); }

void StockStore::DiscardPartialCopies() const {
    if (!IsFolder(tree_.Root())) return;
    for (const std::string_view stickPath : stick_files::kStockFiles) {
        const std::string partial = PathWithSuffix(stickPath, program_files::kStockPartialSuffix);
        if (FileExists(partial)) DiscardFile(partial);
    }
}

Presence PresenceOf(const Stick& stick, std::string_view stickPath) {
    const std::string folder = stick.FolderPath(stickPath);
    if (folder.empty()) return Presence::Unknown;
    const auto names = ListFileNames(folder);
    if (!names) return FolderProvablyAbsent(folder) ? Presence::Absent : Presence::Unknown;
    const std::string_view name = StickFileName(stickPath);
    const bool there = std::any_of(names->begin(), names->end(),
                                   [&](const std::string& entry) { return EqualIgnoringAsciiCase(entry, name); });
    return there ? Presence::There : Presence::Absent;
}

KeepOutcome KeepStockFiles(AppContext& context, const Stick& stick, const std::vector<std::string>& stickPaths) {
    const StickRecord record = RecordOfStick(context, stick);
    const StockStore store(record.folder);
    if (!RoomToKeep(context, stick, store, stickPaths)) return {KeepVerdict::NoRoom, {}};
    // The record first: what is kept then lands in the folder it names. One
    // not yet written would name the next free folder at each look.
    Failure failure;
    if ((!record.written || record.legacy) && !WriteStickRecord(context, record, &failure)) {
        return {KeepVerdict::NotKept, {}, failure};
    }
    const BusyScope busy(context);
    for (const std::string& stickPath : stickPaths) {
        Failure failure;
        const KeepVerdict verdict = KeepOne(context, stick, store, stickPath, &failure);
        if (verdict != KeepVerdict::Kept) return {verdict, stickPath, failure};
    }
    return {};
}

}  // namespace tamsiro
