#pragma once

#include "tools/sample_workspace.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro::test {

// The fixture chain's last link: a stick as it comes from the factory, the
// sample stick (with the stock male voice) and a stock pair of Games
// files, but no CUSVOICE.ODA.
bool WriteStockStick(const std::string& root, const samples::StickOptions& options = {});

// The stick paths the tests look at, with '/' separators.
inline constexpr const char* kSoundArchive = "OPEN-R/MW/DATA/P/DYNAUDIO.ODA";
inline constexpr const char* kGame1 = "OPEN-R/MW/DATA/P/AD013001.ODA";
inline constexpr const char* kGame8 = "OPEN-R/MW/DATA/P/AD013008.ODA";
inline constexpr const char* kCustomVoice = "OPEN-R/MW/DATA/P/CUSVOICE.ODA";
inline constexpr const char* kMaleVoice = "OPEN-R/MW/DATA/E/ad003000.oda";
inline constexpr const char* kVoiceList = "OPEN-R/MW/DATA/P/MCUSLIST.CFG";
inline constexpr const char* kModeFlags = "OPEN-R/MW/DATA/P/MCUS.CFG";

// Every file below a folder: relative path ('/' separators) to content.
using Tree = std::map<std::string, std::string>;
Tree ReadTree(const std::filesystem::path& root);

std::optional<std::string> FileIn(const Tree& tree, const std::string& relative);

// The relative paths whose presence or content differ.
std::vector<std::string> Differences(const Tree& actual, const Tree& expected);

// Every invariant of an interrupted command that does not hold, in words,
// once Tamsiro has started again on the stick and the program folder:
// stock records exact, no fragment under a real name, each stick file the
// old one or the new one, the Games files a pair. `before` and `after` are
// the stick before the command and after a complete run.
std::vector<std::string> BrokenInvariants(const Tree& stick, const Tree& program, const Tree& stock, const Tree& before,
                                          const Tree& after);

// Replaces everything inside `to` (which stays, as a mount point must) with
// a copy of `from`.
void ReplaceContents(const std::filesystem::path& from, const std::filesystem::path& to);

// Copies the file `from` over `to`.
void CopyOver(const std::string& from, const std::string& to);

// The sound entries of the small stock stick the undo tests start from.
inline constexpr int kSmallStickSoundEntries = 40;

}  // namespace tamsiro::test
