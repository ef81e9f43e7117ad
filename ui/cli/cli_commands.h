#pragma once

#include "app/user_interface.h"

#include <CLI/CLI.hpp>

#include <functional>

namespace tamsiro::cli {

// Exit codes of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a failure that was reported, or archives that differ
inline constexpr int kExitUsage = 2;    // the command line itself was wrong

// What main runs once the whole command line has parsed: the chosen
// command with its options filled in. Commands report through the user
// interface (stderr) and print results to stdout.
using CommandAction = std::function<int(UserInterface& ui)>;

// Each group of commands lives in a file of its own and adds its
// subcommands here; the chosen one sets `chosen` when it is parsed.
void AddOdaCommands(CLI::App& app, CommandAction& chosen);

}  // namespace tamsiro::cli
