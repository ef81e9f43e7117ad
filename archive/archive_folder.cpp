#include "archive/archive_folder.h"

#include "app/progress.h"
#include "archive/archive_check.h"
#include "archive/archive_writer.h"
#include "archive/file_reason.h"
#include "archive/folder_manifest.h"
#include "archive/oda_archive.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/folder_listing.h"
#include "host/text_bytes.h"

#include <algorithm>
#include <cerrno>
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

// --- copying -------------------------------------------------------------

// Copies entry data through one buffer, reporting to a progress meter
// when there is one.
class DataCopier {
public:
    explicit DataCopier(ProgressMeter* meter)
        : buffer_(std::make_unique<unsigned char[]>(kCopyBufferSize)), meter_(meter) {}

    // Copies `size` bytes from `position` in the source. False when the
    // source ran short or a write failed.
    [[nodiscard]] bool Copy(ByteSource& from, std::int64_t position, BinaryFile& to, std::uint64_t size) {
        while (size > 0) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyBufferSize));
            if (!from.ReadAt(position, buffer_.get(), chunk) || !to.WriteExactly(buffer_.get(), chunk)) return false;
            position += static_cast<std::int64_t>(chunk);
            size -= chunk;
            if (meter_) meter_->Advance(chunk);
        }
        return true;
    }

private:
    std::unique_ptr<unsigned char[]> buffer_;
    ProgressMeter* meter_;
};

// A meter for `total` bytes when there is a user interface to show it.
std::optional<ProgressMeter> MeterFor(UserInterface* ui, std::string step, std::uint64_t total) {
    if (!ui) return std::nullopt;
    return std::optional<ProgressMeter>(std::in_place, *ui, std::move(step), total);
}

std::string CannotOpen(const std::string& path, int error) {
    return "cannot open " + path + " for reading: " + WhyNotReadable(path, error);
}

// --- extract -------------------------------------------------------------

// Makes `folder` (when missing) and makes sure it holds nothing.
std::optional<std::string> PrepareEmptyFolder(const std::string& folder) {
    std::error_code error;
    const fs::path path(folder);
    if (fs::exists(path, error)) {
        if (!fs::is_directory(path, error)) return folder + " exists and is not a folder";
        const bool empty = fs::is_empty(path, error);
        if (error) return "cannot look into " + folder + ": " + error.message();
        if (!empty) return folder + " is not empty";
        return std::nullopt;
    }
    if (!fs::create_directories(path, error) || error) {
        return "cannot create the folder " + folder + ": " + (error ? error.message() : ReasonText(0));
    }
    return std::nullopt;
}

