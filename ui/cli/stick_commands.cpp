// tamsiro-cli status, install and restore: what the dialog does to a stick,
// from the command line. The stick check, the base backup, the Save and
// the restore are the core's, with the dialog's messages and questions;
// these commands name the stick and the sets instead of choosing them.
#include "app/app_context.h"
#include "archive/oda_text.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "host/program_folder.h"
#include "host/removable_volumes.h"
#include "install/messages.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "install/stick_selection.h"
#include "install/stick_status.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_locator.h"
#include "ui/cli/cli_commands.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro::cli {

namespace {

struct StickOptions {
    std::optional<std::string> stick;          // nothing: the one stick mounted
    std::optional<std::string> programFolder;  // nothing: the default
    bool json = false;
    std::optional<std::string> main;
    std::optional<std::string> voice;
    std::optional<std::string> games;
    bool removeMaleVoice = false;
    bool keepMaleVoice = false;
    // Answers to the questions --yes does not answer.
    bool acceptCustomBase = false;
    bool deleteRecoveredFiles = false;
};

// The answers the command line gave up front to questions of their own.
void GiveOwnAnswers(AppContext& context, const StickOptions& options) {
    if (options.acceptCustomBase) {
        context.GiveAnswer(std::string(kAcceptCustomBaseOption),
                           GivenAnswer{true, std::string(kAcceptCustomBaseOption)});
    }
    if (options.deleteRecoveredFiles) {
        context.GiveAnswer(std::string(kDeleteRecoveredFilesOption),
                           GivenAnswer{true, std::string(kDeleteRecoveredFilesOption)});
    }
}

// The group a --main, --voice or --games option picks from.
struct SetOption {
    const char* flag;
    const char* groupName;
    const SoundCategory& category;
};

const SetOption kMainOption{"--main", "Main", kMainCategory};
const SetOption kVoiceOption{"--voice", "Talkative Voice", kVoiceCategory};
const SetOption kGamesOption{"--games", "Games", kGamesCategory};

std::string Joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
    return text;
}

// The folder given with --program-folder, else the one the dialog would
// use, made when `make` says so; nothing, after saying why, when there is
// none. Not having one is a usage error: the command line must name one.
std::optional<std::string> ProgramFolder(UserInterface& ui, const StickOptions& options, bool make) {
    if (options.programFolder) {
        if (options.programFolder->empty()) {
            ui.ShowMessage("--program-folder is empty: name the folder with the sound sets");
            return std::nullopt;
        }
        if (IsFolder(*options.programFolder)) return AbsolutePath(*options.programFolder);
        ui.ShowMessage(*options.programFolder + ": no such folder");
        return std::nullopt;
    }
    const std::string folder = DefaultProgramFolder();
    if (folder.empty()) {
        ui.ShowMessage(std::string(kNoProgramFolderMessage) + "\nName one with --program-folder");
        return std::nullopt;
    }
    if (make && !MakeFolders(folder)) {
        ui.ShowMessage(folder + ": can't make the folder\nName another with --program-folder");
        return std::nullopt;
    }
    return folder;
}

// The stick's root folder: the one --stick names (or the folder of the file
// it names, as the chooser takes any file at the root), else the one stick
// mounted, named on stderr. Nothing, after saying why, when there is none;
// `exitCode` then says whether the command line was at fault.
std::optional<std::string> StickFolder(UserInterface& ui, const StickOptions& options, int& exitCode) {
    if (!options.stick) {
        exitCode = kExitUsage;
        const std::vector<std::string> mounted = FindStickRoots(CandidateVolumeRoots());
        if (mounted.size() == 1) {
            ui.ShowMessage("Memory stick: " + mounted.front());
            return mounted.front();
        }
        if (mounted.empty()) {
            ui.ShowMessage("No memory stick found: name its root folder with --stick");
        } else {
            ui.ShowMessage("Several memory sticks are mounted (" + Joined(mounted, ", ") + "): name one with --stick");
        }
        return std::nullopt;
    }
    exitCode = kExitFailure;
    std::string folder = AbsolutePath(*options.stick);
    if (!IsFolder(folder) && FileExists(folder)) folder = FolderOf(folder);
    if (!IsFolder(folder)) {
        ui.ShowMessage(*options.stick + ": no such folder");
        return std::nullopt;
    }
    // The chooser never shows a folder without the marker; here it is named.
    // A marker that is there but no file is the stick check's to refuse.
    const PathKind marker = KindAt(Stick(folder).Path(stick_files::kMarker));
    if (marker == PathKind::Missing || marker == PathKind::Folder) {
        ui.ShowMessage(*options.stick + ": no memstick.ind here\n--stick names the memory stick's root folder");
        return std::nullopt;
    }
    return folder;
}

