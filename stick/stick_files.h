#pragma once

#include <array>
#include <string_view>

namespace tamsiro {

// Every file name Tamsiro uses, spelled once.

// On the stick, relative to its root, as the stick's software names them.
namespace stick_files {
inline constexpr std::string_view kMarker = "memstick.ind";
// The folder at the root that holds the robot's software.
inline constexpr std::string_view kSoftwareFolder = "OPEN-R";
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
inline constexpr std::string_view kVoiceList = "OPEN-R\\MW\\DATA\\P\\MCUSLIST.CFG";
inline constexpr std::string_view kVoiceListNew = "OPEN-R\\MW\\DATA\\P\\MCUSLIST.TMP";
inline constexpr std::string_view kVoiceListBackup = "OPEN-R\\MW\\DATA\\P\\MCUSLIST.BAK";
inline constexpr std::string_view kModeFlags = "OPEN-R\\MW\\DATA\\P\\MCUS.CFG";
inline constexpr std::string_view kModeFlagsNew = "OPEN-R\\MW\\DATA\\P\\MCUS.TMP";
inline constexpr std::string_view kModeFlagsBackup = "OPEN-R\\MW\\DATA\\P\\MCUS.BAK";

// The files a Save may change or delete, whose stock versions are kept in
// the program folder the first time (the .BAK files too: the rotation
// deletes an old one).
inline constexpr std::array<std::string_view, 8> kStockFiles = {
    kGame1, kGame8, kCustomVoice, kMaleVoice, kVoiceList, kVoiceListBackup, kModeFlags, kModeFlagsBackup};

// Every file written through the safe write path (stick/stick_writer.h);
// their .NEW and .RDY names are Tamsiro's temporaries.
inline constexpr std::array<std::string_view, 7> kSafelyWrittenFiles = {
    kSoundArchive, kGame1, kGame8, kCustomVoice, kMaleVoice, kVoiceList, kModeFlags};
}  // namespace stick_files

// In the program folder, beside the program.
namespace program_files {
// The pristine copy of the stick's sound archive every Main install starts from.
// While it is copied, a base carries kStockPartialSuffix; a damaged one the
// user replaces is moved aside with kStockDamagedSuffix.
inline constexpr std::string_view kBaseArchive = "DATA_BASEMIND3.ODA";
// The merged sound archive before it goes to the stick.
inline constexpr std::string_view kWorkArchive = "TMP.ODA";
// Written when the merged archive could not be copied to the stick.
inline constexpr std::string_view kManualBatch = "MANUAL.BAT";
// The first stick's record (stick/stick_record.h): the stock versions of
// the stick files a Save changes, laid out as on the stick (DATA_BASEMIND3.FILES\OPEN-R\MW\DATA\P\AD013001.ODA, ...). A
// file that was not on the stick is recorded by an empty marker named
// after it with kStockAbsentSuffix; a copy being made carries
// kStockPartialSuffix until it is checked and renamed into place.
inline constexpr std::string_view kStockFolder = "DATA_BASEMIND3.FILES";
inline constexpr std::string_view kStockAbsentSuffix = ".absent";
inline constexpr std::string_view kStockPartialSuffix = ".partial";
// Marks a kept copy that is a damaged archive (what the stick had all the same).
inline constexpr std::string_view kStockDamagedSuffix = ".damaged";
// A change to a stick being carried: the journal names every file it
// touches and where its previous bytes are, so that a run cut short is
// rolled back at the next start (docs/RELIABILITY.md).
inline constexpr std::string_view kJournal = "TAMSIRO.JNL";
inline constexpr std::string_view kJournalPartial = "TAMSIRO.JNL.partial";
// The previous bytes of the stick files a change touches that no stock
// record holds, laid out as on the stick.
inline constexpr std::string_view kUndoFolder = "TAMSIRO.UNDO";
// Where earlier versions wrote the new configuration files; only tidied.
inline constexpr std::string_view kNewFolder = "TAMSIRO.NEW";
// Held locked while Tamsiro works on a stick from this program folder.
inline constexpr std::string_view kLockFile = "TAMSIRO.LCK";
// Sound-set data files are DATA_{prefix}_{label}.ODA.
inline constexpr std::string_view kDataFilePrefix = "DATA_";
inline constexpr std::string_view kDataFileExtension = ".ODA";
}  // namespace program_files

}  // namespace tamsiro
