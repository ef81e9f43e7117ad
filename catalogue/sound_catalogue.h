#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// The eighteen choices of the selection dialog: three categories of six
// rows. Row k of a category has control identifier firstId + k. The labels
// are what the dialog shows; the data-file names are derived from the
// label read back from the control (up to its first blank).
inline constexpr int kRowsPerCategory = 6;

inline constexpr int kMainFirstId = 1011;
inline constexpr int kVoiceFirstId = 1021;
inline constexpr int kGamesFirstId = 1031;
// Talkative Voice row 6 offers to delete the stock male voice.
inline constexpr int kMiniVoiceId = 1026;

inline constexpr std::array<const char*, kRowsPerCategory> kRowLabels = {
    "Tilda", "JumpyNoor", "SqueakyIda", "Barnaby", "Zorbit", "MiniTilda (fits in 32MB)",
};

struct SoundCategory {
    const char* caption;
    int firstId;
    const char* prefix;        // data-file prefix
    const char* secondPrefix;  // Games need a second file; nullptr otherwise
    int LastId() const { return firstId + kRowsPerCategory - 1; }
};

inline constexpr SoundCategory kMainCategory{"Main", kMainFirstId, "M3", nullptr};
inline constexpr SoundCategory kVoiceCategory{"Talkative Voice", kVoiceFirstId, "V3", nullptr};
inline constexpr SoundCategory kGamesCategory{"Games (Demo, Simon)", kGamesFirstId, "G3A", "G3B"};

// Top to bottom, as the dialog shows them.
inline constexpr std::array<SoundCategory, 3> kCategoriesInDialogOrder = {kMainCategory, kVoiceCategory, kGamesCategory};

// The label a row's text stands for in file names: the text up to its
// first blank ("MiniTilda" for "MiniTilda (fits in 32MB)").
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

// The entry of `available` that `label` names without regard to case.
std::optional<std::string> FindSetLabel(const std::vector<std::string>& available, std::string_view label);

}  // namespace tamsiro
