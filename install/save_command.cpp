#include "install/save_command.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "install/main_install.h"
#include "install/messages.h"
#include "install/stick_change.h"
#include "stick/mode_flags.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_lock.h"
#include "stick/stick_transaction.h"
#include "stick/stick_writer.h"
#include "stick/voice_list.h"

#include <algorithm>
#include <string>

namespace tamsiro {

namespace {

struct StickCopy {
    const char* prefix;
    std::string_view destination;
    const char* failure;
};

constexpr StickCopy kGame1{kGamesCategory.prefix, stick_files::kGame1, "Could not copy game#1 audio to memory stick"};
constexpr StickCopy kGame8{kGamesCategory.secondPrefix, stick_files::kGame8,
                           "Could not copy game#8 audio to memory stick"};
constexpr StickCopy kVoice{kVoiceCategory.prefix, stick_files::kCustomVoice,
                           "Could not copy user voice audio to memory stick"};
constexpr const char* kArchiveFailure = "Could not copy final audio to memory stick";

// The Save's closing words when the sounds are on the stick but the
// configuration could not be switched to the new voice.
const std::string kConfigNotSwitched =
    "The new sounds are on the memory stick, but the voice settings were not changed\n"
    "The robot keeps using its old voice, and the male voice was kept";
const std::string kMaleVoiceKept = "New audio saved, but the male voice could not be removed";

std::string SetPath(const AppContext& context, const char* prefix, const std::string& label) {
    return context.DataFilePath(DataFileName(prefix, label));
}

// A Voice or Games set file that is empty, or an ODA archive cut short,
// would install half a set: refused, naming it.
bool SetFileWhole(AppContext& context, const std::string& path) {
    BinaryFile file;
    char magic[4] = {};
    const auto size = FileSizeAt(path);
    // A file that has gone fails its copy, with that copy's own message.
    if (!size) return true;
    bool whole = *size > 0 && file.Open(path, BinaryFile::Mode::Read);
    if (whole && file.ReadExactly(magic, sizeof magic) && std::string_view(magic, 4) == "ODAR")
        whole = CheckArchiveFile(path).Sound();
    if (!whole) context.ShowMessage(path.substr(FolderOf(path).size()) + " is empty or damaged\nNothing was changed");
    return whole;
}

bool SetsWhole(AppContext& context, const SaveSelection& selection) {
    std::vector<std::string> paths;
    if (selection.games) {
        paths.push_back(SetPath(context, kGame1.prefix, *selection.games));
        paths.push_back(SetPath(context, kGame8.prefix, *selection.games));
    }
    if (selection.voice) paths.push_back(SetPath(context, kVoice.prefix, *selection.voice));
    return std::all_of(paths.begin(), paths.end(),
                       [&](const std::string& path) { return SetFileWhole(context, path); });
}

// The files of one step that differ from what the stick holds; a stick
// file that is already identical is left alone.
PlannedStep CopiesOf(AppContext& context, const Stick& stick, const std::string& label,
                     std::initializer_list<StickCopy> copies) {
    PlannedStep step;
    for (const StickCopy& copy : copies) {
        const std::string source = SetPath(context, copy.prefix, label);
        if (SameContent(source, stick.Path(copy.destination))) continue;
        step.files.push_back({std::string(copy.destination), source, std::nullopt, ProgressStep::CopyingToStick});
    }
    return step;
}

PlannedStep MaleVoiceRemoval(bool optional) {
    PlannedStep step;
    step.files.push_back({std::string(stick_files::kMaleVoice), {}, std::nullopt});
    step.optional = optional;
    return step;
}

enum class MaleVoice { Kept, RemovedForRoom, RemovedLast };

// What a Save writes: the sound files, then the configuration switch, and
// the male voice last; where only its room lets the voice fit, it goes
// just before the voice, once the voice list without it is written beside.
struct SaveWork {
    bool mainChanges = false;
    PlannedStep games;
    PlannedStep voice;
    bool configWanted = false;
    PlannedConfig voiceList;
    PlannedConfig modeFlags;

