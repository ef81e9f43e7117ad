#include "install/messages.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "host/volume_state.h"
#include "stick/interrupted_work.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_hazard.h"
#include "stick/stick_health.h"

#include <cstdio>

namespace tamsiro {

namespace {

std::string NameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

std::string Names(const std::vector<std::string>& paths, bool stickPaths) {
    std::string text;
    for (const std::string& path : paths) {
        text += text.empty() ? "" : ", ";
        text += stickPaths ? std::string(StickFileName(path)) : NameOf(path);
    }
    return text;
}

// How to repair a FAT file system, with the host's own tools.
std::string RepairAdvice(const Stick& stick) {
    switch (kHostFamily) {
    case HostFamily::Windows:
        return "Windows offers to \"Scan and fix\" the memory stick when it is inserted; or right-click it in File "
               "Explorer, then Properties, Tools, Check";
    case HostFamily::MacOS: return "Open Disk Utility, select the memory stick and run First Aid";
    case HostFamily::Linux: break;
    }
    if (const auto mount = MountOfVolume(stick.Root()); mount && mount->device.rfind("/dev/", 0) == 0) {
        return "Unmount it, then check it with fsck.fat on its device:\n  umount " + mount->mountPoint +
               "\n  sudo fsck.fat -a " + mount->device;
    }
    return "Unmount it, then check it with fsck.fat -a on its device (for example sudo fsck.fat -a /dev/sdb1)";
}

std::string RecoveredQuestion(const RecoveredFiles& recovered) {
    return "Putting the memory stick back as it was needs the room of files a file-system check saved on it:\n" +
           Names(recovered.paths, false) + "\nDelete them?";
}

constexpr const char* kWriteProtected = "The memory stick is write-protected\nNothing was changed";
constexpr const char* kPulledOut =
    "The memory stick was removed before the change was complete\n"
    "Insert it and start Tamsiro again: it puts the memory stick back as it was";

bool IsOnStick(const std::string& path, const Stick& stick) {
    const std::string& root = stick.Root();
    return !root.empty() && path.compare(0, root.size(), root) == 0;
}

}  // namespace

std::string WhyLine(const Failure& failure, const Stick& stick, std::string_view knownAs) {
    if (failure.path.empty()) return {};
    const bool onStick = IsOnStick(failure.path, stick);
    const std::string name = !onStick ? failure.path : knownAs.empty() ? NameOf(failure.path) : std::string(knownAs);
    switch (failure.reason) {
    case FailureReason::NoRoom: return onStick ? "The memory stick is full" : "There is no room left for " + name;
    case FailureReason::ReadOnly:
        return onStick ? "The memory stick is write-protected" : name + " is on a disk that cannot be written";
    case FailureReason::DeviceGone: return onStick ? "The memory stick was removed" : name + " is no longer there";
    case FailureReason::NotFound: return name + " is missing";
    case FailureReason::Denied: return "Access to " + name + " was denied";
    case FailureReason::Exists: return "Something else is in the way of " + name;
    case FailureReason::LinkOrSpecial: return name + " is not a regular file";
    case FailureReason::Io: return "The device reported an error on " + name;
    case FailureReason::Damaged:
        return name +
               (failure.action == FileAction::Read ? " is not as it was kept" : " did not read back as it was written");
    case FailureReason::Interrupted: return "It was stopped on request";
    }
    return {};
}

std::string WithWhy(const std::string& text, const Failure& failure, const Stick& stick, std::string_view knownAs) {
    const std::string why = WhyLine(failure, stick, knownAs);
    return why.empty() ? text : text + "\n" + why;
}

bool ManualCopyMayHelp(const Failure& failure) {
    switch (failure.reason) {
    case FailureReason::NoRoom:
    case FailureReason::ReadOnly:
    case FailureReason::DeviceGone:
    case FailureReason::Interrupted: return false;
    default: return true;
    }
}

std::string MegabytesText(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes + 99'999) / 100'000;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

std::string NotEnoughSpaceMessage(std::uint64_t missingBytes) {
    return "Not enough space on memory stick - nothing was changed\n" + MegabytesText(missingBytes) +
           " more space is needed";
}

std::string DamagedFileSystemMessage(const Stick& stick) {
    return "The memory stick's file system is damaged\nRepair it, then start Tamsiro again\n" + RepairAdvice(stick);
}

bool TidyStick(AppContext& context, const Stick& stick) {
    UseInstallWords(context);
    TidyOutcome tidy = TidyAfterInterruption(context, stick);
    if (tidy.journalUnreadable) {
        context.ShowMessage("Tamsiro's journal " + context.DataFilePath(program_files::kJournal) +
                            " cannot be read\nA change to a memory stick may have been cut short; nothing was changed");
        return false;
    }
    if (tidy.stick.verdict == RollbackVerdict::NeedsRecoveredRoom) {
        if (context.AskOwnQuestion(RecoveredQuestion(tidy.stick.recovered), DefaultButton::No,
                                   kDeleteRecoveredFilesOption)) {
            tidy = TidyAfterInterruption(context, stick, RollbackOptions{.removeRecovered = true});
        }
    }
    switch (tidy.stick.verdict) {
    case RollbackVerdict::Done: return true;
    case RollbackVerdict::ReadOnly:
        context.ShowMessage(
            "The memory stick is write-protected\n"
            "A change to it was cut short, and Tamsiro cannot put it back until it can write to it");
        return false;
    case RollbackVerdict::Damaged: context.ShowMessage(DamagedFileSystemMessage(stick)); return false;
    case RollbackVerdict::Gone: context.ShowMessage(kPulledOut); return false;
    case RollbackVerdict::NoRoom:
    case RollbackVerdict::NeedsRecoveredRoom:
        context.ShowMessage(
            "A change to this memory stick was cut short, and there is not enough room on it to put "
            "it back\n" +
            MegabytesText(tidy.stick.missingBytes) + " more space is needed\nNothing was changed");
        return false;
    case RollbackVerdict::Failed:
        context.ShowMessage(WithWhy("A change to this memory stick was cut short, and these files could not be put "
                                    "back:\n" +
                                        Names(tidy.stick.failedFiles, true),
                                    tidy.stick.failure, stick) +
                            "\nTamsiro tries again when it next starts");
        return false;
    }
    return false;
}

bool MakeRoomForRepair(AppContext& context, const Stick& stick, std::uint64_t missingBytes) {
    if (ClustersDisagree(stick)) {
        context.ShowMessage(DamagedFileSystemMessage(stick));
        return false;
    }
    const RecoveredFiles recovered = RecoveredFilesOn(stick);
    if (recovered.paths.empty() || recovered.bytes < missingBytes ||
        !context.AskOwnQuestion(RecoveredQuestion(recovered), DefaultButton::No, kDeleteRecoveredFilesOption)) {
        return false;
    }
    for (const std::string& path : recovered.paths) {
        if (!DeleteFileAt(path)) return false;
    }
    return true;
}

bool StickTakesWrites(AppContext& context, const Stick& stick) {
    switch (ConditionOf(stick)) {
    case StickCondition::Writable:
        // Files that claim clusters the FAT calls free would share them
        // with the next file written.
        if (CheckClusters(stick) != ClusterVerdict::Claimed) return true;
        context.ShowMessage(DamagedFileSystemMessage(stick));
        return false;
    case StickCondition::ReadOnly: context.ShowMessage(kWriteProtected); return false;
    case StickCondition::Gone:
        context.ShowMessage("The memory stick is no longer there\nNothing was changed");
        return false;
    }
    return false;
}

bool ReportPrepared(AppContext& context, const Stick& stick, const PrepareOutcome& outcome) {
    switch (outcome.verdict) {
    case PrepareVerdict::Ready: return true;
    case PrepareVerdict::NoRoomToKeep:
        context.ShowMessage("Not enough space in Tamsiro's folder to keep the stock files\nNothing was changed");
        return false;
    case PrepareVerdict::NotKept:
        context.ShowMessage(WithWhy("Could not keep the stock files in Tamsiro's folder", outcome.failure, stick) +
                            "\nNothing was changed");
        return false;
    case PrepareVerdict::StickUnreadable:
        context.ShowMessage(
            WithWhy("Could not read " + std::string(StickFileName(outcome.stickPath)) + " on the memory stick",
                    outcome.failure, stick) +
            "\nNothing was changed");
        return false;
    case PrepareVerdict::OtherStickPending:
        context.ShowMessage(
            "A change to another memory stick was cut short and is not undone yet\n"
            "Insert that memory stick and start Tamsiro again\nNothing was changed");
        return false;
    case PrepareVerdict::ChangePending:
        context.ShowMessage(
            "A change to this memory stick was cut short and is not undone yet\n"
            "Start Tamsiro again to put it back\nNothing was changed");
        return false;
    case PrepareVerdict::JournalUnreadable:
        context.ShowMessage("Tamsiro's journal " + context.DataFilePath(program_files::kJournal) +
                            " cannot be read\nA change to a memory stick may have been cut short; nothing was changed");
        return false;
    }
    return false;
}

bool StoppedByTheStick(CarryVerdict verdict) {
    return verdict == CarryVerdict::WriteProtected || verdict == CarryVerdict::Damaged || verdict == CarryVerdict::Gone;
}

void ReportUndone(AppContext& context, const Stick& stick, CarryVerdict verdict, bool anythingWasDone) {
    switch (verdict) {
    case CarryVerdict::UndoFailed:
        context.ShowMessage(
            "The memory stick could not be put back as it was\nTamsiro will put it back when it next starts");
        break;
    case CarryVerdict::Stopped:
        context.ShowMessage("Stopped before the change was complete\nThe memory stick was put back as it was");
        break;
    case CarryVerdict::Undone:
        if (anythingWasDone) context.ShowMessage("The memory stick was put back as it was");
        break;
    case CarryVerdict::WriteProtected: context.ShowMessage(kWriteProtected); break;
    case CarryVerdict::Damaged: context.ShowMessage(DamagedFileSystemMessage(stick)); break;
    case CarryVerdict::Gone: context.ShowMessage(kPulledOut); break;
    case CarryVerdict::Done:
    case CarryVerdict::OptionalStepsUndone: break;
    }
}

namespace {

std::size_t FilesWrittenBy(const StickPlan& plan) {
    std::size_t files = 0;
    for (const PlannedStep& step : plan) {
        for (const PlannedFile& file : step.files) files += file.Removes() ? 0 : 1;
    }
    return files;
}

}  // namespace

std::uint64_t WrittenBytesOf(const StickPlan& plan) {
    std::uint64_t bytes = 0;
    for (const PlannedStep& step : plan) {
        for (const PlannedFile& file : step.files) {
            if (file.Removes()) continue;
            bytes += file.plannedSize ? *file.plannedSize
                     : file.contents  ? file.contents->size()
                                      : FileSizeAt(file.source).value_or(0);
        }
    }
    return bytes;
}

std::string WrittenSummaryOf(const StickPlan& plan) {
    return WrittenSummary(FilesWrittenBy(plan), WrittenBytesOf(plan));
}

std::string LeftOnStickText(const std::vector<std::string>& leftOnStick) {
    if (leftOnStick.empty()) return {};
    return "\n" + Names(leftOnStick, false) + (leftOnStick.size() == 1 ? " is" : " are") +
           " still on the memory stick: Tamsiro removes " + (leftOnStick.size() == 1 ? "it" : "them") +
           " when it next starts";
}

std::string VersionVerdictMessage(VersionVerdict verdict) {
    switch (verdict) {
    case VersionVerdict::AiboMind3English: return {};
    case VersionVerdict::NotAiboMind: return "Not AiboMind";
    case VersionVerdict::NotGeneration3: return "Not AiboMind3\nUse other tools for AiboMind1 or 2";
    case VersionVerdict::BadLanguageBlock: return "Not AiboMind Eng\nBad language";
    // "Engish" is how the stick check has always worded it.
    case VersionVerdict::NotEnglish: return "Not AiboMind Engish";
    }
    return "Not AiboMind";
}

std::string StickHazardMessage(const StickHazard& hazard) {
    if (hazard.kind == StickHazard::Kind::Link) {
        return hazard.path + " is a link\nTamsiro does not follow links on a memory stick - nothing was changed";
    }
    return hazard.path +
           " is not a regular file (a FIFO, device or socket)\nTamsiro reads only regular files - nothing was changed";
}

}  // namespace tamsiro
