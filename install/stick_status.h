#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

class AppContext;
class Stick;

// What a stick and the program folder hold, worked out by reading only:
// no backup, no repair, no tidying up after an interrupted Save. Sets are
// named by their file labels ("Tilda", or a set author's own name).
struct StickStatus {
    // The stick check: "ok"; "no-marker" when the folder holds no
    // memstick.ind; else why the version file refuses the stick:
    // "not-aibomind", "not-aibomind3", "bad-language", "not-english";
    // "link" or "special-file" when one is in the way (see FindStickHazard):
    // its path is then in `hazard` and the stick's files are not read
    // (archive, voice and games say "unknown").
    std::string check;
    std::string hazard;
    // DYNAUDIO.ODA: "stock" (the same bytes as the base), "main:LABEL" (the
    // base with that Main set merged in), "modified", "damaged", "missing",
    // or "unknown" when there is no sound base to compare it with.
    std::string archive;
    // CUSVOICE.ODA: the Talkative Voice set it is a copy of, "none" or "unknown".
    std::string voice;
    // AD013001.ODA and AD013008.ODA: the Games set they are copies of,
    // "stock" (as the stock files kept say), "missing" or "unknown".
    std::string games;
    bool maleVoice = false;
    std::optional<std::uint64_t> freeBytes;  // nothing when the host won't say

    // The stick's base (DATA_BASEMIND3.ODA for the first stick): "ok",
    // "missing" or "damaged".
    std::string base;
    // The stick's record: "stock"; "not-stock:LABEL" when its base already
    // held Main set LABEL ("unknown" when no set was recognised) and the
    // user took it all the same; "none" when it holds nothing Restore could
    // put back (see RecordShowsChanges).
    std::string record;
    // The stick paths of the stock files kept in the stick's record.
    std::vector<std::string> stockFiles;
    // The sets available in each group (see AvailableSets).
    std::vector<std::string> mainSets;
    std::vector<std::string> voiceSets;
    std::vector<std::string> gamesSets;
};

[[nodiscard]] StickStatus ReadStickStatus(const AppContext& context, const Stick& stick);

}  // namespace tamsiro