    StickPlan PlanFor(MaleVoice maleVoice) const {
        StickPlan plan;
        if (mainChanges) {
            PlannedStep main;
            main.files.push_back({std::string(stick_files::kSoundArchive), mainSource, std::nullopt,
                                  ProgressStep::CopyingToStick, mainPlannedSize});
            plan.push_back(std::move(main));
        }
        if (!games.files.empty()) plan.push_back(games);
        if (maleVoice == MaleVoice::RemovedForRoom) plan.push_back(MaleVoiceRemoval(false));
        if (!voice.files.empty()) plan.push_back(voice);
        if (ConfigSwitchable()) {
            PlannedStep config;
            config.kind = StepKind::Rotation;
            // Without the male voice's room the voice cannot stay without
            // the switch: all or nothing then.
            config.optional = maleVoice != MaleVoice::RemovedForRoom;
            for (const PlannedConfig* file : {&voiceList, &modeFlags}) {
                config.files.push_back({file->stem + ".CFG", {}, file->bytes, {}});
            }
            plan.push_back(std::move(config));
        }
        if (maleVoice == MaleVoice::RemovedLast) plan.push_back(MaleVoiceRemoval(true));
        return plan;
    }

    bool ConfigSwitchable() const {
        return configWanted && voiceList.problem == ConfigProblem::None && modeFlags.problem == ConfigProblem::None;
    }

