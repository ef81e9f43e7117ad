#include "archive/main_install.h"

#include "app/app_context.h"
#include "app/binary_file.h"
#include "app/file_system.h"
#include "app/text_mode.h"
#include "archive/archive_merge.h"
#include "archive/oda_archive.h"
#include "stick/stick_files.h"

namespace tamsiro {

namespace {

// The fallback after a failed copy: a batch file the user can run to finish
// the copy by hand. Both paths are quoted so that blanks in them work.
// False when the file cannot be created.
bool WriteManualBatch(AppContext& context, const std::string& workPath, const std::string& target) {
    BinaryFile batch;
    if (!batch.Open(context.DataFilePath(program_files::kManualBatch), BinaryFile::Mode::Write)) return false;
    const std::string text = EncodeTextMode("REM - this batch file copies updated file from PC to memory stick\n"
                                            "COPY \"" + workPath + "\" \"" + target + "\"\n"
                                            "PAUSE\n");
    (void)batch.WriteExactly(text.data(), text.size());
    (void)batch.Close();  // not checked
    return true;
}

}  // namespace

bool InstallMain(AppContext& context, const Stick& stick, const std::string& selectedPath) {
    OdaArchive base;
    if (!base.Open(context.DataFilePath(program_files::kBaseArchive))) {
        context.ShowMessage("Failed to open base .ODA file\nNot Saved");
        return false;
    }
    OdaArchive selected;
    if (!selected.Open(selectedPath)) {
        context.ShowMessage("Failed to open source .ODA file (1)\nNot Saved");
        return false;
    }

    OdaArchive output;
    PrepareWorkArchive(base, output);
    const std::string workPath = context.DataFilePath(program_files::kWorkArchive);
    if (!output.Create(workPath)) {
        context.ShowMessage("Failed to create TMP.ODA temporary file");
        return false;
    }

    // The messages below appear while the busy pointer is still on.
    BusyScope busy(context);
    bool built = WriteMergedArchive(base, selected, output);
    // A work archive whose last writes never reached the disk is truncated:
    // it must not replace the stick's archive.
    if (!output.File().Close()) built = false;
    output.Close();
    base.Close();
    selected.Close();

    if (!built) {
        context.ShowMessage("Error writing to temp file\nNot Saved");
        return false;
    }

    // A target that cannot be resolved is treated like a failed copy.
    const std::string target = stick.Path(stick_files::kSoundArchive);
    bool copied = false;
    if (!target.empty()) {
        // Deleted first: a small stick has no room for both archives.
        (void)DeleteFileAt(target);
        copied = CopyWholeFile(workPath, target, CopyMode::Overwrite);
    }
    if (copied) {
        DiscardFile(workPath);
        return true;
    }

    context.ShowMessage("Could not copy final audio to memory stick");
    if (WriteManualBatch(context, workPath, target.empty() ? std::string(stick_files::kSoundArchive) : target)) {
        context.ShowMessage("Please run MANUAL.BAT batch file\n(in same folder as Tamsiro)");
    }
    return false;
}

}  // namespace tamsiro
