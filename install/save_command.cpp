#include "install/save_command.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "install/dialog_selection.h"
#include "install/main_install.h"
#include "install/messages.h"
#include "stick/interrupted_work.h"
#include "stick/mode_flags.h"
#include "stick/space_plan.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"
#include "stick/voice_list.h"

#include <algorithm>
#include <string>

namespace tamsiro {

namespace {

// Room a rewritten configuration file may need beyond the old one's size.
constexpr std::uint64_t kConfigGrowth = 512;

struct StickCopy {
    const char* prefix;
    std::string_view destination;
    const char* failure;
};

constexpr StickCopy kGame1{"G3A", stick_files::kGame1, "Could not copy game#1 audio to memory stick"};
constexpr StickCopy kGame8{"G3B", stick_files::kGame8, "Could not copy game#8 audio to memory stick"};
constexpr StickCopy kVoice{"V3", stick_files::kCustomVoice, "Could not copy user voice audio to memory stick"};

std::uint64_t SizeOrZero(const std::string& path) { return FileSizeAt(path).value_or(0); }

// The files of one step that differ from what the stick holds; a stick
// file that is already identical is left alone.
std::vector<StickFile> FilesToWrite(AppContext& context, const Stick& stick, const std::string& label,
                                    std::initializer_list<StickCopy> copies) {
    std::vector<StickFile> files;
    for (const StickCopy& copy : copies) {
        StickFile file{context.DataFilePath(DataFileName(copy.prefix, label)), stick.Path(copy.destination),
                       CopyingStep(copy.destination), copy.failure};
        if (!file.target.empty() && SameContent(file.source, file.target)) continue;
        files.push_back(std::move(file));
    }
    return files;
}

PlanStep StepFor(const std::vector<StickFile>& files) {
    PlanStep step;
    for (const StickFile& file : files) step.files.push_back({SizeOrZero(file.source), SizeOrZero(file.target), false});
    return step;
}

PlanStep ConfigStep(const Stick& stick, std::string_view stem) {
    const std::string name(stem);
    PlanStep step;
    step.besideOnly = true;
    step.files.push_back({SizeOrZero(stick.Path(name + ".CFG")) + kConfigGrowth, SizeOrZero(stick.Path(name + ".BAK")), false});
    return step;
}

// Everything a Save will write, worked out before the stick is touched.
struct SavePlan {
    bool mainChanges = false;
    std::vector<StickFile> games;
    std::vector<StickFile> voice;
    // Indexes into the space plan's steps.
    enum Step { kMain, kGames, kVoice, kVoiceList, kModeFlags, kStepCount };
    SpacePlan space;
    // The male voice goes before the voice copy, because only then does the
    // plan fit; the question was asked up front.
    bool maleVoiceGoesFirst = false;
    std::uint64_t missingWithMaleVoice = 0;
};

std::vector<PlanStep> StepsOf(const AppContext& context, const Stick& stick, const SaveSelection& selection,
                              const SavePlan& plan, bool maleVoiceFirst) {
    std::vector<PlanStep> steps(SavePlan::kStepCount);
    if (plan.mainChanges) {
        steps[SavePlan::kMain].files.push_back(
            {SizeOrZero(WorkArchivePath(context)), SizeOrZero(stick.Path(stick_files::kSoundArchive)), false});
    }
    steps[SavePlan::kGames] = StepFor(plan.games);
    steps[SavePlan::kVoice] = StepFor(plan.voice);
    if (maleVoiceFirst) {
        steps[SavePlan::kVoice].files.insert(steps[SavePlan::kVoice].files.begin(),
                                             {0, SizeOrZero(stick.Path(stick_files::kMaleVoice)), true});
    }
    if (selection.voice) {
        steps[SavePlan::kVoiceList] = ConfigStep(stick, stick_files::kVoiceListStem);
        steps[SavePlan::kModeFlags] = ConfigStep(stick, stick_files::kModeFlagsStem);
    }
    return steps;
}

enum class PlanVerdict { Fits, FitsWithoutTheMaleVoice, DoesNotFit };

// Works out what to write and how, before anything on the stick changes.
PlanVerdict MakePlan(AppContext& context, const Stick& stick, const SaveSelection& selection, SavePlan& plan) {
    plan.mainChanges = selection.main && !SameContent(WorkArchivePath(context), stick.Path(stick_files::kSoundArchive));
    if (selection.games) plan.games = FilesToWrite(context, stick, *selection.games, {kGame1, kGame8});
    if (selection.voice) plan.voice = FilesToWrite(context, stick, *selection.voice, {kVoice});

    const auto space = SpaceOf(stick.FolderOf(stick_files::kSoundArchive));
    if (!space) {
        // A host that cannot say: write beside, as a roomy stick would.
        plan.space.beside.assign(SavePlan::kStepCount, true);
        return PlanVerdict::Fits;
    }
    plan.space = PlanSpace(StepsOf(context, stick, selection, plan, false), space->freeBytes, space->allocationUnit);
    if (plan.space.Fits()) return PlanVerdict::Fits;

    if (selection.voiceOffersMaleVoiceRemoval && FileExists(stick.Path(stick_files::kMaleVoice))) {
        const SpacePlan withoutMaleVoice =
            PlanSpace(StepsOf(context, stick, selection, plan, true), space->freeBytes, space->allocationUnit);
        if (withoutMaleVoice.Fits()) {
            plan.missingWithMaleVoice = plan.space.missingBytes;
            plan.space = withoutMaleVoice;
            return PlanVerdict::FitsWithoutTheMaleVoice;
        }
    }
    return PlanVerdict::DoesNotFit;
}

// The stick files with a stock version to keep that this Save will change
// or may delete. The sound archive's stock version is the base archive.
std::vector<std::string_view> StockFilesTouched(const Stick& stick, const SaveSelection& selection, const SavePlan& plan) {
    std::vector<std::string_view> touched;
    auto addIfWritten = [&](const std::vector<StickFile>& files, std::string_view stickPath) {
        const std::string target = stick.Path(stickPath);
        if (std::any_of(files.begin(), files.end(), [&](const StickFile& file) { return file.target == target; })) {
            touched.push_back(stickPath);
        }
    };
    addIfWritten(plan.games, stick_files::kGame1);
    addIfWritten(plan.games, stick_files::kGame8);
    addIfWritten(plan.voice, stick_files::kCustomVoice);
    if (selection.voice) {
        // The rotation replaces each .CFG and deletes its old .BAK.
        touched.insert(touched.end(), {stick_files::kVoiceList, stick_files::kVoiceListBackup, stick_files::kModeFlags,
                                       stick_files::kModeFlagsBackup});
        if (selection.voiceOffersMaleVoiceRemoval) touched.push_back(stick_files::kMaleVoice);
    }
    return touched;
}

bool WriteStep(AppContext& context, const std::vector<StickFile>& files, bool beside) {
    if (files.empty()) return true;
    const BusyScope busy(context);
    return beside ? WriteBesideThenReplace(context, files) : DeleteThenCopy(context, files);
}

void RewriteConfiguration(AppContext& context, const Stick& stick, bool maleVoiceRemoved, bool deleteMaleVoiceAfter) {
    // A configuration that could not be rewritten is a warning, not a failure:
    // the sounds are on the stick already.
    BusyScope busy(context);
    const bool voiceListRewritten = RewriteVoiceList(context, stick, maleVoiceRemoved);
    // The male voice goes only once the voice list no longer names it.
    if (voiceListRewritten && deleteMaleVoiceAfter) {
        (void)DeleteFileAt(stick.Path(stick_files::kMaleVoice));
        (void)FlushFolder(stick.FolderOf(stick_files::kMaleVoice));
    }
    if (!voiceListRewritten || !RewriteModeFlags(context, stick)) {
        // The warning is the Save's own verdict, not part of the work: it is
        // shown with the normal pointer, unlike the rewrite's error before it.
        busy.End();
        context.ShowMessage("Warning: CFG files not updated fully");
    }
}

}  // namespace

SaveSelection ReadDialogSelection(AppContext& context) {
    SaveSelection selection;
    auto labelOf = [&](const SoundCategory& category) -> std::optional<std::string> {
        const int id = SelectionOf(context, category.firstId, category.LastId());
        if (id == 0) return std::nullopt;
        return ControlFileLabel(context, id);
    };
    selection.main = labelOf(kMainCategory);
    selection.games = labelOf(kGamesCategory);
    selection.voice = labelOf(kVoiceCategory);
    // The question belongs to the sixth row, whatever its label says.
    selection.voiceOffersMaleVoiceRemoval = SelectionOf(context, kVoiceCategory.firstId, kVoiceCategory.LastId()) == kMiniVoiceId;
    return selection;
}

SaveSelection SelectionOfLabels(std::optional<std::string> main, std::optional<std::string> games,
                                std::optional<std::string> voice) {
    const std::string miniVoice = FileLabelOf(kRowLabels[kMiniVoiceId - kVoiceCategory.firstId]);
    SaveSelection selection{std::move(main), std::move(games), std::move(voice)};
    selection.voiceOffersMaleVoiceRemoval = selection.voice && EqualIgnoringAsciiCase(*selection.voice, miniVoice);
    return selection;
}

bool Save(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    const int chosen = int{selection.main.has_value()} + int{selection.games.has_value()} + int{selection.voice.has_value()};
    if (chosen == 0) {
        context.ShowMessage("Please select something");
        return false;
    }
    if (chosen < 3 && !context.Ask(kFewerPartsQuestion, DefaultButton::No)) {
        return false;
    }

    // Whatever an interrupted run left behind is put in order first.
    TidyAfterInterruption(context, stick);

    // The new sound archive is built first: its size is part of the plan.
    // The busy pointer runs from there until the new archive is on the stick.
    std::optional<BusyScope> busy;
    if (selection.main &&
        !BuildWorkArchive(context, stick, context.DataFilePath(DataFileName(kMainCategory.prefix, *selection.main)), busy)) {
        return false;
    }
    SavePlan plan;
    const PlanVerdict verdict = MakePlan(context, stick, selection, plan);
    if (verdict == PlanVerdict::FitsWithoutTheMaleVoice) {
        // Only the male voice's room makes the plan fit: the question comes
        // before anything is written.
        busy.reset();
        plan.maleVoiceGoesFirst = context.Ask(kMaleVoiceQuestion, DefaultButton::Yes);
        if (!plan.maleVoiceGoesFirst) plan.space.missingBytes = plan.missingWithMaleVoice;
    }
    if (verdict == PlanVerdict::DoesNotFit || (verdict == PlanVerdict::FitsWithoutTheMaleVoice && !plan.maleVoiceGoesFirst)) {
        busy.reset();
        context.ShowMessage(NotEnoughSpaceMessage(plan.space.missingBytes));
        DiscardFile(WorkArchivePath(context));
        return false;
    }
    // The stock version of every stick file this Save changes is kept first.
    if (!KeepStockFiles(context, stick, StockFilesTouched(stick, selection, plan))) {
        busy.reset();
        DiscardFile(WorkArchivePath(context));
        return false;
    }

    if (selection.main) {
        const auto placement = plan.space.beside[SavePlan::kMain] ? ArchivePlacement::Beside : ArchivePlacement::DeleteFirst;
        if (!InstallWorkArchive(context, stick, placement)) return false;
    }
    busy.reset();
    if (!WriteStep(context, plan.games, plan.space.beside[SavePlan::kGames])) return false;
    if (!selection.voice) {
        context.ShowMessage("New audio saved");
        return true;
    }

    if (plan.maleVoiceGoesFirst) (void)DeleteFileAt(stick.Path(stick_files::kMaleVoice));
    if (!WriteStep(context, plan.voice, plan.space.beside[SavePlan::kVoice])) return false;
    bool maleVoiceRemoved = plan.maleVoiceGoesFirst;
    if (selection.voiceOffersMaleVoiceRemoval && !plan.maleVoiceGoesFirst) {
        maleVoiceRemoved = context.Ask(kMaleVoiceQuestion, DefaultButton::Yes);
    }
    RewriteConfiguration(context, stick, maleVoiceRemoved, maleVoiceRemoved && !plan.maleVoiceGoesFirst);

    context.ShowMessage("New audio saved");
    return true;
}

void OnSave(AppContext& context, const Stick& stick) {
    if (Save(context, stick, ReadDialogSelection(context))) context.Ui().EndDialog(DialogResult::Ok);
}

}  // namespace tamsiro