// Stick paths as a script reads them on any host: with '/'.
std::vector<std::string> PortablePaths(std::vector<std::string> paths) {
    for (std::string& path : paths) std::replace(path.begin(), path.end(), '\\', '/');
    return paths;
}

// The label of the set an option names, as the program folder spells it.
// False, after saying which sets there are, for a set that is not there.
bool ResolveSet(UserInterface& ui, const AppContext& context, const SetOption& option,
                const std::optional<std::string>& named, std::optional<std::string>& label) {
    if (!named) return true;
    const std::vector<std::string> available = AvailableSets(context, option.category);
    label = FindSetLabel(available, *named);
    if (label) return true;
    ui.ShowMessage(std::string(option.flag) + " " + *named + ": no such " + option.groupName + " set in " +
                   context.ProgramFolder() + "; available: " + (available.empty() ? "none" : Joined(available, ", ")));
    return false;
}

// The stick check, its repair offer and the base backup, as at the
// dialog's start; nothing after their messages.
std::optional<Stick> OpenStick(CliUserInterface& ui, AppContext& context, const std::string& stickFolder) {
    ui.OfferMarker(JoinPath(stickFolder, stick_files::kMarker));
    return PrepareStick(context);
}

int Install(CliUserInterface& ui, const StickOptions& options) {
    const auto folder = ProgramFolder(ui, options, true);
    if (!folder) return kExitUsage;
    AppContext context(ui, *folder);
    GiveOwnAnswers(context, options);

    std::optional<std::string> main;
    std::optional<std::string> voice;
    std::optional<std::string> games;
    if (!ResolveSet(ui, context, kMainOption, options.main, main) ||
        !ResolveSet(ui, context, kVoiceOption, options.voice, voice) ||
        !ResolveSet(ui, context, kGamesOption, options.games, games)) {
        return kExitUsage;
    }
    const int named = int{main.has_value()} + int{voice.has_value()} + int{games.has_value()};
    if (named == 0) {
        ui.ShowMessage("Name a set with --main, --voice or --games");
        return kExitUsage;
    }
    SaveSelection selection = SelectionOfLabels(main, games, voice);
    if ((options.removeMaleVoice || options.keepMaleVoice) && !selection.voiceOffersMaleVoiceRemoval) {
        ui.ShowMessage("--remove-male-voice and --keep-male-voice go with --voice " +
                       FileLabelOf(kRowLabels[kMaleVoiceRemovalRow]) + " only");
        return kExitUsage;
    }
    // Naming only some groups is the answer to "fewer parts?".
    if (named < 3) selection.installFewerParts = GivenAnswer{true, "only some groups named"};
    if (options.removeMaleVoice) selection.removeMaleVoice = GivenAnswer{true, "--remove-male-voice"};
    if (options.keepMaleVoice) selection.removeMaleVoice = GivenAnswer{false, "--keep-male-voice"};

    int refusal = kExitFailure;
    const auto stickFolder = StickFolder(ui, options, refusal);
    if (!stickFolder) return refusal;
    const std::optional<Stick> stick = OpenStick(ui, context, *stickFolder);
    if (!stick) return kExitFailure;
    return Save(context, *stick, selection) ? kExitSuccess : kExitFailure;
}

