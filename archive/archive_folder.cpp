#include "archive/archive_folder.h"

#include "app/progress.h"
#include "archive/archive_check.h"
#include "archive/archive_layout.h"
#include "archive/folder_manifest.h"
#include "archive/oda_archive.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/folder_listing.h"
#include "host/text_bytes.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

namespace tamsiro {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCopyBufferSize = 256 * 1024;
// The most a manifest entry takes: a name of 128 odd bytes as escaped text
// and as hex, with the other fields.
constexpr std::uint64_t kManifestBytesPerEntry = 1536;

// Ends a step with `verdict`: false, for the caller to return.
bool Stop(FolderOutcome& result, FolderVerdict verdict, std::string path = {},
          std::optional<Failure> failure = std::nullopt) {
    result.verdict = verdict;
    result.path = std::move(path);
    result.failure = std::move(failure);
    return false;
}

// --- copying -------------------------------------------------------------

// Copies entry data through one buffer, reporting to a progress meter
// when there is one.
class DataCopier {
public:
    explicit DataCopier(ProgressMeter* meter)
        : buffer_(std::make_unique<unsigned char[]>(kCopyBufferSize)), meter_(meter) {}

    // Copies `size` bytes from `position` in the source. False when the
    // source ran short or a write failed; LastFailure() then says why.
    [[nodiscard]] bool Copy(ByteSource& from, std::int64_t position, BinaryFile& to, std::uint64_t size) {
        failure_.reset();
        while (size > 0) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyBufferSize));
            if (!from.ReadAt(position, buffer_.get(), chunk)) {
                failure_ = from.LastFailure();
                return false;
            }
            if (!to.WriteExactly(buffer_.get(), chunk)) {
                failure_ = to.LastFailure();
                return false;
            }
            position += static_cast<std::int64_t>(chunk);
            size -= chunk;
            if (meter_) meter_->Advance(chunk);
        }
        return true;
    }

    const std::optional<Failure>& LastFailure() const { return failure_; }

private:
    std::unique_ptr<unsigned char[]> buffer_;
    ProgressMeter* meter_;
    std::optional<Failure> failure_;
};

// A meter for `total` bytes when there is a user interface to show it.
std::optional<ProgressMeter> MeterFor(const FolderProgress& progress, std::uint64_t total) {
    if (!progress.ui) return std::nullopt;
    return std::optional<ProgressMeter>(std::in_place, *progress.ui, progress.step, total);
}

// --- extract -------------------------------------------------------------

// Makes `path` and the folders missing above it, one level at a time, so
// that a failure names the level that failed.
bool MakeMissingFolders(const fs::path& path, Failure& failure) {
    std::error_code error;
    const fs::path parent = path.parent_path();
    if (!parent.empty() && parent != path && !fs::exists(parent, error) && !MakeMissingFolders(parent, failure))
        return false;
    return MakeFolder(path.string(), &failure);
}

// Makes `folder` (when missing) and makes sure it holds nothing.
bool PrepareEmptyFolder(const std::string& folder, FolderOutcome& result) {
    std::error_code error;
    const fs::path path(folder);
    if (fs::exists(path, error)) {
        if (!fs::is_directory(path, error)) return Stop(result, FolderVerdict::NotAFolder, folder);
        const bool empty = fs::is_empty(path, error);
        if (error)
            return Stop(result, FolderVerdict::FolderNotReadable, folder, SystemFailure(FileAction::List, folder));
        if (!empty) return Stop(result, FolderVerdict::FolderNotEmpty, folder);
        return true;
    }
    Failure failure;
    if (!MakeMissingFolders(path, failure)) return Stop(result, FolderVerdict::FolderNotCreated, folder, failure);
    return true;
}

// Whether the volume that will hold `folder` has room for every entry's
// file and the manifest, checked before anything is written: overlapping
// entries let a small archive claim far more data than it holds. A host
// that cannot say lets the extraction go on (a failed write still stops it).
bool CheckRoomFor(const OdaArchive& archive, const std::string& folder, FolderOutcome& result) {
    std::error_code error;
    fs::path existing = fs::absolute(fs::path(folder), error);
    while (!error && !fs::exists(existing, error) && existing.has_parent_path() && existing != existing.parent_path()) {
        existing = existing.parent_path();
    }
    const auto space = SpaceOf(existing.string());
    if (error || !space) return true;
    const std::uint64_t unit = space->allocationUnit;
    std::uint64_t needed = (kManifestBytesPerEntry * archive.TableSize() + unit) / unit * unit;
    for (const OdaEntry& entry : archive.Table()) needed += (entry.Size() + unit - 1) / unit * unit;
    if (needed <= space->freeBytes) return true;
    result.neededBytes = needed;
    result.freeBytes = space->freeBytes;
    return Stop(result, FolderVerdict::NoRoom, folder);
}

