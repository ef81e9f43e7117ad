#include "install/restore_command.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "install/messages.h"
#include "stick/interrupted_work.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace tamsiro {

namespace {

constexpr const char* kQuestion = "Put the stock sounds back on the memory stick?\n(your custom sounds will be removed from it)";

// Files that change together, and how much room they need.
struct RestoreStep {
    std::vector<StickFile> writes;
    std::vector<std::string> removals;  // host paths on the stick
    bool besideOnly = false;
};

// A file the restore leaves as it is, and why.
struct Unrestored {
    std::string name;
    std::string reason;
};

std::string FileNameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

std::uint64_t SizeOrZero(const std::string& path) { return FileSizeAt(path).value_or(0); }

StickFile WriteOf(const std::string& source, const std::string& target) {
    const std::string name = FileNameOf(target);
    // The failure is named in the closing message instead of a box of its own.
    return StickFile{source, target, "Restoring " + name + " on memory stick", {}};
}

// The sound-set prefix whose data files a stick file is copied from.
const char* SoundSetPrefixOf(std::string_view stickPath) {
    if (stickPath == stick_files::kGame1) return kGamesCategory.prefix;
    if (stickPath == stick_files::kGame8) return kGamesCategory.secondPrefix;
    if (stickPath == stick_files::kCustomVoice) return kVoiceCategory.prefix;
    return nullptr;
}

// For a file with no stock record: signs that a Tamsiro that kept no stock
// copies changed it. Every stock stick has the male voice and the two
// configuration files; only the rotation makes a .BAK; a sound file equal
// to a sound set in the program folder was installed from it.
bool ChangedWithoutStockCopy(const AppContext& context, const Stick& stick, std::string_view stickPath) {
    const std::string current = stick.Path(stickPath);
    const bool there = FileExists(current);
    if (stickPath == stick_files::kMaleVoice) return !there;
    if (stickPath == stick_files::kVoiceList) return !there || FileExists(stick.Path(stick_files::kVoiceListBackup));
    if (stickPath == stick_files::kModeFlags) return !there || FileExists(stick.Path(stick_files::kModeFlagsBackup));
    const char* prefix = SoundSetPrefixOf(stickPath);
    if (prefix == nullptr || !there) return false;
    return std::any_of(kRowLabels.begin(), kRowLabels.end(), [&](const char* row) {
        return SameContent(current, context.DataFilePath(DataFileName(prefix, FileLabelOf(row))));
    });
}

// What it takes to bring back the stick files of one step.
RestoreStep StepFor(const AppContext& context, const Stick& stick, const StockStore& store,
                    std::initializer_list<std::string_view> stickPaths, std::vector<Unrestored>& unrestored) {
    RestoreStep step;
    for (const std::string_view stickPath : stickPaths) {
        const std::string current = stick.Path(stickPath);
        switch (store.RecordOf(stickPath)) {
        case StockRecord::Kept: {
            const std::string kept = store.KeptPath(stickPath);
            // A file that is gone comes back under the name it had.
            const std::string target = FileExists(current) ? current : JoinPath(stick.FolderOf(stickPath), NameOnDisk(kept));
            if (!SameContent(kept, target)) step.writes.push_back(WriteOf(kept, target));
            break;
        }
        case StockRecord::Absent:
            if (FileExists(current)) step.removals.push_back(current);
            break;
        case StockRecord::None:
            if (ChangedWithoutStockCopy(context, stick, stickPath)) {
                unrestored.push_back({FileNameOf(current), "no stock copy was kept"});
            }
            break;
        }
    }
    return step;
}

RestoreStep SoundArchiveStep(const AppContext& context, const Stick& stick, std::vector<Unrestored>& unrestored) {
    RestoreStep step;
    const std::string base = context.DataFilePath(program_files::kBaseArchive);
    const std::string target = stick.Path(stick_files::kSoundArchive);
    if (!FileExists(base)) {
        unrestored.push_back({"DYNAUDIO.ODA", "DATA_BASEMIND3.ODA is missing"});
    } else if (CheckArchiveFile(base)) {
        unrestored.push_back({"DYNAUDIO.ODA", "DATA_BASEMIND3.ODA is damaged"});
    } else if (!SameContent(base, target)) {
        step.writes.push_back(WriteOf(base, target));
    }
    return step;
}

// Everything a restore changes, in an order that frees room before it is
// needed: the custom voice, the Games pair and the sound archive, then the
// male voice and the configuration files.
std::vector<RestoreStep> PlanRestore(const AppContext& context, const Stick& stick, std::vector<Unrestored>& unrestored) {
    namespace files = stick_files;
    const StockStore store(context);
    std::vector<RestoreStep> steps;
    steps.push_back(StepFor(context, stick, store, {files::kCustomVoice}, unrestored));
    steps.push_back(StepFor(context, stick, store, {files::kGame1, files::kGame8}, unrestored));
    steps.push_back(SoundArchiveStep(context, stick, unrestored));
    steps.push_back(StepFor(context, stick, store, {files::kMaleVoice}, unrestored));
    for (const std::string_view config : {files::kVoiceList, files::kModeFlags, files::kVoiceListBackup, files::kModeFlagsBackup}) {
        steps.push_back(StepFor(context, stick, store, {config}, unrestored));
        // A configuration file is never missing, not even for a moment.
        steps.back().besideOnly = true;
    }
    return steps;
}

std::vector<PlanStep> SpaceStepsOf(const std::vector<RestoreStep>& steps) {
    std::vector<PlanStep> planSteps;
    for (const RestoreStep& step : steps) {
        PlanStep planStep;
        planStep.besideOnly = step.besideOnly;
        for (const StickFile& write : step.writes) planStep.files.push_back({SizeOrZero(write.source), SizeOrZero(write.target), false});
        for (const std::string& removal : step.removals) planStep.files.push_back({0, SizeOrZero(removal), true});
        planSteps.push_back(std::move(planStep));
    }
    return planSteps;
}

// How the steps fit on the stick; nothing (after telling the user) when
// they do not.
std::optional<SpacePlan> FitOnStick(AppContext& context, const Stick& stick, const std::vector<RestoreStep>& steps) {
    const auto space = SpaceOf(stick.FolderOf(stick_files::kSoundArchive));
    if (!space) {
        // A host that cannot say: write beside, as on a roomy stick.
        SpacePlan roomy;
        roomy.beside.assign(steps.size(), true);
        return roomy;
    }
    const SpacePlan plan = PlanSpace(SpaceStepsOf(steps), space->freeBytes, space->allocationUnit);
    if (plan.Fits()) return plan;
    context.ShowMessage(NotEnoughSpaceMessage(plan.missingBytes));
    return std::nullopt;
}

void Carry(AppContext& context, const RestoreStep& step, bool beside, std::vector<Unrestored>& unrestored) {
    const BusyScope busy(context);
    if (!step.writes.empty()) {
        const bool written = beside ? WriteBesideThenReplace(context, step.writes) : DeleteThenCopy(context, step.writes);
        if (!written) {
            for (const StickFile& write : step.writes) unrestored.push_back({FileNameOf(write.target), "could not be written"});
        }
    }
    for (const std::string& removal : step.removals) {
        if (!DeleteFileAt(removal)) unrestored.push_back({FileNameOf(removal), "could not be removed"});
        (void)FlushFolder(FolderOf(removal));
    }
}

std::string ClosingMessage(const std::vector<Unrestored>& unrestored) {
    std::string message = "Stock sounds restored";
    if (unrestored.empty()) return message;
    message += "\nThese files could not be restored:";
    for (const Unrestored& file : unrestored) message += "\n" + file.name + " (" + file.reason + ")";
    return message;
}

}  // namespace

