#pragma once

#include "host/failure.h"
#include "stick/stick.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// What a stick's record (DATA_BASEMIND3.FILES for the first stick, see
// stick_record.h) knows of one stick file.
enum class StockEntry {
    None,    // nothing kept: Tamsiro has not changed the file since it keeps them
    Kept,    // its stock version is kept
    Absent,  // the stock stick did not have it
};

// The stock versions of the stick files a Save changes, kept in
// the stick's record folder and laid out like the stick (names are found
// without regard to case). A record, once made, is never overwritten.
class StockStore {
public:
    explicit StockStore(std::string folder) : tree_(std::move(folder)) {}

    StockEntry RecordOf(std::string_view stickPath) const;
    // Host path of the kept copy of a stick file (meaningful with Kept).
    std::string KeptPath(std::string_view stickPath) const;
    // Removes copies left half-made by an interrupted Save.
    void DiscardPartialCopies() const;

    const std::string& Root() const { return tree_.Root(); }

private:
    std::string PathWithSuffix(std::string_view stickPath, std::string_view suffix) const;

    Stick tree_;
};

// Whether a file is on the stick. Absent only when provably so: its
// folder's listing succeeded and lacks the name (in any case), or the
// folder itself is provably missing.
enum class Presence { There, Absent, Unknown };
Presence PresenceOf(const Stick& stick, std::string_view stickPath);

enum class KeepVerdict {
    Kept,
    NoRoom,           // the program folder has no room for the copies
    NotKept,          // a copy could not be written in the program folder
    StickUnreadable,  // a stick file could not be listed, opened or read
};
struct KeepOutcome {
    KeepVerdict verdict = KeepVerdict::Kept;
    std::string stickPath;  // the file that stopped it
    Failure failure;        // why
};

// Keeps the stock version of each of `stickPaths` that has no record yet,
// before anything changes them: the exact bytes, whatever their format,
// written under a temporary name, flushed, read back and only then renamed
// into place (a damaged archive is kept too, and marked); or a marker for a
// file that is provably not on the stick. The program folder's free space
// is checked first. The stick is untouched either way.
[[nodiscard]] KeepOutcome KeepStockFiles(AppContext& context, const Stick& stick,
                                         const std::vector<std::string>& stickPaths);

}  // namespace tamsiro
