#include "archive/folder_manifest.h"

#include "archive/entry_file_names.h"
#include "archive/oda_text.h"
#include "host/text_bytes.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <utility>

namespace tamsiro {

namespace {

using Json = nlohmann::ordered_json;  // keeps the keys in the order written

// --- writing -----------------------------------------------------------------

std::string HexOf(const unsigned char* bytes, std::size_t size) {
    return HexText({reinterpret_cast<const char*>(bytes), size});
}

Json ManifestEntryOf(const OdaEntry& entry, const std::string& fileName) {
    // The name field with its trailing zeros left out; reading pads it.
    std::size_t fieldLength = kOdaNameSize;
    while (fieldLength > 0 && entry.bytes[kOdaNameField + fieldLength - 1] == 0) --fieldLength;
    return {
        {"file", fileName},
        {"tag", TagText(entry)},
        {"name", NameText(entry)},
        {"tag_hex", HexOf(entry.Tag(), kOdaTagSize)},
        {"name_field_hex", HexOf(entry.bytes.data() + kOdaNameField, fieldLength)},
        {"opaque_hex", HexOf(entry.Opaque(), kOdaOpaqueSize)},
    };
}

std::string Dumped(const Json& value) { return value.dump(2, ' ', false, Json::error_handler_t::replace); }

// --- reading -----------------------------------------------------------------

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

// A hex text decoded, of exactly `size` bytes unless `allowShorter`; none
// when the field was missing or not a string.
std::optional<std::vector<unsigned char>> HexField(const std::optional<std::string>& text, std::size_t size,
                                                   bool allowShorter = false) {
    if (!text) return std::nullopt;
    auto bytes = BytesOfHex(*text, size);
    if (!bytes || (!allowShorter && bytes->size() != size)) return std::nullopt;
    return bytes;
}

// The source's bytes a buffer at a time, for the JSON reader, which ends
// them early on a read error or on a string or number longer than
// kMaxManifestToken (the reader would hold it whole).
class ManifestBytes {
public:
    explicit ManifestBytes(ByteSource& source) : source_(source) {
        const std::int64_t size = source.Size();
        if (size < 0)
            failed_ = true;
        else
            left_ = static_cast<std::uint64_t>(size);
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
        if (!source_.ReadAt(static_cast<std::int64_t>(read_), buffer_.get(), wanted)) {
            failed_ = true;  // shorter than its size: as a failed read of the whole
            return true;
        }
        filled_ = wanted;
        position_ = 0;
        read_ += wanted;
        left_ -= wanted;
        return false;
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

    ByteSource& source_;
    static constexpr std::size_t kBufferSize = 64 * 1024;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kBufferSize);
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t read_ = 0;
    std::uint64_t left_ = 0;
    bool failed_ = false;
    bool tooLong_ = false;
    bool inString_ = false;
    bool escaped_ = false;
    std::size_t run_ = 0;
};

// Takes from the manifest, as it is read, what packing needs: the fields of
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
        ManifestVerdict verdict = ManifestVerdict::FieldWrong;
        ManifestField field = ManifestField::None;
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
            wrongEntry = WrongEntry{index, ManifestVerdict::NotAnObject, ManifestField::None, true};
            return;
        }
        if (!entry_.file || !IsSafeFileName(*entry_.file)) {
            wrongEntry = WrongEntry{index, ManifestVerdict::FieldWrong, ManifestField::File, true};
            return;
        }
        files_.push_back(*entry_.file);
        const auto tag = HexField(entry_.tag, kOdaTagSize);
        const auto nameField = HexField(entry_.nameField, kOdaNameSize, true);
        const auto opaque = HexField(entry_.opaque, kOdaOpaqueSize);
        const ManifestField wrongField = !tag         ? ManifestField::TagHex
                                         : !nameField ? ManifestField::NameFieldHex
                                         : !opaque    ? ManifestField::OpaqueHex
                                                      : ManifestField::None;
        if (wrongField != ManifestField::None) wrongEntry = WrongEntry{index, ManifestVerdict::FieldWrong, wrongField};
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

// The first index whose file name (in any case) an earlier one already
// has, or the count of names when none does.
std::size_t FirstListedTwice(const std::vector<std::string>& files) {
    std::vector<std::uint32_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (LessIgnoringAsciiCase(files[a], files[b])) return true;
        if (LessIgnoringAsciiCase(files[b], files[a])) return false;
        return a < b;
    });
    std::size_t first = files.size();
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (!LessIgnoringAsciiCase(files[order[i - 1]], files[order[i]]))
            first = std::min<std::size_t>(first, order[i]);
    }
    return first;
}

}  // namespace

