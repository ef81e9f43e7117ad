#pragma once

#include "host/failure.h"
#include "stick/stick_transaction.h"
#include "stick/version_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;
class Stick;
struct StickHazard;

// Why a file operation failed, in a line of its own ("The memory stick is
// full", "AD013001.NEW could not be written: the device reported an
// error"); empty when nothing is known. Files on the stick are named as the
// stick names them, files elsewhere by their full path.
// A stick file is called `knownAs` where given: the name the user knows,
// never the temporary one it was being written under.
std::string WhyLine(const Failure& failure, const Stick& stick, std::string_view knownAs = {});
// `text`, then the reason on the next line where one is known.
std::string WithWhy(const std::string& text, const Failure& failure, const Stick& stick, std::string_view knownAs = {});

// Whether running the manual copy could finish what a failed copy did not:
// not on a full, write-protected or removed stick.
[[nodiscard]] bool ManualCopyMayHelp(const Failure& failure);

// What the user is told when a plan does not fit on the stick.
std::string NotEnoughSpaceMessage(std::uint64_t missingBytes);

// "1.5 MB": bytes in megabytes (of 1,000,000 bytes), rounded up to one decimal.
std::string MegabytesText(std::uint64_t bytes);

// The stick's file system needs repairing before Tamsiro goes on: what to
// do, in the host's own words. Nothing is reported done after it.
std::string DamagedFileSystemMessage(const Stick& stick);

// The options of tamsiro-cli that answer a question --yes leaves alone.
inline constexpr std::string_view kAcceptCustomBaseOption = "--accept-custom-base";
inline constexpr std::string_view kDeleteRecoveredFilesOption = "--delete-recovered-files";

// The start's tidy-up after a change cut short (see TidyAfterInterruption),
// with its messages and the one question it may need; true when the stick
// is in order and work may go on.
[[nodiscard]] bool TidyStick(AppContext& context, const Stick& stick);

// A repair that lacks `missingBytes` of room: clusters lost to no file
// mean a damaged file system (said so, false); files a file-system check
// saved are offered for deletion (default No). True when room was made.
[[nodiscard]] bool MakeRoomForRepair(AppContext& context, const Stick& stick, std::uint64_t missingBytes);

// Whether the stick takes writes; else says why (write-protected, pulled
// out) before anything changes.
[[nodiscard]] bool StickTakesWrites(AppContext& context, const Stick& stick);

// Said when another Tamsiro holds the stick or the program folder.
inline constexpr const char* kStickBusy = "Tamsiro is already working on this memory stick";

// Said by Restore on a stick whose record holds nothing to put back.
inline constexpr const char* kNoStockRecord = "No stock files were kept for this memory stick\nNothing was changed";

// Tells the user why a change could not start; true when it is ready.
[[nodiscard]] bool ReportPrepared(AppContext& context, const Stick& stick, const PrepareOutcome& outcome);

// The closing words after a change that was undone, or could not be, or
// stopped because the stick would take no more.
void ReportUndone(AppContext& context, const Stick& stick, CarryVerdict verdict, bool anythingWasDone);

// Whether a change ended by the stick itself (write-protected, damaged,
// pulled out): then only ReportUndone's words are said, no file's failure.
[[nodiscard]] bool StoppedByTheStick(CarryVerdict verdict);

// "3 files written and verified, 19.6 MB" of a plan carried out, and the
// bytes it writes.
std::string WrittenSummaryOf(const StickPlan& plan);
std::uint64_t WrittenBytesOf(const StickPlan& plan);

// The line after "New audio saved" or "Stock sounds restored" when the
// change's clean-up could not remove files from the stick; empty if none.
std::string LeftOnStickText(const std::vector<std::string>& leftOnStick);

// The message shown for a stick the version check rejects; empty for an
// accepted one.
std::string VersionVerdictMessage(VersionVerdict verdict);

// What a front end says when it refuses to start without a program folder.
inline constexpr std::string_view kNoProgramFolderMessage = "Can't find a folder for Tamsiro's files";

// Why a stick with a link or a special file in the way is refused.
std::string StickHazardMessage(const StickHazard& hazard);

}  // namespace tamsiro
