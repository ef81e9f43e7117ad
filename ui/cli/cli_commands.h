#pragma once

#include "ui/cli/cli_user_interface.h"

#include <CLI/CLI.hpp>

#include <functional>

namespace tamsiro::cli {

// Exit codes of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a failure that was reported, or archives that differ
inline constexpr int kExitUsage = 2;    // the command line itself was wrong
inline constexpr int kExitWarning = 3;  // oda check: whole, but entries share data

// What main runs once the whole command line has parsed: the chosen
// command with its options filled in. Commands report through the user
// interface (stderr) and print results to stdout.
using CommandAction = std::function<int(CliUserInterface& ui)>;

// Runs the chosen command. The one place where an exception nobody
// expected ends up (running out of memory included): it becomes the message
// "Internal error: ..." and kExitFailure rather than an abort. A stick
// write cut short this way is left as after any interruption: its
// temporary files are put in order by the next run.
int RunGuarded(CliUserInterface& ui, const CommandAction& command);

// Each group of commands lives in a file of its own and adds its
// subcommands here; the chosen one sets `chosen` when it is parsed.
void AddOdaCommands(CLI::App& app, CommandAction& chosen);
// status, install and restore: a stick and the program folder.
void AddStickCommands(CLI::App& app, CommandAction& chosen);

}  // namespace tamsiro::cli
