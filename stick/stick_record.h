#pragma once

#include "host/failure.h"
#include "stick/stick.h"
#include "stick/stock_store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// One stick's record in the program folder: the folder holding its stock
// files and its STICK.JSON, and the base archive its Main installs merge
// into. The first stick keeps DATA_BASEMIND3.FILES and DATA_BASEMIND3.ODA;
// each later one gets DATA_BASEMIND3.<n> (n from 2), and a base of its own
// there only when its stock sound archive differs from every base kept.
struct StickRecord {
    std::string folder;
    std::string basePath;
    // "fat:1234-ABCD" for a FAT volume, "folder:<root>" for a folder on any
    // other file system (a copy of a stick on a hard disk).
    std::string identity;
    // Of the sound archive first seen: its entries' tags and names, which
    // a Main install keeps.
    std::string fingerprint;
    // False when the archive that became the base already held custom
    // sounds; `heldSet` names the Main set found in it.
    bool stock = true;
    std::string heldSet;
    // Set before Tamsiro first puts a sound archive other than the base on
    // the stick, so that a base lost afterwards is not taken from it
    // unasked; cleared by a Restore that leaves the stick as recorded.
    bool archiveChanged = false;
    // The base was taken after the stick's first archive was lost with its
    // base: it is a later, custom archive, and no Restore puts it back.
    bool baseLost = false;
    bool written = false;  // on disk (STICK.JSON, or a record from before identities)
    bool legacy = false;   // from before identities: STICK.JSON is still to be written
};

// What a STICK.JSON says, from its bytes, so that fuzzers and tests need
// no files: nothing when it is no record (not a JSON object, or no
// identity). A field of the wrong type reads as missing; a base that is not
// a plain relative path inside the program folder reads as none.
struct StickRecordText {
    std::string identity;
    std::string fingerprint;
    std::string base;  // relative to the program folder, '/' separators; empty: the default
    bool stock = true;
    std::string heldSet;
    bool archiveChanged = false;
    bool baseLost = false;
};
[[nodiscard]] std::optional<StickRecordText> ParseStickRecord(std::string_view text);

std::string StickIdentity(const Stick& stick);
// Empty when the archive cannot be read.
std::string ArchiveFingerprint(const std::string& archivePath);

// The stick's own record: found by identity, else a record from before
// identities that matches its sound archive's fingerprint, else the one it
// would be given (not written).
[[nodiscard]] StickRecord RecordOfStick(const AppContext& context, const Stick& stick);

// Writes STICK.JSON (under a temporary name first); the folder is made.
[[nodiscard]] bool WriteStickRecord(const AppContext& context, const StickRecord& record, Failure* failure = nullptr);
// Writes `changed` into the stick's record when it says otherwise (and
// the record with it, when it is not written yet); false when that failed.
[[nodiscard]] bool MarkArchiveChanged(const AppContext& context, StickRecord& record, bool changed,
                                      Failure* failure = nullptr);
// Removes a STICK.JSON left half-written.
void DiscardPartialRecords(const AppContext& context);

// Whether a Save kept anything in it: a stock copy or an absence marker.
bool HoldsStockFiles(const StickRecord& record);

// The base archives of every record but `record`'s, for telling whether
// an archive already holds a Main set.
std::vector<std::string> OtherBases(const AppContext& context, const StickRecord& record);

}  // namespace tamsiro
