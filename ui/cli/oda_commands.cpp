// tamsiro-cli oda ...: look into and rebuild .ODA archives. The work is
// done by the core (archive/); these commands parse, call and print.
#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "archive/archive_folder.h"
#include "archive/oda_archive.h"
#include "archive/oda_text.h"
#include "host/file_system.h"
#include "install/archive_words.h"
#include "ui/cli/cli_commands.h"
#include "ui/cli/cli_user_interface.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tamsiro::cli {

namespace {

struct OdaOptions {
    std::string file;
    std::string other;
    std::string to;
    bool json = false;
    bool force = false;
    bool strict = false;
};

// An argument a command cannot go without: its name as --help shows it,
// and what to give for it.
struct Needed {
    const char* name;
    const char* hint;
};

int Fail(UserInterface& ui, const std::string& text) {
    ui.ShowMessage(text);
    return kExitFailure;
}

// Opens an archive for reading its table; a refusal is explained by the
// check, which says what is wrong.
bool OpenForListing(UserInterface& ui, const std::string& path, OdaArchive& archive) {
    if (archive.Open(path)) return true;
    const ArchiveCheckOutcome check = CheckArchiveFile(path);
    ui.ShowMessage(path + ": " + (check.Sound() ? "cannot open the archive" : ArchiveCheckText(check)));
    return false;
}

int List(UserInterface& ui, const OdaOptions& options) {
    OdaArchive archive;
    if (!OpenForListing(ui, options.file, archive)) return kExitFailure;
    if (options.json) {
        // One entry at a time, so that the output's memory does not grow
        // with the table.
        std::cout << '[';
        for (std::size_t i = 0; i < archive.TableSize(); ++i) {
            const OdaEntry& entry = archive.Entry(i);
            const nlohmann::ordered_json item = {{"index", i},
                                                 {"tag", TagText(entry)},
                                                 {"name", NameText(entry)},
                                                 {"size", entry.Size()},
                                                 {"offset", entry.Offset()}};
            std::cout << (i == 0 ? "\n  " : ",\n  ") << item.dump();
        }
        std::cout << (archive.TableSize() == 0 ? "]\n" : "\n]\n");
        return kExitSuccess;
    }
    // Columns as wide as their widest text (tags with odd bytes are wider).
    int tagWidth = 4;
    int nameWidth = 4;
    for (const OdaEntry& entry : archive.Table()) {
        tagWidth = std::max(tagWidth, static_cast<int>(TagText(entry).size()));
        nameWidth = std::max(nameWidth, static_cast<int>(NameText(entry).size()));
    }
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const OdaEntry& entry = archive.Entry(i);
        std::cout << std::setw(5) << i << "  " << std::left << std::setw(tagWidth) << TagText(entry) << "  "
                  << std::setw(nameWidth) << NameText(entry) << std::right << std::setw(11) << entry.Size()
                  << std::setw(12) << entry.Offset() << '\n';
    }
    return kExitSuccess;
}

int Check(UserInterface& ui, const OdaOptions& options) {
    const ArchiveCheckOutcome check = CheckArchiveFile(options.file);
    if (!check.Sound()) return Fail(ui, options.file + ": " + ArchiveCheckText(check));
    OdaArchive archive;
    if (!archive.Open(options.file)) return Fail(ui, options.file + ": cannot open the archive");
    std::uint64_t data = 0;
    for (const OdaEntry& entry : archive.Table()) data += entry.Size();
    const std::size_t overlapping = CountOverlappingEntries(archive.Table());
    if (overlapping > 0) {
        std::cout << options.file << ": warning, " << archive.TableSize() << " entries, " << SizeText(data)
                  << " of data; " << overlapping << " entries share data with another entry\n";
        return kExitWarning;
    }
    std::cout << options.file << ": ok, " << archive.TableSize() << " entries, " << SizeText(data) << " of data\n";
    return kExitSuccess;
}

int Extract(UserInterface& ui, const OdaOptions& options) {
    const FolderOutcome result = ExtractArchive(options.file, options.to, {&ui, kExtractingStep});
    if (!result.Ok()) return Fail(ui, options.file + ": " + FolderOutcomeText(result));
    std::cout << "Extracted " << result.entries << " entries (" << SizeText(result.dataBytes) << ") to " << options.to
              << '\n';
    return kExitSuccess;
}

int Pack(UserInterface& ui, const OdaOptions& options) {
    // An archive is often packed next to the one it came from: a slip of
    // the name must not cost the original.
    if (FileExists(options.to) && !options.force) return Fail(ui, options.to + ": exists already; --force replaces it");
    const FolderOutcome result = PackArchive(options.file, options.to, {&ui, kPackingStep}, {.strict = options.strict});
    // A file put in the folder by hand is easily taken for part of the
    // archive: say which ones it does not get, or which made --strict refuse.
    const bool refusedByStrict = result.verdict == FolderVerdict::FilesNotNamed;
    if (result.Ok() || refusedByStrict) {
        for (const std::string& name : result.leftOut.value_or(std::vector<std::string>{})) {
            ui.ShowMessage(JoinPath(options.file, name) + ": not named in " + kManifestFileName +
                           (refusedByStrict ? "" : ", left out of the archive"));
        }
    }
    if (!result.Ok()) {
        return Fail(ui, options.file + ": " + FolderOutcomeText(result) +
                            (refusedByStrict ? "; with --strict nothing is packed" : ""));
    }
    if (!result.leftOut) {
        ui.ShowMessage(options.file + ": cannot be listed, so files " + kManifestFileName +
                       " does not name may have been left out");
    }
    std::cout << "Packed " << result.entries << " entries (" << SizeText(result.dataBytes) << ") into " << options.to
              << '\n';
    return kExitSuccess;
}

