#include "stick/stock_store.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"

#include <algorithm>

namespace tamsiro {

namespace {

std::string_view FileNameOf(std::string_view stickPath) {
    const std::size_t slash = stickPath.rfind('\\');
    return slash == std::string_view::npos ? stickPath : stickPath.substr(slash + 1);
}

bool IsArchiveName(std::string_view name) {
    constexpr std::string_view kExtension = ".ODA";
    if (name.size() < kExtension.size()) return false;
    return std::equal(kExtension.begin(), kExtension.end(), name.end() - static_cast<std::ptrdiff_t>(kExtension.size()),
                      [](char a, char b) { return a == (b >= 'a' && b <= 'z' ? static_cast<char>(b - 'a' + 'A') : b); });
}

std::string Joined(std::string_view a, std::string_view b) {
    std::string joined(a);
    joined += b;
    return joined;
}

constexpr const char* kNoRoom = "Not enough space in Tamsiro's folder to keep the stock files\nNothing was changed";
constexpr const char* kNotKept = "Could not keep the stock files in Tamsiro's folder\nNothing was changed";

// An empty file that says the stock stick did not have a file. Its creation
// is the whole of it, so it needs no temporary name.
bool WriteAbsentMarker(const std::string& path) {
    BinaryFile marker;
    if (!marker.Open(path, BinaryFile::Mode::Write)) return false;
    const bool flushed = marker.Flush();
    return marker.Close() && flushed;
}

// Room in the program folder for the copies and markers still to be made.
bool RoomToKeep(const AppContext& context, const Stick& stick, const StockStore& store,
                const std::vector<std::string_view>& stickPaths) {
    const auto space = SpaceOf(context.ProgramFolder().empty() ? std::string(1, kPathSeparator) : context.ProgramFolder());
    if (!space) return true;
    PlanStep step;
    for (const std::string_view stickPath : stickPaths) {
        if (store.RecordOf(stickPath) != StockRecord::None) continue;
        // A marker, or a copy; either may need a new folder as well.
        step.files.push_back({FileSizeAt(stick.Path(stickPath)).value_or(1), 0, false});
        step.files.push_back({1, 0, false});
    }
    return PlanSpace({step}, space->freeBytes, space->allocationUnit).Fits();
}

enum class KeepResult { Kept, Damaged, Failed };

KeepResult KeepOne(AppContext& context, const Stick& stick, const StockStore& store, std::string_view stickPath) {
    if (store.RecordOf(stickPath) != StockRecord::None) return KeepResult::Kept;
    const Stick tree(store.Root());
    const std::string folder = tree.FolderOf(stickPath);
    if (folder.empty() || !MakeFolders(folder)) return KeepResult::Failed;

    const std::string source = stick.Path(stickPath);
    if (!FileExists(source)) {
        if (!WriteAbsentMarker(JoinPath(folder, Joined(FileNameOf(stickPath), program_files::kStockAbsentSuffix)))) {
            return KeepResult::Failed;
        }
        (void)FlushFolder(folder);
        return KeepResult::Kept;
    }
    // The copy keeps the name as the stick spells it.
    const std::string name = NameOnDisk(source);
    const std::string kept = JoinPath(folder, name);
    const std::string partial = kept + std::string(program_files::kStockPartialSuffix);
    if (!CopyVerified(context.Ui(), source, partial,
                      ProgramFolderCopySteps("Keeping the stock " + name + " in Tamsiro's folder",
                                             "Checking the stock " + name + " in Tamsiro's folder"))) return KeepResult::Failed;
    if (IsArchiveName(name) && CheckArchiveFile(partial)) {
        DiscardFile(partial);
        return KeepResult::Damaged;
    }
    if (!RenameFile(partial, kept)) {
        DiscardFile(partial);
        return KeepResult::Failed;
    }
    (void)FlushFolder(folder);
    return KeepResult::Kept;
}

}  // namespace

StockStore::StockStore(const AppContext& context) : tree_(context.DataFilePath(program_files::kStockFolder)) {}

std::string StockStore::PathWithSuffix(std::string_view stickPath, std::string_view suffix) const {
    return tree_.Path(Joined(stickPath, suffix));
}

StockRecord StockStore::RecordOf(std::string_view stickPath) const {
    if (FileExists(tree_.Path(stickPath))) return StockRecord::Kept;
    if (FileExists(PathWithSuffix(stickPath, program_files::kStockAbsentSuffix))) return StockRecord::Absent;
    return StockRecord::None;
}

std::string StockStore::KeptPath(std::string_view stickPath) const { return tree_.Path(stickPath); }

void StockStore::DiscardPartialCopies() const {
    if (!IsFolder(tree_.Root())) return;
    for (const std::string_view stickPath : stick_files::kStockFiles) {
        const std::string partial = PathWithSuffix(stickPath, program_files::kStockPartialSuffix);
        if (FileExists(partial)) DiscardFile(partial);
    }
}

bool KeepStockFiles(AppContext& context, const Stick& stick, const std::vector<std::string_view>& stickPaths) {
    const StockStore store(context);
    if (!RoomToKeep(context, stick, store, stickPaths)) {
        context.ShowMessage(kNoRoom);
        return false;
    }
    const BusyScope busy(context);
    for (const std::string_view stickPath : stickPaths) {
        switch (KeepOne(context, stick, store, stickPath)) {
        case KeepResult::Kept:
            continue;
        case KeepResult::Damaged:
            // A damaged archive is never kept as the stock one, as it never
            // becomes the base. It is no one's stock sound either (an earlier
            // copy cut short leaves such files), so the Save may replace it;
            // a restore then names it as a file it cannot put back.
            continue;
        case KeepResult::Failed:
            context.ShowMessage(kNotKept);
            return false;
        }
    }
    return true;
}

}  // namespace tamsiro
