#include "archive/archive_folder.h"

#include "app/progress.h"
#include "archive/archive_check.h"
#include "archive/archive_writer.h"
#include "archive/oda_archive.h"
#include "archive/oda_text.h"
#include "host/binary_file.h"
#include "host/file_system.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <system_error>
#include <vector>

namespace tamsiro {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;  // keeps the keys in the order written

constexpr const char* kManifestFormat = "tamsiro-oda-folder";
constexpr int kManifestVersion = 1;
constexpr std::size_t kMaxFileNameLength = 150;
constexpr std::size_t kCopyBufferSize = 256 * 1024;
// The most a manifest entry takes: a name of 128 odd bytes as escaped text
// and as hex, with the other fields.
constexpr std::uint64_t kManifestBytesPerEntry = 1536;
constexpr std::size_t kOpaqueOffset = 140;
constexpr std::size_t kOpaqueSize = 4;
constexpr std::string_view kSpecialCharacters = "<>:\"/\\|?*%~";
constexpr char kHexDigits[] = "0123456789abcdef";

// --- names ---------------------------------------------------------------

bool KeepsItsByte(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F && kSpecialCharacters.find(static_cast<char>(byte)) == std::string_view::npos;
}

std::string Escaped(unsigned char byte) {
    return {'%', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices on Windows in any
// folder, whatever follows the first dot.
bool IsDeviceName(std::string_view fileName) {
    std::string stem = LowerAscii(fileName.substr(0, fileName.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' && stem[3] <= '9';
}

// Inserts " (n)" before the extension: "SND.WAV" -> "SND (2).WAV".
std::string Numbered(const std::string& fileName, int number) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t at = (dot == std::string::npos || dot == 0) ? fileName.size() : dot;
    return fileName.substr(0, at) + " (" + std::to_string(number) + ")" + fileName.substr(at);
}

// --- hex -----------------------------------------------------------------

std::string HexOf(const unsigned char* bytes, std::size_t size) {
    return HexText({reinterpret_cast<const char*>(bytes), size});
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of an even-length hex text of at most `maxSize` bytes.
std::optional<std::vector<unsigned char>> BytesOfHex(std::string_view hex, std::size_t maxSize) {
    if (hex.size() % 2 != 0 || hex.size() / 2 > maxSize) return std::nullopt;
    std::vector<unsigned char> bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexValue(hex[2 * i]);
        const int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return bytes;
}

// --- copying -------------------------------------------------------------

// Copies entry data through one buffer, reporting to a progress meter
// when there is one.
class DataCopier {
public:
    explicit DataCopier(ProgressMeter* meter) : buffer_(std::make_unique<unsigned char[]>(kCopyBufferSize)), meter_(meter) {}

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

// --- the manifest ----------------------------------------------------------

Json ManifestEntryOf(const OdaEntry& entry, const std::string& fileName) {
    // The name field with its trailing zeros left out; packing pads it.
    std::size_t fieldLength = kOdaNameSize;
    while (fieldLength > 0 && entry.bytes[4 + fieldLength - 1] == 0) --fieldLength;
    return {
        {"file", fileName},
        {"tag", TagText(entry)},
        {"name", NameText(entry)},
        {"tag_hex", HexOf(entry.Tag(), 4)},
        {"name_field_hex", HexOf(entry.bytes.data() + 4, fieldLength)},
        {"opaque_hex", HexOf(entry.bytes.data() + kOpaqueOffset, kOpaqueSize)},
    };
}

std::string Dumped(const Json& value) { return value.dump(2, ' ', false, Json::error_handler_t::replace); }

// Writes the manifest an entry at a time, laid out as one dump of the whole
// would be, so that its memory does not grow with the table.
bool WriteManifest(BinaryFile& out, const OdaArchive& archive, const std::vector<std::string>& fileNames) {
    Json head = {
        {"format", kManifestFormat},
        {"version", kManifestVersion},
        {"header_hex", HexOf(archive.Header().bytes.data(), kOdaHeaderSize)},
        {"entries", Json::array()},
    };
    std::string text = Dumped(head);
    // Up to the empty list's "[]" and what follows it.
    const std::size_t listEnd = text.rfind("[]");
    bool ok = out.WriteExactly(text.data(), listEnd + 1);
    for (std::size_t i = 0; ok && i < archive.TableSize(); ++i) {
        std::string item = (i == 0 ? "\n" : ",\n") + Dumped(ManifestEntryOf(archive.Entry(i), fileNames[i]));
        std::string indented;
        for (const char c : item) {
            indented += c;
            if (c == '\n') indented += "    ";
        }
        ok = out.WriteExactly(indented.data(), indented.size());
    }
    const std::string tail = (archive.TableSize() == 0 ? "" : "\n  ") + text.substr(listEnd + 1) + "\n";
    return ok && out.WriteExactly(tail.data(), tail.size());
}

// A hex field of `object` decoded, of exactly `size` bytes unless
// `allowShorter`.
std::optional<std::vector<unsigned char>> HexField(const Json& object, const char* key, std::size_t size,
                                                   bool allowShorter = false) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    auto bytes = BytesOfHex(it->get_ref<const std::string&>(), size);
    if (!bytes || (!allowShorter && bytes->size() != size)) return std::nullopt;
    return bytes;
}

struct PackPlan {
    OdaHeader header;
    std::vector<OdaEntry> table;
    std::vector<std::string> files;
};

std::string ManifestProblem(const std::string& what) { return std::string(kManifestFileName) + ": " + what; }

// The most a manifest of the largest table takes (see CheckRoomFor).
constexpr std::uint64_t kMaxManifestSize = kManifestBytesPerEntry * kMaxOdaEntries;

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& text) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) return "cannot be opened";
    const std::int64_t size = file.Size();
    if (size < 0) return "cannot be read";
    if (static_cast<std::uint64_t>(size) > kMaxManifestSize) {
        return "larger than the " + std::to_string(kMaxManifestSize >> 20) + " MiB a manifest of " +
               std::to_string(kMaxOdaEntries) + " entries can take";
    }
    text.resize(static_cast<std::size_t>(size));
    if (!file.ReadExactly(text.data(), text.size())) return "cannot be read";
    return std::nullopt;
}

// Reads and checks the manifest, and takes each entry's size from its file.
std::optional<std::string> PlanPack(const std::string& folder, PackPlan& plan) {
    std::string text;
    if (auto problem = ReadWholeFile(JoinPath(folder, kManifestFileName), text)) return ManifestProblem(*problem);
    const Json manifest = Json::parse(text, nullptr, false);
    if (manifest.is_discarded() || !manifest.is_object()) return ManifestProblem("not valid JSON");
    const auto format = manifest.find("format");
    const auto version = manifest.find("version");
    if (format == manifest.end() || *format != kManifestFormat || version == manifest.end() ||
        *version != kManifestVersion) {
        return ManifestProblem(std::string("not a manifest of format \"") + kManifestFormat + "\" version " +
                               std::to_string(kManifestVersion));
    }
    const auto header = HexField(manifest, "header_hex", kOdaHeaderSize);
    if (!header) return ManifestProblem("\"header_hex\" is not 64 bytes of hex");
    std::copy(header->begin(), header->end(), plan.header.bytes.begin());

    const auto entries = manifest.find("entries");
    if (entries == manifest.end() || !entries->is_array()) return ManifestProblem("\"entries\" is not a list");
    std::set<std::string> seen;
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const Json& item = (*entries)[i];
        const std::string where = "entry " + std::to_string(i) + ": ";
        if (!item.is_object()) return ManifestProblem(where + "not an object");
        const auto file = item.find("file");
        if (file == item.end() || !file->is_string() || !IsSafeFileName(file->get_ref<const std::string&>())) {
            return ManifestProblem(where + "\"file\" is not a plain file name in the folder");
        }
        const std::string& fileName = file->get_ref<const std::string&>();
        if (!seen.insert(LowerAscii(fileName)).second) return ManifestProblem(where + "\"" + fileName + "\" is listed twice");
        const auto tag = HexField(item, "tag_hex", 4);
        const auto nameField = HexField(item, "name_field_hex", kOdaNameSize, true);
        const auto opaque = HexField(item, "opaque_hex", kOpaqueSize);
        if (!tag) return ManifestProblem(where + "\"tag_hex\" is not 4 bytes of hex");
        if (!nameField) return ManifestProblem(where + "\"name_field_hex\" is not at most 128 bytes of hex");
        if (!opaque) return ManifestProblem(where + "\"opaque_hex\" is not 4 bytes of hex");

        std::error_code error;
        const fs::path path = fs::path(folder) / fileName;
        if (!fs::is_regular_file(path, error)) return where + fileName + " is missing or not a file";
        const std::uintmax_t size = fs::file_size(path, error);
        if (error) return where + "cannot tell the size of " + fileName;
        if (size > UINT32_MAX) return where + fileName + " is larger than an entry can be (4 GiB)";

        OdaEntry entry;
        std::copy(tag->begin(), tag->end(), entry.bytes.begin());
        std::copy(nameField->begin(), nameField->end(), entry.bytes.begin() + 4);
        std::copy(opaque->begin(), opaque->end(), entry.bytes.begin() + kOpaqueOffset);
        entry.SetSize(static_cast<std::uint32_t>(size));
        plan.table.push_back(entry);
        plan.files.push_back(fileName);
    }
    if (!LayOutBackToBack(plan.header, plan.table)) return "the archive would be too large: its data would start past 2 GiB";
    return std::nullopt;
}

std::optional<std::string> WritePacked(const std::string& folder, const PackPlan& plan, BinaryFile& out,
                                       FolderResult& result, UserInterface* progress) {
    if (!out.WriteExactly(plan.header.bytes.data(), kOdaHeaderSize) ||
        out.WriteBlocks(plan.table.data(), kOdaEntrySize, plan.table.size()) != plan.table.size()) {
        return "cannot write the header and the table";
    }
    for (const OdaEntry& entry : plan.table) result.dataBytes += entry.Size();
    auto meter = MeterFor(progress, "Packing", result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < plan.table.size(); ++i) {
        FileSource from;
        if (!from.Open(JoinPath(folder, plan.files[i]))) return plan.files[i] + " cannot be opened";
        // The size was taken before writing began; a file that has shrunk
        // since comes up short here.
        if (!copier.Copy(from, 0, out, plan.table[i].Size())) return "cannot copy " + plan.files[i] + " into the archive";
        ++result.entries;
    }
    if (!out.Close()) return "cannot finish writing the archive";
    return std::nullopt;
}

// Makes `folder` (when missing) and makes sure it holds nothing.
std::optional<std::string> PrepareEmptyFolder(const std::string& folder) {
    std::error_code error;
    const fs::path path(folder);
    if (fs::exists(path, error)) {
        if (!fs::is_directory(path, error)) return folder + " exists and is not a folder";
        if (!fs::is_empty(path, error) || error) return folder + " is not empty";
        return std::nullopt;
    }
    if (!fs::create_directories(path, error) || error) return "cannot create the folder " + folder;
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

std::vector<std::string> FileNamesFor(const OdaArchive& archive) {
    std::set<std::string> taken = {LowerAscii(kManifestFileName)};
    std::vector<std::string> names;
    names.reserve(archive.TableSize());
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const std::string base = EntryFileName(archive.Entry(i).Name());
        std::string name = base;
        for (int number = 2; !taken.insert(LowerAscii(name)).second; ++number) name = Numbered(base, number);
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

std::string EntryFileName(std::string_view entryName) {
    std::string name;
    for (const char c : entryName) {
        const auto byte = static_cast<unsigned char>(c);
        const std::string piece = KeepsItsByte(byte) || byte == ' ' ? std::string(1, c) : Escaped(byte);
        if (name.size() + piece.size() > kMaxFileNameLength) break;  // never inside a %XX
        name += piece;
    }
    // Windows drops trailing dots and spaces, which would also turn "." and
    // ".." into the folder itself and its parent.
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        const auto last = static_cast<unsigned char>(name.back());
        name.pop_back();
        name += Escaped(last);
    }
    if (name.empty()) return "_";
    if (IsDeviceName(name)) name.insert(0, "_");
    return name;
}

bool IsSafeFileName(std::string_view fileName) {
    if (fileName.empty() || fileName.size() > kMaxFileNameLength + 16) return false;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        // '%' only as the start of an escape the name maker wrote.
        if (!KeepsItsByte(byte) && byte != ' ' && byte != '%') return false;
    }
    if (fileName.back() == '.' || fileName.back() == ' ') return false;
    return !IsDeviceName(fileName) && LowerAscii(fileName) != LowerAscii(kManifestFileName);
}

FolderResult ExtractArchive(const std::string& archivePath, const std::string& folder, UserInterface* progress) {
    FolderResult result;
    if (auto problem = CheckArchiveFile(archivePath)) {
        result.problem = *problem;
        return result;
    }
    OdaArchive archive;
    if (!archive.Open(archivePath)) {
        result.problem = "cannot open the archive";
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
    const std::vector<std::string> fileNames = FileNamesFor(archive);
    for (const OdaEntry& entry : archive.Table()) result.dataBytes += entry.Size();

    auto meter = MeterFor(progress, "Extracting", result.dataBytes);
    DataCopier copier(meter ? &*meter : nullptr);
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const OdaEntry& entry = archive.Entry(i);
        BinaryFile out;
        if (!out.Open(JoinPath(folder, fileNames[i]), BinaryFile::Mode::Write)) {
            result.problem = "cannot create " + JoinPath(folder, fileNames[i]);
            return result;
        }
        const bool copied = copier.Copy(archive.Source(), entry.Offset(), out, entry.Size());
        if (!out.Close() || !copied) {
            result.problem = "entry " + std::to_string(i) + ": cannot copy its data to " + JoinPath(folder, fileNames[i]);
            return result;
        }
        ++result.entries;
    }

    BinaryFile out;
    if (!out.Open(JoinPath(folder, kManifestFileName), BinaryFile::Mode::Write) || !WriteManifest(out, archive, fileNames) ||
        !out.Close()) {
        result.problem = "cannot write " + JoinPath(folder, kManifestFileName);
    }
    return result;
}

FolderResult PackArchive(const std::string& folder, const std::string& archivePath, UserInterface* progress) {
    FolderResult result;
    PackPlan plan;
    if (auto problem = PlanPack(folder, plan)) {
        result.problem = *problem;
        return result;
    }
    // Written beside the target and put in its place only when whole, so a
    // failed pack leaves an archive already there as it was.
    const std::string partPath = archivePath + ".part";
    BinaryFile out;
    if (!out.Open(partPath, BinaryFile::Mode::Write)) {
        result.problem = "cannot create " + partPath;
        return result;
    }
    auto problem = WritePacked(folder, plan, out, result, progress);
    if (!problem && !ReplaceFile(partPath, archivePath)) problem = "cannot put the archive in the place of " + archivePath;
    if (problem) {
        (void)out.Close();
        DiscardFile(partPath);
        result.problem = *problem;
    }
    return result;
}

}  // namespace tamsiro
