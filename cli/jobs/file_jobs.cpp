#include "jobs/file_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/tool_error.h"
#include "base/tool_version.h"
#include "hosting/hosted_effect.h"
#include "jobs/batch_report.h"
#include "hosting/parameter_mapping.h"
#include "jobs/file_job.h"
#include "jobs/job_plan.h"
#include "jobs/job_runner.h"
#include "jobs/run_summary.h"
#include "jobs/side_file_checks.h"
#include "pipeline/file_processor.h"
#include "reports/html_report.h"
#include "reports/label_track.h"
#include "reports/region_report.h"
#include "terminal/progress_display.h"

using namespace sarnovellite::cli;

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

ReportSettings reportSettingsFor(const CliOptions& options, const PluginLibrary& plugin) {
    ReportSettings settings;
    settings.version = toolVersion();
    settings.plugin = plugin.path();
    settings.sensitivity = options.sensitivity;
    settings.clickGap = options.clickGap;
    settings.restore = options.method == EffectMethod::restore;
    if (settings.restore) {
        for (const ShownRestoreSetting& s : shownRestoreSettings(options.restoreValues)) {
            std::string name = s.name;
            for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            std::string text = s.text;
            if (s.named)
                for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            char number[32];
            std::snprintf(number, sizeof number, "%g", s.shown);
            settings.restoreSettings.push_back(
                {s.symbol, name + " " + text, s.named ? "\"" + text + "\"" : std::string(number)});
        }
    }
    settings.blockSize = options.blockSize;
    settings.keepLatency = options.keepLatency;
    settings.acceptDamaged = options.acceptDamaged;
    settings.checksums = options.checksums;
    return settings;
}

std::shared_ptr<PluginLibrary> openChosenPlugin(const CliOptions& options) {
    std::string path = options.pluginPath;
    if (path.empty()) {
        const BundledPlugin which =
            options.method == EffectMethod::restore ? BundledPlugin::restore : BundledPlugin::sarnovellite;
        path = findBundledPlugin(which);
        if (path.empty()) {
            throw ToolError(ExitStatus::badPlugin,
                            bundledPluginFileName(which) +
                                " not found next to the executable, in its build tree or in "
                                "../lib/vst/sarnovellite; use --plugin PATH");
        }
    }
    return PluginLibrary::open(path);
}

void setEffectSettings(const CliOptions& options, ProcessSettings& settings) {
    settings.plugin = openChosenPlugin(options);
    settings.sensitivity = options.sensitivity;
    settings.clickGap = options.clickGap;
    settings.restoreValues = options.restoreValues;
    settings.settingsLine.clear();
    if (options.method == EffectMethod::restore)
        settings.settingsLine = "method restore; " + restoreSettingsLine(options.restoreValues);
    settings.blockSize = options.blockSize;
}

namespace {

// The label track (one INPUT OUTPUT pair only) and the report's end, after
// every file; a failure to write them is reported and decides the status when
// the files themselves went well.
int finishSideFiles(const CliOptions& options, BatchReport& report, std::vector<FileJob>& jobs,
                    ProgressDisplay& progress, int status) {
    try {
        if (!options.labelsPath.empty() && jobs.front().outcome) {
            writeLabelTrack(options.labelsPath, jobs.front().outcome->regions);
        }
        report.finish();
    } catch (const ToolError& error) {
        progress.printError(std::string("sarnovellite: ") + error.what());
        if (status == 0) status = static_cast<int>(error.status());
    }
    return status;
}

ProcessSettings settingsFor(const CliOptions& options) {
    ProcessSettings settings;
    setEffectSettings(options, settings);
    settings.keepLatency = options.keepLatency;
    settings.keepRegions = !options.reportPath.empty() || !options.labelsPath.empty();
    settings.keepPictures = endsWith(options.reportPath, ".html");
    settings.removedPath = options.removedPath;
    settings.acceptDamaged = options.acceptDamaged;
    settings.quality = options.quality;
    settings.rawInput = options.rawInput;
    settings.checksums = options.checksums;
    // One trial instance: a plug-in that does not fit fails once, before any file.
    HostedEffect trial(settings.plugin, 44100.0, options.blockSize);
    if (!trial.isSarnovellite() && (options.sensitivityGiven || options.clickGapGiven)) {
        std::fprintf(stderr,
                     "sarnovellite: warning: -s and -g are not sent to %s, which is not Sarnovellite\n",
                     settings.plugin->path().c_str());
    }
    if (!trial.isSarnovelliteRestore() && options.restoreValuesGiven) {
        std::fprintf(stderr,
                     "sarnovellite: warning: the restore settings are not sent to %s, which is not "
                     "Sarnovellite Restore\n",
                     settings.plugin->path().c_str());
    }
    return settings;
}

}  // namespace

int runFileJobs(const CliOptions& options) {
    std::vector<FileJob> jobs = planJobs(options);
    checkSideFiles(options, jobs);
    const ProcessSettings settings = settingsFor(options);
    warnAboutAbandonedOutputs(jobs);

    const bool showBar = !options.quiet && isatty(STDERR_FILENO);
    // Audio on standard output leaves no room for summary lines there.
    const bool summaries = !options.quiet && options.output != "-";
    ProgressDisplay progress(showBar, summaries, showBar ? totalDuration(jobs) : 0.0);
    BatchReport report(options, reportSettingsFor(options, *settings.plugin));
    const bool batch = options.mode == CliMode::batch;
    std::atomic<bool> reportFailed{false};
    const FileDone done = [&](FileJob& job) {
        try {
            if (!reportFailed.load()) report.add(job);
        } catch (const ToolError& error) {
            if (!reportFailed.exchange(true))
                progress.printError(std::string("sarnovellite: ") + error.what());
        }
        // A batch keeps only the totals of a file once it is reported; the
        // label track of a single pair needs its regions still.
        if (batch) job.outcome.reset();
    };
    processAll(jobs, settings, RunOptions{options.jobs, options.skipExisting, batch}, progress, done);
    if (!options.quiet && std::any_of(jobs.begin(), jobs.end(), [](const FileJob& job) {
            return job.totals && job.totals->reencoded;
        })) {
        progress.printError(
            "sarnovellite: note: lossy outputs are re-encoded, so every sample changes; their quality "
            "follows "
            "the input's unless --quality 0..10 is given");
    }
    if (batch) progress.printLine(batchSummary(jobs));

    int status = exitStatusOf(jobs);
    if (reportFailed.load() && status == 0) status = static_cast<int>(ExitStatus::badOutput);
    return finishSideFiles(options, report, jobs, progress, status);
}