const char* ChangeText(EntryChange change) {
    switch (change) {
    case EntryChange::Added: return "added  ";
    case EntryChange::Removed: return "removed";
    case EntryChange::Changed: return "changed";
    }
    return "";
}

int Diff(UserInterface& ui, const OdaOptions& options) {
    const ArchiveDiffOutcome diff = DiffArchiveFiles(options.file, options.other);
    if (!diff.Ok()) return Fail(ui, DiffOutcomeText(diff));
    std::size_t counts[3] = {0, 0, 0};
    for (const EntryDifference& difference : diff.differences) {
        ++counts[static_cast<int>(difference.change)];
        std::cout << ChangeText(difference.change) << "  " << PrintableBytes(difference.tag) << "  "
                  << PrintableBytes(difference.name) << '\n';
    }
    std::cout << counts[0] << " added, " << counts[1] << " removed, " << counts[2] << " changed, " << diff.unchanged
              << " unchanged\n";
    return diff.differences.empty() ? kExitSuccess : kExitFailure;
}

// Adds one `oda` command whose action runs `run` over the parsed options.
// CLI11 would report a missing argument as a missing command (main takes
// its RequiredError for one), so the command checks the arguments it needs
// itself, once the line has parsed (after --help), and names every one
// missing.
CLI::App* AddCommand(CLI::App& group, const char* name, const char* description, CommandAction& chosen,
                     const std::shared_ptr<OdaOptions>& options, int (*run)(UserInterface&, const OdaOptions&),
                     std::vector<Needed> needed) {
    CLI::App* command = group.add_subcommand(name, description);
    command->callback([command, needed = std::move(needed), &chosen, options, run] {
        std::string missing;
        for (const Needed& argument : needed) {
            if (command->count(argument.name) > 0) continue;
            if (!missing.empty()) missing += '\n';
            missing += "oda " + command->get_name() + ": " + argument.name + " is missing: " + argument.hint;
        }
        if (!missing.empty()) throw CLI::ValidationError(missing);
        chosen = [options, run](CliUserInterface& ui) { return run(ui, *options); };
    });
    return command;
}

}  // namespace

void AddOdaCommands(CLI::App& app, CommandAction& chosen) {
    CLI::App* oda = app.add_subcommand("oda", "Look into and rebuild .ODA sound archives");
    oda->require_subcommand(1);
    const auto options = std::make_shared<OdaOptions>();

    CLI::App* list = AddCommand(*oda, "list", "List the entries: index, tag, name, size, offset", chosen, options, List,
                                {{"FILE", "name the archive to list"}});
    list->add_option("FILE", options->file, "The archive (needed)");
    list->add_flag("--json", options->json, "Print a JSON list instead, one object per entry and line");

    CLI::App* check = AddCommand(*oda, "check",
                                 "Check that the archive is whole (exit 1 with the first problem; exit 3, a warning, "
                                 "when it is whole but entries share data, which extract and merge each write in full)",
                                 chosen, options, Check, {{"FILE", "name the archive to check"}});
    check->add_option("FILE", options->file, "The archive (needed)");

    CLI::App* extract =
        AddCommand(*oda, "extract", "Write each entry to a file in DIR, with a manifest.json", chosen, options, Extract,
                   {{"FILE", "name the archive to extract"}, {"--to", "name the folder to extract into"}});
    extract->add_option("FILE", options->file, "The archive (needed)");
    extract->add_option("--to", options->to, "The folder, missing or empty (needed)")->type_name("DIR");

    CLI::App* pack = AddCommand(*oda, "pack", "Build an archive from a folder that extract wrote", chosen, options,
                                Pack, {{"DIR", "name the folder to pack"}, {"--to", "name the archive to write"}});
    pack->add_option("DIR", options->file, "The folder (needed)");
    pack->add_option("--to", options->to, "The archive to write (needed)")->type_name("FILE");
    pack->add_flag("--force", options->force, "Replace the archive when it exists");
    pack->add_flag("--strict", options->strict,
                   "Refuse a folder holding files the manifest does not name (exit 1, nothing written); "
                   "without it they are listed and left out");

    CLI::App* diff =
        AddCommand(*oda, "diff", "List the entries added, removed or changed from A to B (exit 1 if any)", chosen,
                   options, Diff, {{"A", "name the first archive"}, {"B", "name the second archive"}});
    diff->add_option("A", options->file, "The first archive (needed)");
    diff->add_option("B", options->other, "The second archive (needed)");
}

}  // namespace tamsiro::cli