int Restore(CliUserInterface& ui, const StickOptions& options) {
    const auto folder = ProgramFolder(ui, options, true);
    if (!folder) return kExitUsage;
    AppContext context(ui, *folder);
    GiveOwnAnswers(context, options);
    int refusal = kExitFailure;
    const auto stickFolder = StickFolder(ui, options, refusal);
    if (!stickFolder) return refusal;
    // The stick check and its repair, but no base backup: a Restore never
    // takes the stick's archive as its base.
    ui.OfferMarker(JoinPath(*stickFolder, stick_files::kMarker));
    const std::optional<Stick> stick = SelectStick(context);
    if (!stick) return kExitFailure;
    switch (RestoreStockSounds(context, *stick)) {
    case RestoreVerdict::Restored:
    case RestoreVerdict::AlreadyStock: return kExitSuccess;
    case RestoreVerdict::NoRecord:
    case RestoreVerdict::NotRestored: return kExitFailure;
    }
    return kExitFailure;
}

void PrintStatus(const StickStatus& status, const std::string& programFolder) {
    auto list = [](const std::vector<std::string>& items) {
        return items.empty() ? std::string("(none)") : Joined(items, ", ");
    };
    std::cout << "stick.check: " << StatusWord(status.check) << '\n';
    if (!status.hazard.empty()) std::cout << "stick.hazard: " << status.hazard << '\n';
    std::cout << "stick.archive: " << StatusWord(status.archive) << '\n'
              << "stick.voice: " << StatusWord(status.voice) << '\n'
              << "stick.games: " << StatusWord(status.games) << '\n'
              << "stick.male_voice: " << (status.maleVoice ? "yes" : "no") << '\n'
              << "stick.free_bytes: " << (status.freeBytes ? std::to_string(*status.freeBytes) : "unknown") << '\n'
              << "stick.free: " << (status.freeBytes ? SizeText(*status.freeBytes) : "unknown") << '\n'
              << "program_folder.path: " << programFolder << '\n'
              << "program_folder.base: " << StatusWord(status.base) << '\n'
              << "program_folder.record: " << StatusWord(status.record) << '\n'
              << "program_folder.stock_files: " << list(PortablePaths(status.stockFiles)) << '\n'
              << "program_folder.sets.main: " << list(status.mainSets) << '\n'
              << "program_folder.sets.voice: " << list(status.voiceSets) << '\n'
              << "program_folder.sets.games: " << list(status.gamesSets) << '\n';
}

using Json = nlohmann::ordered_json;

// Names come from the file system and need not be UTF-8. JSON text must
// be: the dump shows each bad byte as U+FFFD, and a field beside it
// ("<key>_hex") carries the raw bytes. A text is UTF-8 exactly when the
// dump that replaces bad bytes and the one that drops them agree.
bool IsUtf8(const std::string& text) {
    const Json value(text);
    return value.dump(-1, ' ', false, Json::error_handler_t::replace) ==
           value.dump(-1, ' ', false, Json::error_handler_t::ignore);
}

void AddName(Json& object, const std::string& key, const std::string& name) {
    object[key] = name;
    if (!IsUtf8(name)) object[key + "_hex"] = HexText(name);
}

// A list of names; when any is not UTF-8, "<key>_hex" lists them all as hex,
// in the same order.
void AddNames(Json& object, const std::string& key, const std::vector<std::string>& names) {
    object[key] = names;
    if (std::all_of(names.begin(), names.end(), IsUtf8)) return;
    Json& hex = object[key + "_hex"] = Json::array();
    for (const std::string& name : names) hex.push_back(HexText(name));
}

void PrintStatusJson(const StickStatus& status, const std::string& programFolder) {
    Json stick = {{"check", StatusWord(status.check)}};
    if (!status.hazard.empty()) AddName(stick, "hazard", status.hazard);
    stick.update(Json{{"archive", StatusWord(status.archive)},
                      {"voice", StatusWord(status.voice)},
                      {"games", StatusWord(status.games)},
                      {"male_voice", status.maleVoice},
                      {"free_bytes", status.freeBytes ? Json(*status.freeBytes) : Json(nullptr)},
                      {"free", status.freeBytes ? Json(SizeText(*status.freeBytes)) : Json(nullptr)}});
    Json sets = Json::object();
    AddNames(sets, "main", status.mainSets);
    AddNames(sets, "voice", status.voiceSets);
    AddNames(sets, "games", status.gamesSets);
    Json folder = Json::object();
    AddName(folder, "path", programFolder);
    folder["base"] = StatusWord(status.base);
    folder["record"] = StatusWord(status.record);
    folder["stock_files"] = PortablePaths(status.stockFiles);
    folder["sets"] = std::move(sets);
    std::cout << Json{{"stick", stick}, {"program_folder", folder}}.dump(2, ' ', false, Json::error_handler_t::replace)
              << '\n';
}

