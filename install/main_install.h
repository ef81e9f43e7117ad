#pragma once

#include <optional>
#include <string>

namespace tamsiro {

class AppContext;
class BusyScope;
class Stick;

// Merges the chosen Main set (an archive at selectedPath) into a copy of the
// base archive DATA_BASEMIND3.ODA, writing the work archive TMP.ODA in the
// program folder. Every failure is reported before false is returned; the
// stick is not touched. The merged archive's size is worked out from the
// tables first: one that cannot be written, or cannot fit the stick even
// in the old archive's place, is refused before anything is written, and
// a failed build leaves no work archive behind. The busy pointer comes on once the work archive is
// created, in `busy`, which the caller keeps until the archive is installed.
[[nodiscard]] bool BuildWorkArchive(AppContext& context, const Stick& stick, const std::string& selectedPath,
                                    std::optional<BusyScope>& busy);

// How the built work archive goes to the stick.
enum class ArchivePlacement {
    Beside,       // written as DYNAUDIO.NEW, checked, then put in the old one's place
    DeleteFirst,  // no room for both: the old archive goes first
};

// Installs the built work archive on the stick as
// OPEN-R\MW\DATA\P\DYNAUDIO.ODA and deletes it. A stick archive that is
// already identical is left alone. When the copy fails the user is told,
// and a batch file (and on hosts other than Windows a shell script) that
// finishes the copy by hand is left in the program folder.
[[nodiscard]] bool InstallWorkArchive(AppContext& context, const Stick& stick, ArchivePlacement placement);

// Both, for a Main install on its own, placed beside when the stick has room.
[[nodiscard]] bool InstallMain(AppContext& context, const Stick& stick, const std::string& selectedPath);

// The work archive in the program folder and its size, for planning.
std::string WorkArchivePath(const AppContext& context);

}  // namespace tamsiro
