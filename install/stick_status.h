#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

class AppContext;
class Stick;

// What one group of the stick holds, as a value: the command line's status
// and the dialogs' status line are both worded from it (StatusWord,
// DialogStatusWords), never parsed back from text.
struct GroupStatus {
    enum class Kind {
        Stock,     // what the stick came with, as its record says
        None,      // nothing there (no custom voice, no Games files)
        Set,       // a copy of the set `label` in the program folder
        Modified,  // something else, matching no set
        Damaged,   // a sound archive that does not check
        Missing,   // a file the stick needs is not there
        Unknown,   // nothing to compare with, or the stick was not read
    };
    Kind kind = Kind::Unknown;
    std::string label;  // Set: the set's file label

    bool operator==(const GroupStatus&) const = default;
};

enum class StickCheck { Ok, NoMarker, NotAiboMind, NotAiboMind3, BadLanguage, NotEnglish, Link, SpecialFile };
enum class BaseStatus { Ok, Missing, Damaged };

// What the stick's record holds: stock files to put back; or a base that
// already held custom sounds, taken all the same (`heldSet`, "unknown"
// when no set was recognised); or nothing Restore could put back.
struct RecordStatus {
    enum class Kind { Stock, NotStock, None };
    Kind kind = Kind::None;
    std::string heldSet;
};

// What a stick and the program folder hold, worked out by reading only:
// no backup, no repair, no tidying up after an interrupted Save. Sets are
// named by their file labels ("Tilda", or a set author's own name).
struct StickStatus {
    StickCheck check = StickCheck::NoMarker;
    std::string hazard;   // Link, SpecialFile: its path; the stick's files are then not read
    GroupStatus archive;  // DYNAUDIO.ODA
    GroupStatus voice;    // CUSVOICE.ODA: stock when there is none (the robot's own voice)
    GroupStatus games;    // AD013001.ODA and AD013008.ODA, a pair: none when neither is there
    bool maleVoice = false;
    std::optional<std::uint64_t> freeBytes;  // nothing when the host won't say

    BaseStatus base = BaseStatus::Missing;  // the stick's base (DATA_BASEMIND3.ODA for the first stick)
    RecordStatus record;
    // The stick paths of the stock files kept in the stick's record.
    std::vector<std::string> stockFiles;
    // The sets available in each group (see AvailableSets).
    std::vector<std::string> mainSets;
    std::vector<std::string> voiceSets;
    std::vector<std::string> gamesSets;
};

[[nodiscard]] StickStatus ReadStickStatus(const AppContext& context, const Stick& stick);

// The one vocabulary of the status, the same in `tamsiro-cli status`, its
// JSON and the dialogs' status line: a group is "stock", "none" or a set's
// label, else "modified", "damaged", "missing" or "unknown"; the check
// "ok", "no-marker", "not-aibomind", ...; the base "ok", "missing",
// "damaged"; the record "stock", "not-stock:LABEL", "none".
std::string StatusWord(StickCheck check);
std::string StatusWord(const GroupStatus& group);
std::string StatusWord(BaseStatus base);
std::string StatusWord(const RecordStatus& record);

// What the dialogs' status line says of each group, in the same words.
struct DialogStatusWords {
    std::string main;
    std::string voice;
    std::string games;
};
DialogStatusWords DialogWordsOf(const StickStatus& status);

}  // namespace tamsiro
