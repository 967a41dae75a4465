// Runs the INPUT OUTPUT and batch (-o FOLDER) modes: resolves the plug-in,
// plans the outputs (job_plan.h), checks the side files (side_file_checks.h),
// processes the files on up to `jobs` threads (job_runner.h; one effect
// instance per channel pair of each file), prints one summary line per file
// (run_summary.h), writes the label track and the report (CSV, JSON or HTML).
// Returns the process exit status.
#pragma once

#include <memory>
#include <string>

#include "hosting/plugin_library.h"
#include "options/cli_options.h"
#include "pipeline/file_processor.h"
#include "reports/html_report.h"
#include "reports/region_report.h"

int runFileJobs(const CliOptions& options);

// The plug-in named by --plugin, or the bundled one of -m (Sarnovellite.so or
// SarnovelliteRestore.so); throws ToolError.
std::shared_ptr<PluginLibrary> openChosenPlugin(const CliOptions& options);

// The effect part of the settings: the chosen plug-in (opened), the settings
// of -m's effect and the line naming them, and the host block.
void setEffectSettings(const CliOptions& options, ProcessSettings& settings);

// What a report says about the run's settings.
ReportSettings reportSettingsFor(const CliOptions& options, const PluginLibrary& plugin);