int Status(CliUserInterface& ui, const StickOptions& options) {
    // Only looks: a missing program folder is reported as empty, not made.
    const auto folder = ProgramFolder(ui, options, false);
    if (!folder) return kExitUsage;
    int refusal = kExitFailure;
    const auto stickFolder = StickFolder(ui, options, refusal);
    if (!stickFolder) return refusal;
    const AppContext context(ui, *folder);
    const StickStatus status = ReadStickStatus(context, Stick(*stickFolder));
    if (options.json) {
        PrintStatusJson(status, *folder);
    } else {
        PrintStatus(status, *folder);
    }
    return kExitSuccess;
}

// Adds one command with the options every stick command has.
CLI::App* AddCommand(CLI::App& app, const char* name, const char* description, CommandAction& chosen,
                     const std::shared_ptr<StickOptions>& options, int (*run)(CliUserInterface&, const StickOptions&)) {
    CLI::App* command = app.add_subcommand(name, description);
    command
        ->add_option_function<std::string>(
            "--stick", [options](const std::string& folder) { options->stick = folder; },
            "The memory stick's root folder (holding memstick.ind and OPEN-R), or a file in it "
            "(default: the one stick mounted)")
        ->type_name("DIR");
    command
        ->add_option_function<std::string>(
            "--program-folder", [options](const std::string& folder) { options->programFolder = folder; },
            "The folder with the sound sets and the backup (default: the dialog's, ~/Tamsiro when installed)")
        ->type_name("DIR");
    command->callback(
        [&chosen, options, run] { chosen = [options, run](CliUserInterface& ui) { return run(ui, *options); }; });
    return command;
}

// A --main, --voice or --games option, which sets its value only when given.
void AddSetOption(CLI::App& command, const SetOption& option, std::optional<std::string>& value) {
    command
        .add_option_function<std::string>(
            option.flag, [&value](const std::string& label) { value = label; },
            std::string("The ") + option.groupName + " set: a row's label (Tilda, ..., MiniTilda) or any set's name")
        ->type_name("LABEL");
}

}  // namespace

void AddStickCommands(CLI::App& app, CommandAction& chosen) {
    const auto options = std::make_shared<StickOptions>();

    CLI::App* status = AddCommand(app, "status", "Say what the stick and the program folder hold (changes nothing)",
                                  chosen, options, Status);
    status->add_flag("--json", options->json, "Print one JSON object instead");

    CLI::App* install = AddCommand(app, "install", "Install sound sets on the stick, as the dialog's Save does", chosen,
                                   options, Install);
    AddSetOption(*install, kMainOption, options->main);
    AddSetOption(*install, kVoiceOption, options->voice);
    AddSetOption(*install, kGamesOption, options->games);
    install->add_flag("--accept-custom-base", options->acceptCustomBase,
                      "Answer Yes to taking a sound archive that holds custom sounds as the base "
                      "(--yes does not answer it)");
    CLI::Option* remove = install->add_flag("--remove-male-voice", options->removeMaleVoice,
                                            "Answer Yes to removing the stock male voice (--voice MiniTilda)");
    CLI::Option* keep = install->add_flag("--keep-male-voice", options->keepMaleVoice,
                                          "Answer No to removing the stock male voice (--voice MiniTilda)");
    remove->excludes(keep);

    CLI::App* restore = AddCommand(app, "restore", "Put the stock sounds back on the stick (Restore stock sounds)",
                                   chosen, options, Restore);
    // Both commands may first have to repair a change that was cut short.
    for (CLI::App* command : {install, restore}) {
        command->add_flag("--delete-recovered-files", options->deleteRecoveredFiles,
                          "Answer Yes to deleting the FSCK*.REC files a disk check left, when the repair of a change "
                          "cut short needs their room (--yes does not answer it)");
    }
}

}  // namespace tamsiro::cli
