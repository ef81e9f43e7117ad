// Fuzz target: the extracted folder's manifest, read from bytes. Checks the
// reader against the manifest's rules applied to the text parsed whole, and
// that what it reads is written back to a text that reads the same.
#include "archive/entry_file_names.h"
#include "archive/folder_manifest.h"
#include "fuzz/fuzz_support.h"
#include "host/text_bytes.h"
#include "install/archive_words.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

using Json = nlohmann::json;

// Levels of objects and lists: a plain value has none.
std::size_t Depth(const Json& value) {
    std::size_t deepest = 0;
    if (value.is_structured()) {
        for (const Json& item : value) deepest = std::max(deepest, Depth(item));
        return deepest + 1;
    }
    return 0;
}

// Even-length hex of at most `maxSize` bytes (exactly, unless `shorter`).
std::optional<Bytes> ReferenceHex(const Json& value, std::size_t maxSize, bool shorter = false) {
    if (!value.is_string()) return std::nullopt;
    const std::string& text = value.get_ref<const std::string&>();
    if (text.size() % 2 != 0 || text.size() / 2 > maxSize || (!shorter && text.size() / 2 != maxSize))
        return std::nullopt;
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) || !std::isxdigit(static_cast<unsigned char>(pair[1])))
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(std::stoul(pair, nullptr, 16)));
    }
    return bytes;
}

// The manifest the text holds, by its rules, or nothing when it breaks one.
std::optional<FolderManifest> Reference(const std::uint8_t* data, std::size_t size) {
    const Json json = Json::parse(data, data + size, nullptr, false);
    if (json.is_discarded() || !json.is_object() || Depth(json) > kMaxManifestDepth) return std::nullopt;
    const auto field = [&json](const char* key) { return json.contains(key) ? json[key] : Json(); };
    if (field("format") != "tamsiro-oda-folder" || field("version") != 1) return std::nullopt;
    const auto header = ReferenceHex(field("header_hex"), kOdaHeaderSize);
    const Json entries = field("entries");
    if (!header || !entries.is_array() || entries.size() > static_cast<std::size_t>(kMaxOdaEntries))
        return std::nullopt;
    FolderManifest manifest;
    std::copy(header->begin(), header->end(), manifest.header.bytes.begin());
    std::set<std::string> taken;
    for (const Json& entry : entries) {
        if (!entry.is_object() || !entry.contains("file") || !entry["file"].is_string()) return std::nullopt;
        const std::string file = entry["file"];
        if (!IsSafeFileName(file) || !taken.insert(AsciiLower(file)).second) return std::nullopt;
        const auto hex = [&entry](const char* key, std::size_t maxSize, bool shorter = false) {
            return entry.contains(key) ? ReferenceHex(entry[key], maxSize, shorter) : std::nullopt;
        };
        const auto tag = hex("tag_hex", kOdaTagSize);
        const auto name = hex("name_field_hex", kOdaNameSize, true);
        const auto opaque = hex("opaque_hex", kOdaOpaqueSize);
        if (!tag || !name || !opaque) return std::nullopt;
        OdaEntry& out = manifest.table.emplace_back();
        std::copy(tag->begin(), tag->end(), out.bytes.begin() + kOdaTagField);
        std::copy(name->begin(), name->end(), out.bytes.begin() + kOdaNameField);
        std::copy(opaque->begin(), opaque->end(), out.bytes.begin() + kOdaOpaqueField);
        manifest.files.push_back(file);
    }
    return manifest;
}

bool Same(const FolderManifest& a, const FolderManifest& b) {
    if (a.header.bytes != b.header.bytes || a.files != b.files || a.table.size() != b.table.size()) return false;
    for (std::size_t i = 0; i < a.table.size(); ++i) {
        if (a.table[i].bytes != b.table[i].bytes) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FolderManifest read;
    const ManifestOutcome outcome = ReadManifestText(text, read);
    Require(outcome.Read() || !ManifestOutcomeText(outcome).empty(), "a problem has words");
    // Past this length a single string may break the token limit, which
    // the reference does not model.
    if (size <= kMaxManifestToken) {
        const auto expected = Reference(data, size);
        Require(outcome.Read() == expected.has_value(), "the reader accepts what the rules accept");
        if (expected) Require(Same(read, *expected), "the reader reads what the text says");
    }
    if (!outcome.Read()) return 0;
    FolderManifest again;
    Require(ReadManifestText(ManifestText(read), again).Read(), "a manifest written reads back");
    Require(Same(again, read), "a manifest written reads back the same");
    return 0;
}
