#include "install/main_install.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "app/progress.h"
#include "archive/archive_merge.h"
#include "archive/oda_archive.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/text_mode.h"
#include "install/messages.h"
#include "install/stick_change.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_lock.h"
#include "stick/stick_record.h"
#include "stick/stick_transaction.h"
#include "stick/stick_writer.h"

namespace tamsiro {

namespace {

constexpr std::string_view kShellScriptName = "manual-copy.sh";

// cmd expands %...% even inside double quotes; doubling each % keeps it.
std::string BatchQuoted(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return quoted + "\"";
}

// Inside single quotes the shell expands nothing; a single quote itself is
// closed, escaped and reopened.
std::string ShellQuoted(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Writes the whole text or nothing usable: false when any write, the flush
// or the close failed (the fragment is removed).
bool WriteWholeText(const std::string& path, const std::string& text) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Write)) return false;
    bool ok = file.WriteExactly(text.data(), text.size());
    ok = file.Flush() && ok;
    ok = file.Close() && ok;
    if (!ok) DiscardFile(path);
    return ok;
}

}  // namespace

void OfferManualCopy(AppContext& context, const std::string& workPath, const std::string& target) {
    const bool batchWritten =
        WriteWholeText(context.DataFilePath(program_files::kManualBatch),
                       EncodeTextMode("REM - this batch file copies updated file from PC to memory stick\n"
                                      "COPY " +
                                      BatchQuoted(workPath) + " " + BatchQuoted(target) +
                                      "\n"
                                      "PAUSE\n"));
    // The original words, and where that folder is.
    if (kHostRunsBatchFiles) {
        if (batchWritten) {
            context.ShowMessage("Please run MANUAL.BAT batch file\n(in same folder as Tamsiro)\n" +
                                context.DataFilePath(program_files::kManualBatch));
        }
        return;
    }
    const bool scriptWritten = WriteWholeText(context.DataFilePath(kShellScriptName),
                                              "#!/bin/sh\n"
                                              "# Copies the new sound archive from the PC to the memory stick.\n"
                                              "cp " +
                                                  ShellQuoted(workPath) + " " + ShellQuoted(target) + " && sync\n");
    if (scriptWritten) {
        context.ShowMessage("Please run manual-copy.sh\n(in same folder as Tamsiro)\nsh " +
                            ShellQuoted(context.DataFilePath(kShellScriptName)));
    }
}

namespace {

// Whether the merged archive of `size` bytes can be written to the program
// folder and then fit on the stick, where the old archive's room counts
// (with too little room for both it goes first). Says why not before false.
bool WorkArchiveFits(AppContext& context, const Stick& stick, std::uint64_t size) {
    if (size > static_cast<std::uint64_t>(kMaxOdaOffset) + 1) {
        context.ShowMessage("The new DYNAUDIO.ODA would be larger than 2 GB\nNot Saved");
        return false;
    }
    if (const auto space = SpaceOf(context.ProgramFolder()); space && size > space->freeBytes) {
        context.ShowMessage("Not enough space for TMP.ODA in the program folder\nNot Saved");
        return false;
    }
    const auto space = SpaceOf(stick.FolderPath(stick_files::kSoundArchive));
    if (!space) return true;
    auto rounded = [&](std::uint64_t bytes) {
        return (bytes + space->allocationUnit - 1) / space->allocationUnit * space->allocationUnit;
    };
    const std::uint64_t room =
        space->freeBytes + rounded(FileSizeAt(stick.Path(stick_files::kSoundArchive)).value_or(0));
    if (rounded(size) <= room) return true;
    context.ShowMessage(NotEnoughSpaceMessage(rounded(size) - room));
    return false;
}

}  // namespace

std::optional<std::uint64_t> MergedSizeOf(const AppContext& context, const Stick& stick,
                                          const std::string& selectedPath) {
    OdaArchive base;
    OdaArchive selected;
    if (!base.Open(RecordOfStick(context, stick).basePath) || !selected.Open(selectedPath)) return std::nullopt;
    return MergedArchiveSize(base, selected);
}

