// tamsiro-cli: Tamsiro's command line.
#include "host/interrupts.h"
#include "ui/cli/cli_commands.h"
#include "ui/cli/cli_user_interface.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    using namespace tamsiro::cli;

    CLI::App app(
        "Tamsiro on the command line: install sound sets on a memory stick, look into and rebuild .ODA sound archives.",
        "tamsiro-cli");
    app.set_version_flag("--version", "tamsiro-cli " TAMSIRO_VERSION);
    bool answerYes = false;
    app.add_flag("-y,--yes", answerYes,
                 "Answer Yes to the confirmations (fewer parts, restore, repair DYNAUDIO.ODA); taking a custom "
                 "archive as the base and deleting FSCK*.REC files have options of their own");
    app.footer(
        "Exit status: 0 success; 1 a failure that was reported (or archives that differ); 2 the command line was "
        "wrong; 3 oda check: the archive is whole but entries share data; 128 + the signal's number (130 for Ctrl-C) "
        "when an interrupt stopped a change and the memory stick was put back as it was.");
    app.require_subcommand(1);
    // Subcommands made after this pass options they do not know (such as
    // --yes) up to the program, so they may come anywhere on the line.
    app.fallthrough();

    CommandAction chosen;
    AddOdaCommands(app, chosen);
    AddStickCommands(app, chosen);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ExtrasError&) {
        // CLI11 would say only that the arguments were not expected; a
        // misspelt option is better called what it is.
        const std::vector<std::string> extras = app.remaining(true);
        bool optionNamed = false;
        for (const std::string& extra : extras) {
            if (!extra.starts_with('-')) continue;
            std::cerr << extra << ": unknown option\n";
            optionNamed = true;
        }
        // An argument after an unknown option is most likely its value.
        if (!optionNamed && !extras.empty()) std::cerr << extras.front() << ": unexpected argument\n";
        std::cerr << "Run with --help for more information.\n";
        return kExitUsage;
    } catch (const CLI::RequiredError&) {
        // No command, or a misspelt one, which CLI11 reports only as "a
        // subcommand is required": name it, and the commands there are.
        const CLI::App* group = &app;
        while (!group->get_subcommands().empty()) group = group->get_subcommands().front();
        const std::vector<std::string> extras = app.remaining(true);
        if (extras.empty())
            std::cerr << "a command is needed";
        else
            std::cerr << extras.front() << (extras.front().starts_with('-') ? ": unknown option" : ": unknown command");
        const char* separator = "; the commands are ";
        for (const CLI::App* command : group->get_subcommands({})) {
            std::cerr << separator << command->get_name();
            separator = ", ";
        }
        std::cerr << "\nRun with --help for more information.\n";
        return kExitUsage;
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, successfully.
        return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
    }
    if (!chosen) {
        // A group named without one of its commands.
        std::cerr << app.help();
        return kExitUsage;
    }
    CliUserInterface ui = CliUserInterface::ForConsole(answerYes);
    const int exitCode = RunGuarded(ui, chosen);
    // A change stopped by Ctrl-C ends as an interrupted program does.
    if (exitCode != kExitSuccess && tamsiro::HeldBackInterrupt() != 0) return 128 + tamsiro::HeldBackInterrupt();
    return exitCode;
}