// Writes the manifest an entry at a time, so that its memory does not grow
// with the table.
bool WriteManifest(BinaryFile& out, const OdaArchive& archive, const std::vector<std::string>& fileNames) {
    ManifestWriter writer(archive.Header());
    const auto write = [&out](const std::string& text) { return out.WriteExactly(text.data(), text.size()); };
    bool ok = write(writer.Head());
    for (std::size_t i = 0; ok && i < archive.TableSize(); ++i)
        ok = write(writer.Entry(archive.Entry(i), fileNames[i]));
    return ok && write(writer.Tail());
}

// Writes every entry's file, then the manifest.
bool ExtractInto(OdaArchive& archive, const std::string& folder, FolderOutcome& result,
                 const FolderProgress& progress) {
    const std::vector<std::string> fileNames = EntryFileNames(archive.Table());
    for (const OdaEntry& entry : archive.Table()) result.dataBytes += entry.Size();

    auto meter = MeterFor(progress, result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const OdaEntry& entry = archive.Entry(i);
        const std::string path = JoinPath(folder, fileNames[i]);
        BinaryFile out;
        if (!out.Open(path, BinaryFile::Mode::Write))
            return Stop(result, FolderVerdict::FileNotCreated, path, out.LastFailure());
        std::optional<Failure> failure;
        bool copied = copier.Copy(archive.Source(), entry.Offset(), out, entry.Size());
        if (!copied) {
            failure = copier.LastFailure();
        } else if (!out.Close()) {
            copied = false;
            failure = out.LastFailure();
        }
        if (!copied) {
            result.entry = i;
            return Stop(result, FolderVerdict::EntryNotCopied, path, failure);
        }
        ++result.entries;
    }

    const std::string manifestPath = JoinPath(folder, kManifestFileName);
    BinaryFile out;
    if (!out.Open(manifestPath, BinaryFile::Mode::Write) || !WriteManifest(out, archive, fileNames) || !out.Close())
        return Stop(result, FolderVerdict::ManifestNotWritten, manifestPath, out.LastFailure());
    return true;
}

// --- pack ----------------------------------------------------------------

struct PackPlan {
    FolderManifest manifest;
    std::optional<std::vector<std::string>> leftOut;
};

// The files in `folder` that neither the manifest nor its entries name, in
// name order; nothing when the folder cannot be listed. A named file that
// is not there as written was opened by its name in another case (pack
// fails otherwise), so a listed name that matches it so is not left out.
std::optional<std::vector<std::string>> FilesLeftOut(const std::string& folder, const std::vector<std::string>& named) {
    auto listed = ListFileNames(folder);
    if (!listed) return std::nullopt;
    const std::set<std::string> there(listed->begin(), listed->end());
    std::set<std::string> exact(named.begin(), named.end());
    exact.insert(kManifestFileName);
    std::set<std::string> otherCase;
    for (const std::string& name : exact) {
        if (!there.contains(name)) otherCase.insert(AsciiLower(name));
    }
    std::vector<std::string> leftOut;
    for (const std::string& name : there) {
        if (!exact.contains(name) && !otherCase.contains(AsciiLower(name))) leftOut.push_back(name);
    }
    return leftOut;
}

// Reads and checks the manifest, takes each entry's size from its file and
// finds the files it leaves out.
bool PlanPack(const std::string& folder, PackOptions options, PackPlan& plan, FolderOutcome& result) {
    const std::string manifestPath = JoinPath(folder, kManifestFileName);
    FileSource manifestFile;
    if (!manifestFile.Open(manifestPath))
        return Stop(result, FolderVerdict::FileNotOpened, manifestPath, manifestFile.LastFailure());
    result.manifest = ReadManifest(manifestFile, plan.manifest);
    if (result.manifest.verdict == ManifestVerdict::Unreadable)
        return Stop(result, FolderVerdict::ManifestNotRead, manifestPath, result.manifest.failure);
    if (!result.manifest.Read()) return Stop(result, FolderVerdict::ManifestWrong, manifestPath);
    manifestFile.Close();

    std::vector<OdaEntry>& table = plan.manifest.table;
    for (std::size_t i = 0; i < table.size(); ++i) {
        result.entry = i;
        const std::string path = JoinPath(folder, plan.manifest.files[i]);
        FileSource file;
        if (!file.Open(path)) return Stop(result, FolderVerdict::EntryFileMissing, path, file.LastFailure());
        const std::int64_t size = file.Size();
        if (size < 0)
            return Stop(result, FolderVerdict::EntryFileSizeUnknown, path, SystemFailure(FileAction::Read, path));
        if (size > std::int64_t{UINT32_MAX}) return Stop(result, FolderVerdict::EntryFileTooLarge, path);
        table[i].SetSize(static_cast<std::uint32_t>(size));
    }
    result.entry = 0;

    plan.leftOut = FilesLeftOut(folder, plan.manifest.files);
    if (options.strict && !plan.leftOut) return Stop(result, FolderVerdict::FolderNotListed, folder);
    if (options.strict && !plan.leftOut->empty()) return Stop(result, FolderVerdict::FilesNotNamed, folder);
    if (!LayOutBackToBack(plan.manifest.header, table)) return Stop(result, FolderVerdict::ArchiveTooLarge);
    return true;
}