std::string WorkArchivePath(const AppContext& context) { return context.DataFilePath(program_files::kWorkArchive); }

bool BuildWorkArchive(AppContext& context, const Stick& stick, const std::string& selectedPath,
                      std::optional<BusyScope>& busy) {
    OdaArchive base;
    if (!base.Open(RecordOfStick(context, stick).basePath)) {
        context.ShowMessage("Failed to open base .ODA file\nNot Saved");
        return false;
    }
    OdaArchive selected;
    if (!selected.Open(selectedPath)) {
        context.ShowMessage("Failed to open source .ODA file (1)\nNot Saved");
        return false;
    }

    // Planned from the tables before the first byte: overlapping entries
    // can make a small set claim gigabytes.
    if (!WorkArchiveFits(context, stick, MergedArchiveSize(base, selected))) return false;

    OdaArchive output;
    PrepareWorkArchive(base, output);
    if (!output.Create(WorkArchivePath(context))) {
        DiscardFile(WorkArchivePath(context));
        context.ShowMessage("Failed to create TMP.ODA temporary file");
        return false;
    }

    // The message below appears while the busy pointer is still on.
    busy.emplace(context);
    bool built = false;
    {
        ProgressMeter progress(context.Ui(), "Building the new DYNAUDIO.ODA in Tamsiro's folder",
                               MergedDataSize(base, selected));
        built = WriteMergedArchive(base, selected, output, kMaxOdaOffset, &progress);
    }
    // A work archive whose last writes never reached the disk is truncated:
    // it must not replace the stick's archive.
    if (!output.File().Close()) built = false;
    if (!built) {
        // "Not Saved" leaves nothing behind.
        DiscardFile(WorkArchivePath(context));
        context.ShowMessage("Error writing to temp file\nNot Saved");
        return false;
    }
    return true;
}

bool InstallMain(AppContext& context, const Stick& stick, const std::string& selectedPath) {
    UseInstallWords(context);
    StickLock lock;
    if (!OpenStickForChange(context, stick, lock)) return false;
    std::optional<BusyScope> busy;
    if (!BuildWorkArchive(context, stick, selectedPath, busy)) return false;
    const std::string workPath = WorkArchivePath(context);
    // A target that cannot be resolved is treated like a failed copy.
    const std::string target = stick.Path(stick_files::kSoundArchive);
    if (!target.empty() && SameContent(workPath, target)) {
        DiscardFile(workPath);
        return true;
    }
    StickPlan plan(1);
    plan[0].files.push_back(
        {std::string(stick_files::kSoundArchive), workPath, std::nullopt, ProgressStep::CopyingToStick});
    Room room = JudgeRoom(stick, plan);
    // A stick too full even for one at a time gets its chance all the same:
    // the copy's own failure is what the user is told.
    if (!room.fits) room.beside.assign(1, false);
    if (!target.empty()) {
        const std::optional<CarryOutcome> carried = KeepAndCarry(context, stick, std::move(plan), room);
        if (!carried) return false;
        const CarryOutcome& result = *carried;
        if (result.verdict == CarryVerdict::Done) {
            DiscardFile(workPath);
            return true;
        }
        // Running the manual copy helps only a stick that takes writes.
        if (result.verdict == CarryVerdict::Stopped || StoppedByTheStick(result.verdict)) {
            ReportUndone(context, stick, result.verdict, false);
            return false;
        }
        const FileOutcome* archive = result.Of(stick_files::kSoundArchive);
        const Failure failure = archive ? archive->failure : Failure{};
        context.ShowMessage(WithWhy("Could not copy final audio to memory stick", failure, stick, "DYNAUDIO.ODA"));
        ReportUndone(context, stick, result.verdict, false);
        if (!ManualCopyMayHelp(failure)) return false;
    } else {
        context.ShowMessage("Could not copy final audio to memory stick");
    }
    OfferManualCopy(context, workPath, target.empty() ? std::string(stick_files::kSoundArchive) : target);
    return false;
}

}  // namespace tamsiro
