#pragma once

#include "archive/byte_source.h"
#include "archive/oda_format.h"
#include "host/failure.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

// The manifest of an archive unpacked into a folder (archive_folder.h):
// everything but the entries' data needed to build the archive again (the
// 64 header bytes; each entry's tag, whole 128-byte name field and opaque
// bytes; the entries' order and their files' names).
//
// It is JSON. Raw bytes are stored as lower-case hex ("header_hex",
// "tag_hex", "name_field_hex" with its trailing zeros left out,
// "opaque_hex"); "tag" and "name" are the same as readable text, for people
// only, and reading ignores them.
//
// Both directions work on bytes in memory; opening and writing the file is
// the caller's, so tests and fuzzers need no files.

// What a manifest holds. The table's sizes and data offsets are zero: the
// entries' files give them.
struct FolderManifest {
    OdaHeader header;
    std::vector<OdaEntry> table;
    std::vector<std::string> files;  // one per entry, in the table's order
};

// The manifest's text a piece at a time, laid out as one dump of the whole
// would be, so that a caller writing it out holds one entry's text at a
// time however large the table: Head(), then Entry() for each entry in
// order, then Tail().
class ManifestWriter {
public:
    explicit ManifestWriter(const OdaHeader& header);

    // Up to the opening of the entry list.
    std::string Head() const;
    std::string Entry(const OdaEntry& entry, const std::string& file);
    // The rest, after the last entry.
    std::string Tail() const;

private:
    std::string head_;
    std::string tail_;
    std::size_t entries_ = 0;
};

// The whole text at once.
std::string ManifestText(const FolderManifest& manifest);

// What is wrong with a manifest: the first thing found, in the order of
// the text (an entry's defect before a later entry's).
enum class ManifestVerdict {
    Read,
    Unreadable,      // the source did not give its bytes: `failure` where the host said why
    TokenTooLong,    // a string or number longer than kMaxManifestToken
    TooDeep,         // nests deeper than kMaxManifestDepth
    NotJson,         // not one JSON object
    OtherFormat,     // not kManifestFormat, version kManifestVersion
    FieldWrong,      // `field` (of `entry`, where it has one) is not what it must be
    TooManyEntries,  // "entries" lists more than kMaxOdaEntries
    NotAnObject,     // `entry` is not an object
    ListedTwice,     // `entry`'s `file` is an earlier entry's, in any case
};

// The fields a manifest is read from.
enum class ManifestField { None, HeaderHex, Entries, File, TagHex, NameFieldHex, OpaqueHex };

// The key of a field in the text ("header_hex").
const char* ManifestKey(ManifestField field);

inline constexpr const char* kManifestFormat = "tamsiro-oda-folder";
inline constexpr int kManifestVersion = 1;

struct [[nodiscard]] ManifestOutcome {
    ManifestVerdict verdict = ManifestVerdict::Read;
    ManifestField field = ManifestField::None;
    std::optional<std::size_t> entry;
    std::string file;  // ListedTwice: the name as the entry spells it
    std::optional<Failure> failure;

    bool Read() const { return verdict == ManifestVerdict::Read; }
};

// Reads and checks a manifest from `source`, a buffer at a time: the text
// is never held whole, so its memory stays the table's whatever the source
// holds. On success `manifest` holds what the text gave; otherwise it is
// partly filled.
ManifestOutcome ReadManifest(ByteSource& source, FolderManifest& manifest);

// The same over a text in memory.
ManifestOutcome ReadManifestText(std::string_view text, FolderManifest& manifest);

// The limits a manifest is read within: the longest string, number or word
// it may hold, and how deep it may nest. Far past what extract writes (a
// field takes at most some hundred bytes, three levels), and small enough
// that reading it takes the same little memory whatever the text holds.
inline constexpr std::size_t kMaxManifestToken = 64 * 1024;
inline constexpr std::size_t kMaxManifestDepth = 64;

}  // namespace tamsiro
