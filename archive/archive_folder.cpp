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
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
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
constexpr std::string_view kSpecialCharacters = "<>:\"/\\|?*%~";
constexpr char kHexDigits[] = "0123456789abcdef";

// --- names ---------------------------------------------------------------

bool KeepsItsByte(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F && kSpecialCharacters.find(static_cast<char>(byte)) == std::string_view::npos;
}

std::string Escaped(unsigned char byte) { return {'%', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]}; }

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

// --- the manifest ----------------------------------------------------------

Json ManifestEntryOf(const OdaEntry& entry, const std::string& fileName) {
    // The name field with its trailing zeros left out; packing pads it.
    std::size_t fieldLength = kOdaNameSize;
    while (fieldLength > 0 && entry.bytes[kOdaNameField + fieldLength - 1] == 0) --fieldLength;
    return {
        {"file", fileName},
        {"tag", TagText(entry)},
        {"name", NameText(entry)},
        {"tag_hex", HexOf(entry.Tag(), kOdaTagSize)},
        {"name_field_hex", HexOf(entry.bytes.data() + kOdaNameField, fieldLength)},
        {"opaque_hex", HexOf(entry.bytes.data() + kOdaOpaqueField, kOdaOpaqueSize)},
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

// A hex text decoded, of exactly `size` bytes unless `allowShorter`; none
// when the field was missing or not a string.
std::optional<std::vector<unsigned char>> HexField(const std::optional<std::string>& text, std::size_t size,
                                                   bool allowShorter = false) {
    if (!text) return std::nullopt;
    auto bytes = BytesOfHex(*text, size);
    if (!bytes || (!allowShorter && bytes->size() != size)) return std::nullopt;
    return bytes;
}

struct PackPlan {
    OdaHeader header;
    std::vector<OdaEntry> table;
    std::vector<std::string> files;
};

std::string ManifestProblem(const std::string& what) { return std::string(kManifestFileName) + ": " + what; }

// The longest string, number or word the manifest may hold, and how deep it
// may nest: far past what extract writes (a field takes at most some
// hundred bytes, three levels), and small enough that reading the manifest
// takes the same little memory whatever the file holds.
constexpr std::size_t kMaxManifestToken = 64 * 1024;
constexpr std::size_t kMaxManifestDepth = 64;

// The manifest's bytes a buffer at a time, for the JSON reader, which ends
// them early on a read error or on a string or number longer than
// kMaxManifestToken (the reader would hold it whole).
class ManifestBytes {
public:
    std::optional<std::string> Open(const std::string& path) {
        if (!file_.Open(path, BinaryFile::Mode::Read)) return "cannot be opened";
        const std::int64_t size = file_.Size();
        if (size < 0) return "cannot be read";
        left_ = static_cast<std::uint64_t>(size);
        return std::nullopt;
    }
    bool Failed() const { return failed_; }
    bool TooLong() const { return tooLong_; }

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = char;
        Iterator() = default;
        explicit Iterator(ManifestBytes* bytes) : bytes_(bytes) {}
        char operator*() const { return bytes_->buffer_[bytes_->position_]; }
        Iterator& operator++() {
            bytes_->Advance();
            return *this;
        }
        bool operator==(const Iterator& other) const { return AtEnd() == other.AtEnd(); }

    private:
        bool AtEnd() const { return !bytes_ || bytes_->AtEnd(); }
        ManifestBytes* bytes_ = nullptr;
    };

private:
    bool AtEnd() {
        if (position_ < filled_) return false;
        if (left_ == 0 || failed_ || tooLong_) return true;
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left_, kBufferSize));
        filled_ = file_.ReadBlocks(buffer_.get(), 1, wanted);
        position_ = 0;
        left_ -= filled_;
        if (filled_ == 0) failed_ = true;  // shorter than its size: as a failed read of the whole
        return filled_ == 0;
    }
    // Counts the length of the string, number or word the byte is in.
    void Advance() {
        const char c = buffer_[position_++];
        if (inString_) {
            if (escaped_) {
                escaped_ = false;
            } else if (c == '\\') {
                escaped_ = true;
            } else if (c == '"') {
                inString_ = false;
                run_ = 0;
                return;
            }
            ++run_;
        } else if (c == '"') {
            inString_ = true;
            run_ = 0;
        } else if (std::string_view("{}[],: \t\r\n").find(c) != std::string_view::npos) {
            run_ = 0;
        } else {
            ++run_;
        }
        if (run_ > kMaxManifestToken) tooLong_ = true;
    }

    BinaryFile file_;
    static constexpr std::size_t kBufferSize = 64 * 1024;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kBufferSize);
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t left_ = 0;
    bool failed_ = false;
    bool tooLong_ = false;
    bool inString_ = false;
    bool escaped_ = false;
    std::size_t run_ = 0;
};

