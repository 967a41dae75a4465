// `sarnovellite demo [FOLDER]`: synthesise, damage, repair, measure.
//
// Writes demo-clean.wav, demo-damaged.wav, demo-repaired.wav (32-bit float)
// and demo-regions.csv into FOLDER (created if missing) and prints a table of
// clicks added, regions repaired and the signal-to-noise ratio against the
// clean version, before and after, inside the damaged spans and overall.
// Returns the exit status; throws ToolError.
#pragma once

#include "options/cli_options.h"

int runDemo(const CliOptions& options);
