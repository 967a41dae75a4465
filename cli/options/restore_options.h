// The command-line options of the restore effect's settings, one per row of
// its parameter table (effect/parameters/restore_parameters.h), named for the
// row's symbol ("--threshold", "--longest-click", "--crackle", "--thump",
// "--output"). Values are given in the row's shown unit and checked against
// its shown range; a stepped row takes a step's name (any case: "on",
// "removed") or its number. Nothing here restates a range or a default.
#pragma once

#include <string>
#include <string_view>

#include "effect/parameters/parameter_table.h"
#include "options/cli_options.h"

// The row an option name ("--threshold") stands for; null for any other name.
const sarnovellite::effect::ParameterInfo* restoreOption(std::string_view name);

// Stores the value into options.restoreValues (filling the other rows with
// their defaults first); throws ToolError(ExitStatus::usage) with one line
// when the value is not one the row takes.
void setRestoreOption(CliOptions& options, const std::string& name, const std::string& value);

// "--threshold, --longest-click, --crackle, --thump and --output"
std::string restoreOptionNames();

// The help text's lines for these options, ranges and defaults from the table.
std::string restoreOptionsHelp();
