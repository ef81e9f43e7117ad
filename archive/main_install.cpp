#include "archive/main_install.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "app/stick_path.h"
#include "app/text_file.h"
#include "archive/archive_merge.h"
#include "archive/oda_archive.h"

namespace tamsiro {

namespace {

constexpr const char* kBaseArchiveName = "DATA_BASEMIND3.ODA";
constexpr const char* kWorkArchiveName = "TMP.ODA";
constexpr const char* kBatchFileName = "MANUAL.BAT";
constexpr const char* kStickArchive = "OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA";

// The fallback after a failed copy: a batch file the user can run to finish
// the copy by hand. Both paths are quoted so that blanks in them work.
// Returns false when the file cannot be created.
bool WriteManualBatch(AppContext& context, const std::string& workPath, const std::string& target) {
    TextWriter batch;
    if (!batch.Create(context.DataFilePath(kBatchFileName))) return false;
    batch.Write("REM - this batch file copies updated file from PC to memory stick\n");
    batch.Write("COPY \"" + workPath + "\" \"" + target + "\"\n");
    batch.Write("PAUSE\n");
    batch.Close();  // not checked
    return true;
}

}  // namespace

bool InstallMain(AppContext& context, const std::string& selectedPath) {
    OdaArchive base;
    if (!base.Open(context.DataFilePath(kBaseArchiveName))) {
        base.Close();
        context.ShowMessage("Failed to open base .ODA file\nNot Saved");
        return false;
    }
    OdaArchive selected;
    if (!selected.Open(selectedPath)) {
        selected.Close();
        base.Close();
        context.ShowMessage("Failed to open source .ODA file (1)\nNot Saved");
        return false;
    }

    OdaArchive output;
    PrepareWorkArchive(base, output);
    const std::string workPath = context.DataFilePath(kWorkArchiveName);
    if (!output.Create(workPath)) {
        output.Close();
        selected.Close();
        base.Close();
        context.ShowMessage("Failed to create TMP.ODA temporary file");
        return false;
    }

    context.BeginBusy();
    int errors = WriteMergedArchive(base, selected, output);
    // A work archive whose last writes never reached the disk is truncated:
    // it must not replace the stick's archive.
    if (!output.File().Close()) ++errors;
    output.Close();
    base.Close();
    selected.Close();

    if (errors > 0) {
        context.ShowMessage("Error writing to temp file\nNot Saved");
        context.EndBusy();
        return false;
    }

    // A target that cannot be resolved is treated like a failed copy.
    const std::string target = ResolveStickPath(kStickArchive);
    bool copied = false;
    if (!target.empty()) {
        // Deleted first: a small stick has no room for both archives.
        DeleteFileAt(target);
        copied = CopyWholeFile(workPath, target, CopyMode::Overwrite);
    }
    if (copied) {
        DeleteFileAt(workPath);
        context.EndBusy();
        return true;
    }

    context.ShowMessage("Could not copy final audio to memory stick");
    if (WriteManualBatch(context, workPath, target.empty() ? std::string(kStickArchive) : target)) {
        context.ShowMessage("Please run MANUAL.BAT batch file\n(in same folder as Tamsiro)");
    }
    context.EndBusy();
    return false;
}

}  // namespace tamsiro
