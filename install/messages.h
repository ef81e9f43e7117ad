#pragma once

#include "stick/stick_transaction.h"

#include <cstdint>
#include <string>

namespace tamsiro {

class AppContext;
struct StickHazard;

// What the user is told when a plan does not fit on the stick.
std::string NotEnoughSpaceMessage(std::uint64_t missingBytes);

// Said when another Tamsiro holds the stick or the program folder.
inline constexpr const char* kStickBusy = "Tamsiro is already working on this memory stick";

// Said by Restore on a stick whose record holds nothing to put back.
inline constexpr const char* kNoStockRecord = "No stock files were kept for this memory stick\nNothing was changed";

// Tells the user why a change could not start; true when it is ready.
[[nodiscard]] bool ReportPrepared(AppContext& context, const PrepareOutcome& outcome);

// The closing words after a change that was undone, or could not be.
void ReportUndone(AppContext& context, CarryVerdict verdict, bool anythingWasDone);

// The file name of a stick path ("AD013001.ODA").
std::string StickFileName(std::string_view stickPath);

// Why a stick with a link or a special file in the way is refused.
std::string StickHazardMessage(const StickHazard& hazard);

}  // namespace tamsiro
