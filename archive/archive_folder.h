#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamsiro {

class UserInterface;

// An archive unpacked into a folder: one file per entry holding its data,
// and a manifest with everything else needed to build the archive again
// (the 64 header bytes; each entry's tag, whole 128-byte name field and
// opaque bytes; the entries' order and their files' names).
//
// The manifest is JSON. Raw bytes are stored as lower-case hex ("header_hex",
// "tag_hex", "name_field_hex" with its trailing zeros left out,
// "opaque_hex"); "tag" and "name" are the same as readable text, for people
// only, and packing ignores them.
inline constexpr const char* kManifestFileName = "manifest.json";

struct [[nodiscard]] FolderResult {
    std::string problem;  // what went wrong, empty on success
    std::size_t entries = 0;
    std::uint64_t dataBytes = 0;

    bool Ok() const { return problem.empty(); }
};

// Writes each entry's data to a file in `folder` and then the manifest.
// The folder is created when missing and must otherwise be empty, so
// nothing already there can be overwritten. The archive must pass
// CheckArchive first, and the volume must have room for all the files
// (checked before anything is written). Files are named by EntryFileName; a name already
// taken (letter case aside) gets " (2)", " (3)", ... before its extension.
// `progress`, when given, is shown the copy's progress ("Extracting").
FolderResult ExtractArchive(const std::string& archivePath, const std::string& folder,
                            UserInterface* progress = nullptr);

// Builds an archive from such a folder: the manifest's header and entries
// in its order, each entry's size taken from its file, and the data back to
// back from 64 + 144 * N (see LayOutBackToBack). For an archive laid out
// that way, Pack(Extract(A)) is byte for byte A. The manifest's file names
// must be plain names in the folder (IsSafeFileName). The archive is
// written beside its place (FILE.part) and replaces a file there only when
// complete; on failure nothing is left behind.
FolderResult PackArchive(const std::string& folder, const std::string& archivePath, UserInterface* progress = nullptr);

// A file name for an entry that stays inside its folder on every host:
// printable ASCII stays as it is except < > : " / \ | ? * % ~, which become
// %XX like every other byte (a NUL byte, a control byte, anything past
// ASCII); a trailing dot or space becomes %2e or %20 (so "." and ".." never
// come out); a Windows device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with
// or without an extension, any case) gets a leading "_"; an empty name
// becomes "_"; long names are cut to 150 characters.
std::string EntryFileName(std::string_view entryName);

// True for a name EntryFileName could have made (or numbered), and not the
// manifest's name: no separator, drive, device name or ".." can get through.
bool IsSafeFileName(std::string_view fileName);

}  // namespace tamsiro
