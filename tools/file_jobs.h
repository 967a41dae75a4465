// Runs the INPUT OUTPUT and batch (-o FOLDER) modes: resolves the plug-in,
// plans the outputs, processes the files on up to `jobs` threads (one effect
// instance per channel pair of each file), prints one summary line per file,
// writes the label track and the report (CSV, JSON or HTML). Returns the process exit status.
#pragma once

#include <string>

#include "tools/cli_options.h"
#include "tools/html_report.h"
#include "tools/plugin_library.h"
#include "tools/region_report.h"

int runFileJobs(const CliOptions& options);

// The plug-in named by --plugin, or the bundled one; throws ToolError.
std::shared_ptr<PluginLibrary> openChosenPlugin(const CliOptions& options);

// What a report says about the run's settings.
ReportSettings reportSettingsFor(const CliOptions& options, const PluginLibrary& plugin);

// "1:02.35" for 62.35 seconds.
std::string formatDuration(double seconds);
