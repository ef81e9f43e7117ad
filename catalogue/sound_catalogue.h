#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// The eighteen choices of the selection dialog: three categories of six
// rows, named here by the category's place in the dialog and the row's
// (both from 0). The labels are what the dialog shows; a row's data files
// are named after its file label (the label up to its first blank).
inline constexpr int kRowsPerCategory = 6;

inline constexpr std::array<const char*, kRowsPerCategory> kRowLabels = {
    "Tilda", "JumpyNoor", "SqueakyIda", "Barnaby", "Zorbit", "MiniTilda (fits in 32MB)",
};

struct SoundCategory {
    const char* caption;
    const char* prefix;        // data-file prefix
    const char* secondPrefix;  // Games need a second file; nullptr otherwise
};

inline constexpr SoundCategory kMainCategory{"Main", "M3", nullptr};
inline constexpr SoundCategory kVoiceCategory{"Talkative Voice", "V3", nullptr};
inline constexpr SoundCategory kGamesCategory{"Games (Demo, Simon)", "G3A", "G3B"};

// Top to bottom, as the dialog shows them; the places below index this.
inline constexpr std::array<SoundCategory, 3> kCategoriesInDialogOrder = {kMainCategory, kVoiceCategory,
                                                                          kGamesCategory};
inline constexpr std::size_t kMainPlace = 0;
inline constexpr std::size_t kVoicePlace = 1;
inline constexpr std::size_t kGamesPlace = 2;

// The sixth Talkative Voice row fits a 32 MB stick: choosing it offers to
// delete the stock male voice, whatever its label says.
inline constexpr int kMaleVoiceRemovalRow = 5;

// A file label for each row of each category, in dialog order.
using RowFileLabels = std::array<std::array<std::string, kRowsPerCategory>, kCategoriesInDialogOrder.size()>;

// The file labels of the catalogue's own row labels.
RowFileLabels CatalogueFileLabels();

// Which rows have their data files in the program folder.
class RowAvailability {
public:
    bool IsAvailable(std::size_t categoryPlace, int row) const;
    // How many of the eighteen rows are available.
    int Count() const;

    void Set(std::size_t categoryPlace, int row, bool available);

private:
    std::array<std::array<bool, kRowsPerCategory>, kCategoriesInDialogOrder.size()> available_{};
};

// Whether each row's set is in the program folder, the row standing for the
// set its file label names (the catalogue's labels unless a front end shows
// others).
RowAvailability AvailableRows(const AppContext& context, const RowFileLabels& labels = CatalogueFileLabels());

// The label a row's text stands for in file names: the first 63
// characters of the text, up to the first blank ("MiniTilda" for
// "MiniTilda (fits in 32MB)"). Only a blank cuts it, not a tab.
std::string FileLabelOf(std::string_view rowText);

// "DATA_{prefix}_{label}.ODA".
std::string DataFileName(std::string_view prefix, std::string_view label);

// Whether the data files of the set with file label `label` are in the
// program folder: DATA_{prefix}_{label}.ODA, and for Games its
// DATA_{secondPrefix}_{label}.ODA as well.
bool SetFilesPresent(const AppContext& context, const SoundCategory& category, std::string_view label);

// The sets of a category whose files are in the program folder, by file
// label: the six rows' labels first, in row order, then every other set
// found there, sorted. A set author can so install a new set under its
// own name. Names are matched without regard to case.
std::vector<std::string> AvailableSets(const AppContext& context, const SoundCategory& category);
// Whether the program folder holds any whole set, of the rows or its own.
bool HoldsAnySoundSet(const AppContext& context);

// The data file a set still needs in the program folder (for Games, either
// of its two), or empty when it has them all.
std::string MissingDataFile(const AppContext& context, const SoundCategory& category, std::string_view label);

// A set of a category found in the program folder beside the six rows,
// complete or not: a Games set shows with either of its files.
struct FolderSet {
    std::string label;        // as the file names spell it on disk
    std::string missingFile;  // empty when complete, else the data file it still needs
};
// Every such set, sorted by label; a browser's "Barnaby (1)" is a label of
// its own.
std::vector<FolderSet> ExtraSets(const AppContext& context, const SoundCategory& category);

// The entry of `available` that `label` names without regard to case.
std::optional<std::string> FindSetLabel(const std::vector<std::string>& available, std::string_view label);

}  // namespace tamsiro
