#pragma once

#include <string_view>

namespace tamsiro {

// Every file name Tamsiro uses, spelled once.

// On the stick, relative to its root, as the stick's software names them.
namespace stick_files {
inline constexpr std::string_view kMarker = "memstick.ind";
inline constexpr std::string_view kVersion = "OPEN-R\\APP\\VERSION";
inline constexpr std::string_view kSoundArchive = "OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA";
inline constexpr std::string_view kGame1 = "OPEN-R\\MW\\DATA\\P\\AD013001.ODA";
inline constexpr std::string_view kGame8 = "OPEN-R\\MW\\DATA\\P\\AD013008.ODA";
inline constexpr std::string_view kCustomVoice = "OPEN-R\\MW\\DATA\\P\\CUSVOICE.ODA";
// The stock male voice; lower case, as the stick's own tools write it.
inline constexpr std::string_view kMaleVoice = "OPEN-R\\MW\\DATA\\E\\ad003000.oda";
// Configuration files by their stem: .CFG is the file, .TMP the new one
// being written and .BAK the previous one.
inline constexpr std::string_view kVoiceListStem = "OPEN-R\\MW\\DATA\\P\\MCUSLIST";
inline constexpr std::string_view kModeFlagsStem = "OPEN-R\\MW\\DATA\\P\\MCUS";
}  // namespace stick_files

// In the program folder, beside the program.
namespace program_files {
// The pristine copy of the stick's sound archive every Main install starts from.
inline constexpr std::string_view kBaseArchive = "DATA_BASEMIND3.ODA";
// The base backup while it is being copied.
inline constexpr std::string_view kBaseArchivePartial = "DATA_BASEMIND3.ODA.partial";
// A damaged base archive, moved aside when the user replaces it.
inline constexpr std::string_view kBaseArchiveDamaged = "DATA_BASEMIND3.ODA.damaged";
// The merged sound archive before it goes to the stick.
inline constexpr std::string_view kWorkArchive = "TMP.ODA";
// Written when the merged archive could not be copied to the stick.
inline constexpr std::string_view kManualBatch = "MANUAL.BAT";
// Sound-set data files are DATA_{prefix}_{label}.ODA.
inline constexpr std::string_view kDataFilePrefix = "DATA_";
inline constexpr std::string_view kDataFileExtension = ".ODA";
}  // namespace program_files

}  // namespace tamsiro
