#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tamsiro {

class AppContext;
class BusyScope;
class Stick;

// Merges the chosen Main set (an archive at selectedPath) into a copy of the
// stick's base archive (DATA_BASEMIND3.ODA for the first stick), writing the work archive TMP.ODA in the
// program folder. Every failure is reported before false is returned; the
// stick is not touched. The merged archive's size is worked out from the
// tables first: one that cannot be written, or cannot fit the stick even
// in the old archive's place, is refused before anything is written, and
// a failed build leaves no work archive behind. The busy pointer comes on once the work archive is
// created, in `busy`, which the caller keeps until the archive is installed.
[[nodiscard]] bool BuildWorkArchive(AppContext& context, const Stick& stick, const std::string& selectedPath,
                                    std::optional<BusyScope>& busy);

// The fallback after a failed copy of the work archive to `target`: files
// the user can run to finish the copy by hand (MANUAL.BAT, and on hosts
// other than Windows a shell script), each offered only when written whole.
void OfferManualCopy(AppContext& context, const std::string& workPath, const std::string& target);

// A Main install on its own: builds the work archive and puts it on the
// stick as OPEN-R\MW\DATA\P\DYNAUDIO.ODA through the stick transaction
// (beside the old one when there is room), then deletes it. A stick archive
// that is already identical is left alone. When the copy fails the user is
// told and offered the manual copy.
[[nodiscard]] bool InstallMain(AppContext& context, const Stick& stick, const std::string& selectedPath);

// The size of the archive a Main install of `selectedPath` would build
// into the stick's base, from the two tables alone; nothing when either
// archive does not open.
[[nodiscard]] std::optional<std::uint64_t> MergedSizeOf(const AppContext& context, const Stick& stick,
                                                        const std::string& selectedPath);

// The work archive's path in the program folder.
std::string WorkArchivePath(const AppContext& context);

}  // namespace tamsiro
