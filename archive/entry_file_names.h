#pragma once

#include "archive/oda_format.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

// How entries become files in an extracted folder, and which file names a
// folder's manifest may name in return.

// The manifest's own name in the folder, which no entry's file may take.
inline constexpr const char* kManifestFileName = "manifest.json";

// A file name for an entry that stays inside its folder on every host:
// printable ASCII stays as it is except < > : " / \ | ? * % ~, which become
// %XX like every other byte (a NUL byte, a control byte, anything past
// ASCII); a trailing dot or space becomes %2e or %20 (so "." and ".." never
// come out); a Windows device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with
// or without an extension, any case) gets a leading "_"; an empty name
// becomes "_"; long names are cut to 150 characters.
std::string EntryFileName(std::string_view entryName);

// The file name of every entry of a table, in its order: EntryFileName of
// its name, and a name already taken (letter case aside, the manifest's
// too) gets " (2)", " (3)", ... before its extension.
std::vector<std::string> EntryFileNames(const std::vector<OdaEntry>& table);

// True for a name EntryFileName could have made (or numbered), and not the
// manifest's name: no separator, drive, device name or ".." can get through.
bool IsSafeFileName(std::string_view fileName);

}  // namespace tamsiro