// Takes from the manifest, as it is read, what pack needs: the fields of
// the top object, and for each entry its file name and table entry, up to
// the first entry that is wrong (nothing after it is looked at) or the most
// entries an archive holds. As in a JSON object read whole, a key given
// twice keeps its last value.
class ManifestReader : public nlohmann::json_sax<Json> {
public:
    // What was wrong with the first wrong entry, and whether it is found
    // before the check for a name listed twice.
    struct WrongEntry {
        std::size_t index = 0;
        std::string what;
        bool beforeTwice = false;
    };

    ManifestReader(std::vector<OdaEntry>& table, std::vector<std::string>& files) : table_(table), files_(files) {}

    bool formatRight = false;
    bool versionRight = false;
    std::optional<std::string> headerHex;
    bool entriesAList = false;
    std::size_t entryCount = 0;
    std::optional<WrongEntry> wrongEntry;
    bool notAnObject = false;
    bool tooDeep = false;

    bool null() override { return Value({}); }
    bool boolean(bool) override { return Value({}); }
    bool number_integer(number_integer_t value) override { return Value({.isOne = value == 1}); }
    bool number_unsigned(number_unsigned_t value) override { return Value({.isOne = value == 1}); }
    bool number_float(number_float_t value, const string_t&) override { return Value({.isOne = value == 1.0}); }
    bool string(string_t& value) override { return Value({.text = &value}); }
    bool binary(binary_t&) override { return Value({}); }
    bool start_object(std::size_t) override { return Open(Kind::Object); }
    bool start_array(std::size_t) override { return Open(Kind::List); }
    bool key(string_t& value) override {
        if (depth_ == 1) topKey_ = value;
        if (depth_ == 3 && inEntry_) entryKey_ = value;
        return true;
    }
    bool end_object() override {
        --depth_;
        if (depth_ == 2 && inEntry_) {
            inEntry_ = false;
            EndEntry();
        }
        return true;
    }
    bool end_array() override {
        --depth_;
        if (depth_ == 1) inEntries_ = false;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    enum class Kind { Other, Object, List };
    struct Item {
        const std::string* text = nullptr;
        bool isOne = false;
        Kind kind = Kind::Other;
    };

    bool Open(Kind kind) {
        if (depth_ >= kMaxManifestDepth) {
            tooDeep = true;
            return false;
        }
        const bool go = Value({.kind = kind});
        ++depth_;
        return go;
    }

    static std::optional<std::string> TextOf(const Item& item) {
        return item.text ? std::optional<std::string>(*item.text) : std::nullopt;
    }

    // A value (or the start of an object or list) where it stands.
    bool Value(const Item& item) {
        if (depth_ == 0) {
            notAnObject = item.kind != Kind::Object;
            return !notAnObject;
        }
        if (depth_ == 1) {
            if (topKey_ == "format") formatRight = item.text && *item.text == kManifestFormat;
            if (topKey_ == "version") versionRight = item.isOne;
            if (topKey_ == "header_hex") headerHex = TextOf(item);
            if (topKey_ == "entries") {
                entriesAList = inEntries_ = item.kind == Kind::List;
                entryCount = 0;
                wrongEntry.reset();
                table_.clear();
                files_.clear();
            }
        } else if (depth_ == 2 && inEntries_) {
            if (item.kind == Kind::Object) {
                inEntry_ = true;
                entry_ = {};
            } else {
                EndEntry(true);
            }
        } else if (depth_ == 3 && inEntry_) {
            if (entryKey_ == "file") entry_.file = TextOf(item);
            if (entryKey_ == "tag_hex") entry_.tag = TextOf(item);
            if (entryKey_ == "name_field_hex") entry_.nameField = TextOf(item);
            if (entryKey_ == "opaque_hex") entry_.opaque = TextOf(item);
        }
        return true;
    }

    void EndEntry(bool notObject = false) {
        const std::size_t index = entryCount++;
        if (wrongEntry || index >= static_cast<std::size_t>(kMaxOdaEntries)) return;
        if (notObject) {
            wrongEntry = WrongEntry{index, "not an object", true};
            return;
        }
        if (!entry_.file || !IsSafeFileName(*entry_.file)) {
            wrongEntry = WrongEntry{index, "\"file\" is not a plain file name in the folder", true};
            return;
        }
        files_.push_back(*entry_.file);
        const auto tag = HexField(entry_.tag, kOdaTagSize);
        const auto nameField = HexField(entry_.nameField, kOdaNameSize, true);
        const auto opaque = HexField(entry_.opaque, kOdaOpaqueSize);
        if (!tag)
            wrongEntry = WrongEntry{index, "\"tag_hex\" is not 4 bytes of hex"};
        else if (!nameField)
            wrongEntry = WrongEntry{index, "\"name_field_hex\" is not at most 128 bytes of hex"};
        else if (!opaque)
            wrongEntry = WrongEntry{index, "\"opaque_hex\" is not 4 bytes of hex"};
        if (wrongEntry) return;
        OdaEntry& entry = table_.emplace_back();
        std::copy(tag->begin(), tag->end(), entry.bytes.begin() + kOdaTagField);
        std::copy(nameField->begin(), nameField->end(), entry.bytes.begin() + kOdaNameField);
        std::copy(opaque->begin(), opaque->end(), entry.bytes.begin() + kOdaOpaqueField);
    }

    struct EntryFields {
        std::optional<std::string> file, tag, nameField, opaque;
    };

    std::vector<OdaEntry>& table_;
    std::vector<std::string>& files_;
    std::size_t depth_ = 0;
    std::string topKey_;
    std::string entryKey_;
    bool inEntries_ = false;
    bool inEntry_ = false;
    EntryFields entry_;
};

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// The first index whose file name (in any case) an earlier one already
// has, or the count of names when none does.
std::size_t FirstListedTwice(const std::vector<std::string>& files) {
    std::vector<std::uint32_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (LessIgnoringCase(files[a], files[b])) return true;
        if (LessIgnoringCase(files[b], files[a])) return false;
        return a < b;
    });
    std::size_t first = files.size();
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (!LessIgnoringCase(files[order[i - 1]], files[order[i]])) first = std::min<std::size_t>(first, order[i]);
    }
    return first;
}