    std::string mainSource;
    std::optional<std::uint64_t> mainPlannedSize;  // before the merged archive is built
};

// The work of a Save, with the merged archive at `mainSource` (or, before
// it is built, of `mainPlannedSize` bytes).
SaveWork PlanWork(AppContext& context, const Stick& stick, const SaveSelection& selection, std::string mainSource,
                  std::optional<std::uint64_t> mainPlannedSize, bool maleVoiceRemoved = false) {
    SaveWork work;
    work.mainSource = std::move(mainSource);
    work.mainPlannedSize = mainPlannedSize;
    const std::string stickArchive = stick.Path(stick_files::kSoundArchive);
    // A merged archive the size of the stick's may well be the same one:
    // only the built archive can tell, and is judged again then.
    work.mainChanges = selection.main && (mainPlannedSize ? FileSizeAt(stickArchive) != mainPlannedSize
                                                          : !SameContent(work.mainSource, stickArchive));
    if (selection.games) work.games = CopiesOf(context, stick, *selection.games, {kGame1, kGame8});
    if (selection.voice) work.voice = CopiesOf(context, stick, *selection.voice, {kVoice});
    work.configWanted = selection.voice.has_value();
    if (work.configWanted) {
        work.voiceList = PlanVoiceList(stick, maleVoiceRemoved);
        work.modeFlags = PlanModeFlags(stick);
    }
    return work;
}

// Whether a Save of `selection` fits, with the male voice's room where the
// 32 MB voice may take it; the bytes missing when it does not.
std::uint64_t MissingRoom(AppContext& context, const Stick& stick, const SaveSelection& selection,
                          std::optional<std::uint64_t> mainPlannedSize) {
    const SaveWork work = PlanWork(context, stick, selection, WorkArchivePath(context), mainPlannedSize);
    const Room room = JudgeRoom(stick, work.PlanFor(MaleVoice::Kept));
    if (room.fits) return 0;
    const bool maleVoiceThere = PresenceOf(stick, stick_files::kMaleVoice) == Presence::There;
    if (selection.voiceOffersMaleVoiceRemoval && work.ConfigSwitchable() && maleVoiceThere) {
        const SaveWork without = PlanWork(context, stick, selection, WorkArchivePath(context), mainPlannedSize, true);
        const Room withoutRoom = JudgeRoom(stick, without.PlanFor(MaleVoice::RemovedForRoom));
        if (withoutRoom.fits) return 0;
        return std::min(room.missingBytes, withoutRoom.missingBytes);
    }
    return room.missingBytes;
}

// The bytes a set of a group puts on the stick (a Main set: the merged
// archive it makes), or nothing when its files cannot be read.
std::optional<std::uint64_t> SetBytes(AppContext& context, const Stick& stick, const SoundCategory& category,
                                      const std::string& label) {
    if (&category == &kMainCategory) return MergedSizeOf(context, stick, SetPath(context, category.prefix, label));
    std::uint64_t bytes = 0;
    for (const char* prefix : {category.prefix, category.secondPrefix}) {
        if (prefix == nullptr) continue;
        const auto size = FileSizeAt(SetPath(context, prefix, label));
        if (!size) return std::nullopt;
        bytes += *size;
    }
    return bytes;
}

// "Main set Zorbit (2.3 MB) would fit": the smallest set of a chosen group
// that would let the Save fit in place of the one chosen; empty when none.
std::string SmallestThatFits(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    struct Group {
        const SoundCategory& category;
        const char* name;
        std::optional<std::string> SaveSelection::*chosen;
    };
    const Group groups[] = {{kMainCategory, "Main", &SaveSelection::main},
                            {kVoiceCategory, "Talkative Voice", &SaveSelection::voice},
                            {kGamesCategory, "Games", &SaveSelection::games}};
    for (const Group& group : groups) {
        if (!(selection.*group.chosen)) continue;
        std::vector<std::pair<std::uint64_t, std::string>> candidates;
        for (const std::string& label : AvailableSets(context, group.category)) {
            if (EqualIgnoringAsciiCase(label, *(selection.*group.chosen))) continue;
            if (const auto bytes = SetBytes(context, stick, group.category, label))
                candidates.emplace_back(*bytes, label);
        }
        std::sort(candidates.begin(), candidates.end());
        for (const auto& [bytes, label] : candidates) {
            SaveSelection other = selection;
            other.*group.chosen = label;
            if (&group.category == &kVoiceCategory) other.voiceOffersMaleVoiceRemoval = false;
            const std::optional<std::uint64_t> mainSize =
                other.main ? MergedSizeOf(context, stick, SetPath(context, kMainCategory.prefix, *other.main))
                           : std::nullopt;
            if (MissingRoom(context, stick, other, mainSize) == 0) {
                return std::string(group.name) + " set " + label + " (" + MegabytesText(bytes) + ") would fit";
            }
        }
    }
    return {};
}

// What a Save expects to move, for its one progress bar: the merged
// archive's data, and each file written, read back and read back again.
std::uint64_t ExpectedBytes(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    std::optional<std::uint64_t> mainSize;
    if (selection.main)
        mainSize = MergedSizeOf(context, stick, SetPath(context, kMainCategory.prefix, *selection.main));
    const SaveWork work = PlanWork(context, stick, selection, WorkArchivePath(context), mainSize);
    const std::uint64_t written = WrittenBytesOf(work.PlanFor(MaleVoice::Kept));
    return mainSize.value_or(0) + 3 * written;
}

// Judged from the tables before the merged archive is built: a Save that
// cannot fit says so at once, how much it lacks, and what would fit.
bool FitsBeforeBuilding(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    std::optional<std::uint64_t> mainSize;
    if (selection.main) {
        mainSize = MergedSizeOf(context, stick, SetPath(context, kMainCategory.prefix, *selection.main));
        // Archives that do not open are for the merge to report, in its words.
        if (!mainSize) return true;
    }
    const std::uint64_t missing = MissingRoom(context, stick, selection, mainSize);
    if (missing == 0) return true;
    const std::string hint = SmallestThatFits(context, stick, selection);
    context.ShowMessage(NotEnoughSpaceMessage(missing) + (hint.empty() ? "" : "\n" + hint));
    return false;
}

// The messages of a configuration file that could not be switched, as the
// rewrite has always named them.
struct ConfigMessages {
    std::string_view stickPath;
    const char* missing;
    const char* badFormat;
    const char* cannotCreate;
    const char* writeFailed;
    const char* renameFailed;
};

constexpr ConfigMessages kVoiceListMessages{stick_files::kVoiceList,
                                            "Error: Missing MCUSLIST.CFG file",
                                            "Error: bad MCUSLIST.CFG format",
                                            "Error: Can't create new MCUSLIST.CFG file",
                                            "Error: Failed to write new MCUSLIST.CFG file",
                                            "Error: Failed to rename files (MCUSLIST.*)"};
constexpr ConfigMessages kModeFlagsMessages{stick_files::kModeFlags,
                                            "Error: Missing MCUS.CFG file",
                                            nullptr,
                                            "Error: Can't create new MCUS.CFG file",
                                            "Error: Failed to write new MCUS.CFG file",
                                            "Error: Failed to rename files (MCUS.*)"};

// The first configuration problem, found before anything changed.
const char* PlanProblemText(const SaveWork& work) {
    for (const auto& [planned, messages] :
         {std::pair{&work.voiceList, &kVoiceListMessages}, std::pair{&work.modeFlags, &kModeFlagsMessages}}) {
        if (planned->problem == ConfigProblem::Missing) return messages->missing;
        if (planned->problem == ConfigProblem::BadFormat) return messages->badFormat;
    }
    return nullptr;
}

// The first configuration file that failed while it was carried.
const char* CarryProblemText(const CarryOutcome& result) {
    for (const ConfigMessages* messages : {&kVoiceListMessages, &kModeFlagsMessages}) {
        switch (result.VerdictOf(messages->stickPath)) {
        case ChangeVerdict::CreateFailed: return messages->cannotCreate;
        case ChangeVerdict::WriteFailed: return messages->writeFailed;
        case ChangeVerdict::RenameFailed:
        case ChangeVerdict::RemoveFailed: return messages->renameFailed;
        case ChangeVerdict::Done:
        case ChangeVerdict::NotDone: break;
        }
    }
    return nullptr;
}

// The rewrite's error comes under the busy pointer, as part of the work;
// the warning is the Save's own verdict, shown with the normal pointer.
void ShowConfigProblem(AppContext& context, const char* problem) {
    {
        const BusyScope busy(context);
        context.ShowMessage(problem);
    }
    context.ShowMessage("Warning: CFG files not updated fully");
}

// The failure of a sound file, in the words each has always had and why,
// under the busy pointer as the work it ends.
void ReportSoundFailure(AppContext& context, const Stick& stick, const CarryOutcome& result) {
    const BusyScope busy(context);
    auto report = [&](std::string_view stickPath, const std::string& text) {
        if (const FileOutcome* file = result.Of(stickPath); file && result.Failed(stickPath)) {
            context.ShowMessage(WithWhy(text, file->failure, stick, StickFileName(stickPath)));
        }
    };
    for (const StickCopy& copy : {kGame1, kGame8, kVoice}) report(copy.destination, copy.failure);
    report(stick_files::kMaleVoice, "Could not remove the male voice from memory stick");
    report(stick_files::kSoundArchive, kArchiveFailure);
    const FileOutcome* archive = result.Of(stick_files::kSoundArchive);
    if (archive && result.Failed(stick_files::kSoundArchive) && ManualCopyMayHelp(archive->failure)) {
        OfferManualCopy(context, WorkArchivePath(context), stick.Path(stick_files::kSoundArchive));
    }
}

}  // namespace

SaveSelection SelectionOfRows(const CheckedRows& checked, const RowFileLabels& labels) {
    auto labelOf = [&](std::size_t place, const std::optional<int>& row) -> std::optional<std::string> {
        if (!row || *row < 0 || *row >= kRowsPerCategory) return std::nullopt;
        return labels[place][static_cast<std::size_t>(*row)];
    };
    SaveSelection selection{labelOf(kMainPlace, checked.main), labelOf(kGamesPlace, checked.games),
                            labelOf(kVoicePlace, checked.voice)};
    selection.voiceOffersMaleVoiceRemoval = checked.voice == kMaleVoiceRemovalRow;
    return selection;
}

SaveSelection SelectionOfLabels(std::optional<std::string> main, std::optional<std::string> games,
                                std::optional<std::string> voice) {
    const std::string miniVoice = FileLabelOf(kRowLabels[kMaleVoiceRemovalRow]);
    SaveSelection selection{std::move(main), std::move(games), std::move(voice)};
    selection.voiceOffersMaleVoiceRemoval = selection.voice && EqualIgnoringAsciiCase(*selection.voice, miniVoice);
    return selection;
}

bool Save(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    UseInstallWords(context);
    const int chosen =
        int{selection.main.has_value()} + int{selection.games.has_value()} + int{selection.voice.has_value()};
    if (chosen == 0) {
        context.ShowMessage("Please select something");
        return false;
    }
    if (chosen < 3 && !context.Ask(kFewerPartsQuestion, DefaultButton::No, selection.installFewerParts)) {
        return false;
    }
    // Whatever an interrupted run left behind is put in order first.
    StickLock lock;
    if (!OpenStickForChange(context, stick, lock) || !SetsWhole(context, selection)) return false;

    if (!FitsBeforeBuilding(context, stick, selection)) return false;

    // One bar for the whole Save, by the bytes each stage moves: each file
    // is written, read back, and read back once more at the end.
    std::vector<ProgressStage> stages = {ProgressStage::Keeping, ProgressStage::Writing, ProgressStage::Checking};
    if (selection.main) stages.insert(stages.begin(), ProgressStage::Building);
    std::optional<WholeProgress> whole;
    whole.emplace(context.Ui(), stages, ExpectedBytes(context, stick, selection), StepOf);

    // The new sound archive is built next: its exact bytes are part of the
    // plan. The busy pointer runs from there until it is on the stick.
    std::optional<BusyScope> busy;
    BeginProgressStage(ProgressStage::Building);
    if (selection.main &&
        !BuildWorkArchive(context, stick, SetPath(context, kMainCategory.prefix, *selection.main), busy)) {
        return false;
    }
    SaveWork work = PlanWork(context, stick, selection, WorkArchivePath(context), std::nullopt);

    // The male voice may go only with the switch that stops naming it; its
    // room counts only when it is there.
    const bool maleVoiceOffered = selection.voiceOffersMaleVoiceRemoval && work.ConfigSwitchable();
    MaleVoice maleVoice = MaleVoice::Kept;
    Room room = JudgeRoom(stick, work.PlanFor(MaleVoice::Kept));
    const bool maleVoiceThere = PresenceOf(stick, stick_files::kMaleVoice) == Presence::There;
    if (maleVoiceOffered &&
        (room.fits || (maleVoiceThere && JudgeRoom(stick, work.PlanFor(MaleVoice::RemovedForRoom)).fits))) {
        busy.reset();
        if (context.Ask(kMaleVoiceQuestion, DefaultButton::Yes, selection.removeMaleVoice))
            maleVoice = room.fits ? MaleVoice::RemovedLast : MaleVoice::RemovedForRoom;
    }
    if (maleVoice != MaleVoice::Kept) {
        work.voiceList = PlanVoiceList(stick, true);
        room = JudgeRoom(stick, work.PlanFor(maleVoice));
    }
    if (!room.fits) {
        busy.reset();
        context.ShowMessage(NotEnoughSpaceMessage(room.missingBytes));
        DiscardFile(WorkArchivePath(context));
        return false;
    }

    // The stock version of every stick file this Save changes is kept first.
    const std::optional<CarryOutcome> carried = KeepAndCarry(context, stick, work.PlanFor(maleVoice), room);
    busy.reset();
    if (!carried) {
        DiscardFile(WorkArchivePath(context));
        return false;
    }
    const CarryOutcome& result = *carried;
    const std::string summary = WrittenSummaryOf(work.PlanFor(maleVoice));
    whole.reset();
    if (StoppedByTheStick(result.verdict)) {
        DiscardFile(WorkArchivePath(context));
        ReportUndone(context, stick, result.verdict, false);
        return false;
    }
    if (result.verdict == CarryVerdict::Undone || result.verdict == CarryVerdict::UndoFailed ||
        result.verdict == CarryVerdict::Stopped) {
        if (const char* problem = CarryProblemText(result)) ShowConfigProblem(context, problem);
        ReportSoundFailure(context, stick, result);
        const BusyScope stillBusy(context);
        ReportUndone(context, stick, result.verdict, result.undoneFiles > 0);
        return false;
    }
    DiscardFile(WorkArchivePath(context));
    if (work.configWanted && !work.ConfigSwitchable()) {
        ShowConfigProblem(context, PlanProblemText(work));
        context.ShowMessage(kConfigNotSwitched);
        return false;
    }
    if (result.verdict == CarryVerdict::OptionalStepsUndone) {
        if (const char* problem = CarryProblemText(result)) {
            ShowConfigProblem(context, problem);
            context.ShowMessage(kConfigNotSwitched + LeftOnStickText(result.leftOnStick));
        } else {
            context.ShowMessage(kMaleVoiceKept + LeftOnStickText(result.leftOnStick));
        }
        return false;
    }
    context.ShowMessage("New audio saved" + LeftOnStickText(result.leftOnStick));
    context.Ui().ShowClosingNote(summary);
    return true;
}

void OnSave(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    if (Save(context, stick, selection)) context.Ui().EndDialog(DialogResult::Ok);
}

}  // namespace tamsiro