ManifestWriter::ManifestWriter(const OdaHeader& header) {
    const Json head = {
        {"format", kManifestFormat},
        {"version", kManifestVersion},
        {"header_hex", HexOf(header.bytes.data(), kOdaHeaderSize)},
        {"entries", Json::array()},
    };
    const std::string text = Dumped(head);
    // Split at the empty list's "[]".
    const std::size_t listEnd = text.rfind("[]");
    head_ = text.substr(0, listEnd + 1);
    tail_ = text.substr(listEnd + 1) + "\n";
}

std::string ManifestWriter::Head() const { return head_; }

std::string ManifestWriter::Entry(const OdaEntry& entry, const std::string& file) {
    const std::string item = (entries_++ == 0 ? "\n" : ",\n") + Dumped(ManifestEntryOf(entry, file));
    std::string indented;
    for (const char c : item) {
        indented += c;
        if (c == '\n') indented += "    ";
    }
    return indented;
}

std::string ManifestWriter::Tail() const { return (entries_ == 0 ? "" : "\n  ") + tail_; }

std::string ManifestText(const FolderManifest& manifest) {
    ManifestWriter writer(manifest.header);
    std::string text = writer.Head();
    for (std::size_t i = 0; i < manifest.table.size(); ++i) text += writer.Entry(manifest.table[i], manifest.files[i]);
    return text + writer.Tail();
}

const char* ManifestKey(ManifestField field) {
    switch (field) {
    case ManifestField::None: return "";
    case ManifestField::HeaderHex: return "header_hex";
    case ManifestField::Entries: return "entries";
    case ManifestField::File: return "file";
    case ManifestField::TagHex: return "tag_hex";
    case ManifestField::NameFieldHex: return "name_field_hex";
    case ManifestField::OpaqueHex: return "opaque_hex";
    }
    return "";
}

ManifestOutcome ReadManifest(ByteSource& source, FolderManifest& manifest) {
    ManifestBytes bytes(source);
    ManifestReader reader(manifest.table, manifest.files);
    const bool parsed = Json::sax_parse(ManifestBytes::Iterator(&bytes), ManifestBytes::Iterator(), &reader);
    const auto wrong = [](ManifestVerdict verdict, ManifestField field = ManifestField::None,
                          std::optional<std::size_t> entry = std::nullopt) {
        return ManifestOutcome{.verdict = verdict, .field = field, .entry = entry};
    };
    if (bytes.Failed()) {
        ManifestOutcome outcome = wrong(ManifestVerdict::Unreadable);
        outcome.failure = source.LastFailure();
        return outcome;
    }
    if (bytes.TooLong()) return wrong(ManifestVerdict::TokenTooLong);
    if (reader.tooDeep) return wrong(ManifestVerdict::TooDeep);
    if (!parsed || reader.notAnObject) return wrong(ManifestVerdict::NotJson);
    if (!reader.formatRight || !reader.versionRight) return wrong(ManifestVerdict::OtherFormat);
    const auto header = HexField(reader.headerHex, kOdaHeaderSize);
    if (!header) return wrong(ManifestVerdict::FieldWrong, ManifestField::HeaderHex);
    std::copy(header->begin(), header->end(), manifest.header.bytes.begin());

    if (!reader.entriesAList) return wrong(ManifestVerdict::FieldWrong, ManifestField::Entries);
    if (reader.entryCount > static_cast<std::size_t>(kMaxOdaEntries)) return wrong(ManifestVerdict::TooManyEntries);
    // The first entry that is wrong, in the order of the list: a name listed
    // twice counts after the checks of the entry's kind and file name.
    const auto& wrongEntry = reader.wrongEntry;
    const std::size_t twice = FirstListedTwice(manifest.files);
    const std::size_t count = wrongEntry ? wrongEntry->index + 1 : manifest.table.size();
    for (std::size_t i = 0; i < count; ++i) {
        const bool wrongHere = wrongEntry && i == wrongEntry->index;
        if (wrongHere && wrongEntry->beforeTwice) return wrong(wrongEntry->verdict, wrongEntry->field, i);
        if (i == twice) {
            ManifestOutcome outcome = wrong(ManifestVerdict::ListedTwice, ManifestField::File, i);
            outcome.file = manifest.files[i];
            return outcome;
        }
        if (wrongHere) return wrong(wrongEntry->verdict, wrongEntry->field, i);
    }
    return {};
}

ManifestOutcome ReadManifestText(std::string_view text, FolderManifest& manifest) {
    MemorySource source(std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    return ReadManifest(source, manifest);
}

}  // namespace tamsiro