// Whether the volume that will hold `folder` has room for every entry's
// file and the manifest, checked before anything is written: overlapping
// entries let a small archive claim far more data than it holds. A host
// that cannot say lets the extraction go on (a failed write still stops it).
std::optional<std::string> CheckRoomFor(const OdaArchive& archive, const std::string& folder) {
    std::error_code error;
    fs::path existing = fs::absolute(fs::path(folder), error);
    while (!error && !fs::exists(existing, error) && existing.has_parent_path() && existing != existing.parent_path()) {
        existing = existing.parent_path();
    }
    const auto space = SpaceOf(existing.string());
    if (error || !space) return std::nullopt;
    const std::uint64_t unit = space->allocationUnit;
    std::uint64_t needed = (kManifestBytesPerEntry * archive.TableSize() + unit) / unit * unit;
    for (const OdaEntry& entry : archive.Table()) needed += (entry.Size() + unit - 1) / unit * unit;
    if (needed <= space->freeBytes) return std::nullopt;
    return "not enough room in " + folder + ": extracting needs " + std::to_string(needed) + " bytes, the volume has " +
           std::to_string(space->freeBytes) + " free (entries that share data are each written in full)";
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
std::optional<std::string> ExtractInto(OdaArchive& archive, const std::string& folder, FolderResult& result,
                                       UserInterface* progress) {
    const std::vector<std::string> fileNames = EntryFileNames(archive.Table());
    for (const OdaEntry& entry : archive.Table()) result.dataBytes += entry.Size();

    auto meter = MeterFor(progress, "Extracting", result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const OdaEntry& entry = archive.Entry(i);
        const std::string path = JoinPath(folder, fileNames[i]);
        BinaryFile out;
        errno = 0;
        if (!out.Open(path, BinaryFile::Mode::Write)) return "cannot create " + path + ": " + ReasonText(errno);
        bool copied = copier.Copy(archive.Source(), entry.Offset(), out, entry.Size());
        int error = errno;
        if (copied && !out.Close()) {
            copied = false;
            error = errno;
        }
        if (!copied)
            return "entry " + std::to_string(i) + ": cannot copy its data to " + path + ": " + ReasonText(error);
        ++result.entries;
    }

    const std::string manifestPath = JoinPath(folder, kManifestFileName);
    BinaryFile out;
    errno = 0;
    if (!out.Open(manifestPath, BinaryFile::Mode::Write) || !WriteManifest(out, archive, fileNames) || !out.Close())
        return "cannot write " + manifestPath + ": " + ReasonText(errno);
    return std::nullopt;
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
std::optional<std::string> PlanPack(const std::string& folder, PackOptions options, PackPlan& plan) {
    const std::string manifestPath = JoinPath(folder, kManifestFileName);
    FileSource manifestFile;
    errno = 0;
    if (!manifestFile.Open(manifestPath)) return CannotOpen(manifestPath, errno);
    errno = 0;
    bool unreadable = false;
    if (auto problem = ReadManifest(manifestFile, plan.manifest, &unreadable)) {
        if (unreadable) return "cannot read " + manifestPath + ": " + ReasonText(errno);
        return std::string(kManifestFileName) + ": " + *problem;
    }
    manifestFile.Close();

    std::vector<OdaEntry>& table = plan.manifest.table;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string where = "entry " + std::to_string(i) + ": ";
        const std::string path = JoinPath(folder, plan.manifest.files[i]);
        std::error_code error;
        if (!fs::is_regular_file(fs::path(path), error)) return where + CannotOpen(path, 0);
        const std::uintmax_t size = fs::file_size(fs::path(path), error);
        if (error) return where + "cannot tell the size of " + path + ": " + error.message();
        if (size > UINT32_MAX) return where + path + " is larger than an entry can be (4 GiB)";
        table[i].SetSize(static_cast<std::uint32_t>(size));
    }

    plan.leftOut = FilesLeftOut(folder, plan.manifest.files);
    if (options.strict && !plan.leftOut)
        return "cannot list " + folder + " to tell whether it holds files " + kManifestFileName + " does not name";
    if (options.strict && !plan.leftOut->empty()) {
        const std::size_t count = plan.leftOut->size();
        return "holds " + std::to_string(count) + (count == 1 ? " file " : " files ") + kManifestFileName +
               " does not name";
    }

    if (!LayOutBackToBack(plan.manifest.header, table))
        return "the archive would be too large: its data would start past 2 GiB";
    return std::nullopt;
}

std::optional<std::string> WritePacked(const std::string& folder, const PackPlan& plan, BinaryFile& out,
                                       const std::string& outPath, FolderResult& result, UserInterface* progress) {
    const std::vector<OdaEntry>& table = plan.manifest.table;
    errno = 0;
    if (!out.WriteExactly(plan.manifest.header.bytes.data(), kOdaHeaderSize) ||
        out.WriteBlocks(table.data(), kOdaEntrySize, table.size()) != table.size()) {
        return "cannot write the header and the table to " + outPath + ": " + ReasonText(errno);
    }
    for (const OdaEntry& entry : table) result.dataBytes += entry.Size();
    auto meter = MeterFor(progress, "Packing", result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string path = JoinPath(folder, plan.manifest.files[i]);
        FileSource from;
        errno = 0;
        if (!from.Open(path)) return CannotOpen(path, errno);
        // The size was taken before writing began; a file that has shrunk
        // since comes up short here.
        errno = 0;
        if (!copier.Copy(from, 0, out, table[i].Size())) {
            const int error = errno;
            return "cannot copy " + path + " into " + outPath + ": " +
                   (error == 0 ? "it is shorter than when packing began" : ReasonText(error));
        }
        ++result.entries;
    }
    errno = 0;
    if (!out.Close()) return "cannot finish writing " + outPath + ": " + ReasonText(errno);
    return std::nullopt;
}

}  // namespace

FolderResult ExtractArchive(const std::string& archivePath, const std::string& folder, UserInterface* progress) {
    FolderResult result;
    if (auto problem = CheckArchiveFile(archivePath)) {
        result.problem = *problem;
        return result;
    }
    OdaArchive archive;
    errno = 0;
    if (!archive.Open(archivePath)) {
        result.problem = "cannot open the archive: " + WhyNotReadable(archivePath, errno);
        return result;
    }
    if (auto problem = CheckRoomFor(archive, folder)) {
        result.problem = *problem;
        return result;
    }
    if (auto problem = PrepareEmptyFolder(folder)) {
        result.problem = *problem;
        return result;
    }
    if (auto problem = ExtractInto(archive, folder, result, progress)) result.problem = *problem;
    return result;
}

FolderResult PackArchive(const std::string& folder, const std::string& archivePath, UserInterface* progress,
                         PackOptions options) {
    FolderResult result;
    PackPlan plan;
    auto problem = PlanPack(folder, options, plan);
    result.leftOut = std::move(plan.leftOut);
    if (problem) {
        result.problem = *problem;
        return result;
    }
    // Written beside the target and put in its place only when whole, so a
    // failed pack leaves an archive already there as it was.
    const std::string partPath = archivePath + ".part";
    BinaryFile out;
    errno = 0;
    if (!out.Open(partPath, BinaryFile::Mode::Write)) {
        result.problem = "cannot create " + partPath + ": " + ReasonText(errno);
        return result;
    }
    problem = WritePacked(folder, plan, out, partPath, result, progress);
    errno = 0;
    if (!problem && !ReplaceFile(partPath, archivePath))
        problem = "cannot put the archive in the place of " + archivePath + ": " + ReasonText(errno);
    if (problem) {
        (void)out.Close();
        DiscardFile(partPath);
        result.problem = *problem;
    }
    return result;
}

}  // namespace tamsiro