bool WritePacked(const std::string& folder, const PackPlan& plan, BinaryFile& out, const std::string& outPath,
                 FolderOutcome& result, const FolderProgress& progress) {
    const std::vector<OdaEntry>& table = plan.manifest.table;
    if (!out.WriteExactly(plan.manifest.header.bytes.data(), kOdaHeaderSize) ||
        !out.WriteExactly(table.data(), kOdaEntrySize * table.size())) {
        return Stop(result, FolderVerdict::TableNotWritten, outPath, out.LastFailure());
    }
    for (const OdaEntry& entry : table) result.dataBytes += entry.Size();
    auto meter = MeterFor(progress, result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string path = JoinPath(folder, plan.manifest.files[i]);
        FileSource from;
        if (!from.Open(path)) return Stop(result, FolderVerdict::FileNotOpened, path, from.LastFailure());
        // The size was taken before writing began; a file that has shrunk
        // since comes up short here, read as damaged.
        if (!copier.Copy(from, 0, out, table[i].Size())) {
            result.into = outPath;
            const auto& failure = copier.LastFailure();
            const bool shrank = failure && failure->path == path && failure->reason == FailureReason::Damaged;
            return Stop(result, shrank ? FolderVerdict::EntryFileShrank : FolderVerdict::DataNotCopied, path, failure);
        }
        ++result.entries;
    }
    if (!out.Close()) return Stop(result, FolderVerdict::ArchiveNotFinished, outPath, out.LastFailure());
    return true;
}

}  // namespace

FolderOutcome ExtractArchive(const std::string& archivePath, const std::string& folder,
                             const FolderProgress& progress) {
    FolderOutcome result;
    result.check = CheckArchiveFile(archivePath);
    if (!result.check.Sound()) {
        (void)Stop(result, FolderVerdict::ArchiveNotSound, archivePath, result.check.failure);
        return result;
    }
    auto file = std::make_unique<FileSource>();
    if (!file->Open(archivePath)) {
        (void)Stop(result, FolderVerdict::ArchiveNotOpened, archivePath, file->LastFailure());
        return result;
    }
    OdaArchive archive;
    if (!archive.OpenSource(std::move(file))) {
        // Sound a moment ago: it changed since.
        (void)Stop(result, FolderVerdict::ArchiveNotOpened, archivePath,
                   Failure{FileAction::Read, FailureReason::Damaged, archivePath, 0});
        return result;
    }
    if (CheckRoomFor(archive, folder, result) && PrepareEmptyFolder(folder, result))
        (void)ExtractInto(archive, folder, result, progress);
    return result;
}

FolderOutcome PackArchive(const std::string& folder, const std::string& archivePath, const FolderProgress& progress,
                          PackOptions options) {
    FolderOutcome result;
    PackPlan plan;
    const bool planned = PlanPack(folder, options, plan, result);
    result.leftOut = std::move(plan.leftOut);
    if (!planned) return result;
    // Written beside the target and put in its place only when whole, so a
    // failed pack leaves an archive already there as it was.
    const std::string partPath = archivePath + ".part";
    BinaryFile out;
    if (!out.Open(partPath, BinaryFile::Mode::Write)) {
        (void)Stop(result, FolderVerdict::FileNotCreated, partPath, out.LastFailure());
        return result;
    }
    bool packed = WritePacked(folder, plan, out, partPath, result, progress);
    Failure failure;
    if (packed && !ReplaceFile(partPath, archivePath, &failure))
        packed = Stop(result, FolderVerdict::ArchiveNotReplaced, archivePath, failure);
    if (!packed) {
        (void)out.Close();
        DiscardFile(partPath);
    }
    return result;
}

}  // namespace tamsiro