// Reads and checks the manifest, and takes each entry's size from its file.
// It is read as a stream, never held whole: its memory stays the table's.
std::optional<std::string> PlanPack(const std::string& folder, PackPlan& plan) {
    ManifestBytes bytes;
    if (auto problem = bytes.Open(JoinPath(folder, kManifestFileName))) return ManifestProblem(*problem);
    ManifestReader manifest(plan.table, plan.files);
    const bool parsed = Json::sax_parse(ManifestBytes::Iterator(&bytes), ManifestBytes::Iterator(), &manifest);
    if (bytes.Failed()) return ManifestProblem("cannot be read");
    if (bytes.TooLong()) return ManifestProblem("holds a string or number longer than 64 KiB");
    if (manifest.tooDeep) return ManifestProblem("nests deeper than " + std::to_string(kMaxManifestDepth) + " levels");
    if (!parsed || manifest.notAnObject) return ManifestProblem("not valid JSON");
    if (!manifest.formatRight || !manifest.versionRight) {
        return ManifestProblem(std::string("not a manifest of format \"") + kManifestFormat + "\" version " +
                               std::to_string(kManifestVersion));
    }
    const auto header = HexField(manifest.headerHex, kOdaHeaderSize);
    if (!header) return ManifestProblem("\"header_hex\" is not 64 bytes of hex");
    std::copy(header->begin(), header->end(), plan.header.bytes.begin());

    if (!manifest.entriesAList) return ManifestProblem("\"entries\" is not a list");
    if (manifest.entryCount > static_cast<std::size_t>(kMaxOdaEntries)) {
        return ManifestProblem("\"entries\" lists more than the " + std::to_string(kMaxOdaEntries) +
                               " entries an archive holds");
    }
    const auto& wrong = manifest.wrongEntry;
    const std::size_t twice = FirstListedTwice(plan.files);
    const std::size_t count = wrong ? wrong->index + 1 : plan.table.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string where = "entry " + std::to_string(i) + ": ";
        if (wrong && i == wrong->index && wrong->beforeTwice) return ManifestProblem(where + wrong->what);
        const std::string& fileName = plan.files[i];
        if (i == twice) return ManifestProblem(where + "\"" + fileName + "\" is listed twice");
        if (wrong && i == wrong->index) return ManifestProblem(where + wrong->what);

        std::error_code error;
        const fs::path path = fs::path(folder) / fileName;
        if (!fs::is_regular_file(path, error)) return where + fileName + " is missing or not a file";
        const std::uintmax_t size = fs::file_size(path, error);
        if (error) return where + "cannot tell the size of " + fileName;
        if (size > UINT32_MAX) return where + fileName + " is larger than an entry can be (4 GiB)";
        plan.table[i].SetSize(static_cast<std::uint32_t>(size));
    }
    if (!LayOutBackToBack(plan.header, plan.table))
        return "the archive would be too large: its data would start past 2 GiB";
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
        if (!copier.Copy(from, 0, out, plan.table[i].Size()))
            return "cannot copy " + plan.files[i] + " into the archive";
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
            result.problem =
                "entry " + std::to_string(i) + ": cannot copy its data to " + JoinPath(folder, fileNames[i]);
            return result;
        }
        ++result.entries;
    }

    BinaryFile out;
    if (!out.Open(JoinPath(folder, kManifestFileName), BinaryFile::Mode::Write) ||
        !WriteManifest(out, archive, fileNames) || !out.Close()) {
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
    if (!problem && !ReplaceFile(partPath, archivePath))
        problem = "cannot put the archive in the place of " + archivePath;
    if (problem) {
        (void)out.Close();
        DiscardFile(partPath);
        result.problem = *problem;
    }
    return result;
}

}  // namespace tamsiro
