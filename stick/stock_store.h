#pragma once

#include "stick/stick.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// What DATA_BASEMIND3.FILES knows of one stick file.
enum class StockRecord {
    None,    // nothing kept: Tamsiro has not changed the file since it keeps them
    Kept,    // its stock version is kept
    Absent,  // the stock stick did not have it
};

// The stock versions of the stick files a Save changes, kept in
// DATA_BASEMIND3.FILES beside the base archive and laid out like the stick
// (names are found without regard to case). A record, once made, is never
// overwritten.
class StockStore {
public:
    explicit StockStore(const AppContext& context);

    StockRecord RecordOf(std::string_view stickPath) const;
    // Host path of the kept copy of a stick file (meaningful with Kept).
    std::string KeptPath(std::string_view stickPath) const;
    // Removes copies left half-made by an interrupted Save.
    void DiscardPartialCopies() const;

    const std::string& Root() const { return tree_.Root(); }

private:
    std::string PathWithSuffix(std::string_view stickPath, std::string_view suffix) const;

    Stick tree_;
};

// Keeps the stock version of each of `stickPaths` that has no record yet,
// before a Save changes them: a copy that is written under a temporary
// name, flushed, read back, checked as an archive (.ODA files) and only then
// renamed into place; or a marker for a file that is not on the stick. A
// damaged archive gets no record at all. The
// program folder's free space is checked first. False, after telling the
// user, when they could not all be kept; the stick is untouched either way.
[[nodiscard]] bool KeepStockFiles(AppContext& context, const Stick& stick, const std::vector<std::string_view>& stickPaths);

}  // namespace tamsiro