bool RestoreStockSounds(AppContext& context, const Stick& stick) {
    if (!context.Ask(kQuestion, DefaultButton::No)) return false;
    TidyAfterInterruption(context, stick);

    std::vector<Unrestored> unrestored;
    std::vector<RestoreStep> steps;
    {
        const BusyScope busy(context);
        steps = PlanRestore(context, stick, unrestored);
    }
    const std::optional<SpacePlan> plan = FitOnStick(context, stick, steps);
    if (!plan) return false;
    for (std::size_t i = 0; i < steps.size(); ++i) Carry(context, steps[i], plan->beside[i], unrestored);

    context.ShowMessage(ClosingMessage(unrestored));
    return unrestored.empty();
}

bool RepairSoundArchive(AppContext& context, const Stick& stick) {
    const std::string base = context.DataFilePath(program_files::kBaseArchive);
    const std::string target = stick.Path(stick_files::kSoundArchive);
    RestoreStep step;
    step.writes.push_back({base, target, "Restoring DYNAUDIO.ODA on memory stick", "Could not restore DYNAUDIO.ODA on memory stick"});
    const std::optional<SpacePlan> plan = FitOnStick(context, stick, {step});
    if (!plan) return false;
    const BusyScope busy(context);
    return plan->beside[0] ? WriteBesideThenReplace(context, step.writes) : DeleteThenCopy(context, step.writes);
}

}  // namespace tamsiro
