#include "jobs/file_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/tool_error.h"
#include "base/tool_version.h"
#include "hosting/hosted_effect.h"
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

// A finished file's section of the HTML page; its pictures are let go.
void addToPage(HtmlReportWriter& page, FileJob& job) {
    FileOutcome& o = *job.outcome;
    ReportedFile file{o.regions, std::move(o.pictures), o.changedSamples, o.latencyFrames};
    file.regions.clippedSamples = o.clippedSamples;
    file.regions.damage = o.damage;
    page.add(file);
    o.pictures = {};
}

}  // namespace

ReportSettings reportSettingsFor(const CliOptions& options, const PluginLibrary& plugin) {
    ReportSettings settings;
    settings.version = toolVersion();
    settings.plugin = plugin.path();
    settings.sensitivity = options.sensitivity;
    settings.clickGap = options.clickGap;
    settings.blockSize = options.blockSize;
    settings.keepLatency = options.keepLatency;
    settings.acceptDamaged = options.acceptDamaged;
    return settings;
}

std::shared_ptr<PluginLibrary> openChosenPlugin(const CliOptions& options) {
    std::string path = options.pluginPath;
    if (path.empty()) {
        path = findBundledPlugin();
        if (path.empty()) {
            throw ToolError(ExitStatus::badPlugin,
                            "Sarnovellite.so not found next to the executable, in its build tree or in "
                            "../lib/vst/sarnovellite; "
                            "use --plugin PATH");
        }
    }
    return PluginLibrary::open(path);
}

namespace {

// One entry per file named, in command-line order: failed ones with the reason.
std::vector<FileRegions> reportRows(std::vector<FileJob>& jobs) {
    std::vector<FileRegions> rows;
    for (FileJob& job : jobs) {
        if (job.skipped) continue;
        FileRegions row;
        if (job.outcome) {
            row = std::move(job.outcome->regions);
            row.clippedSamples = job.outcome->clippedSamples;
            row.damage = job.outcome->damage;
        } else {
            row.input = job.input;
            row.output = job.output;
            row.failure = job.failureReason;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeReport(const CliOptions& options, const ReportSettings& settings, HtmlReportWriter* page,
                 std::vector<FileJob>& jobs) {
    if (!page) return writeRegionReport(options.reportPath, settings, reportRows(jobs));
    for (const FileJob& job : jobs) {
        if (!job.failure) continue;
        ReportedFile failed;
        failed.regions.input = job.input;
        failed.regions.output = job.output;
        failed.regions.failure = job.failureReason;
        page->add(failed);
    }
    page->finish();
}

// The label track and the report, after every file; a failure to write them
// is reported and decides the status when the files themselves went well.
int writeSideFiles(const CliOptions& options, const ReportSettings& settings, HtmlReportWriter* page,
                   std::vector<FileJob>& jobs, ProgressDisplay& progress, int status) {
    try {
        // --labels comes with one INPUT OUTPUT pair only.
        if (!options.labelsPath.empty() && jobs.front().outcome) {
            writeLabelTrack(options.labelsPath, jobs.front().outcome->regions);
        }
        if (!options.reportPath.empty()) writeReport(options, settings, page, jobs);
    } catch (const ToolError& error) {
        progress.printError(std::string("sarnovellite: ") + error.what());
        if (status == 0) status = static_cast<int>(error.status());
    }
    return status;
}

ProcessSettings settingsFor(const CliOptions& options) {
    ProcessSettings settings;
    settings.plugin = openChosenPlugin(options);
    settings.sensitivity = options.sensitivity;
    settings.clickGap = options.clickGap;
    settings.blockSize = options.blockSize;
    settings.keepLatency = options.keepLatency;
    settings.keepRegions = !options.reportPath.empty() || !options.labelsPath.empty();
    settings.keepPictures = endsWith(options.reportPath, ".html");
    settings.removedPath = options.removedPath;
    settings.acceptDamaged = options.acceptDamaged;
    settings.quality = options.quality;
    settings.rawInput = options.rawInput;
    // One trial instance: a plug-in that does not fit fails once, before any file.
    HostedEffect trial(settings.plugin, 44100.0, options.blockSize);
    if (!trial.isSarnovellite() && (options.sensitivityGiven || options.clickGapGiven)) {
        std::fprintf(stderr,
                     "sarnovellite: warning: -s and -g are not sent to %s, which is not Sarnovellite\n",
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
    const ReportSettings reportSettings = reportSettingsFor(options, *settings.plugin);
    std::optional<HtmlReportWriter> page;
    if (settings.keepPictures) page.emplace(options.reportPath, reportSettings);
    processAll(jobs, settings, options.jobs, progress, [&page](FileJob& job) {
        if (page) addToPage(*page, job);
    });
    if (!options.quiet && std::any_of(jobs.begin(), jobs.end(), [](const FileJob& job) {
            return job.outcome && job.outcome->reencoded;
        })) {
        progress.printError(
            "sarnovellite: note: lossy outputs are re-encoded, so every sample changes; their quality "
            "follows "
            "the input's unless --quality 0..10 is given");
    }
    if (options.mode == CliMode::batch) progress.printLine(batchSummary(jobs));

    return writeSideFiles(options, reportSettings, page ? &*page : nullptr, jobs, progress,
                          exitStatusOf(jobs));
}
