#include "tools/file_jobs.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "tools/file_processor.h"
#include "tools/help_text.h"
#include "tools/hosted_effect.h"
#include "tools/html_report.h"
#include "tools/label_track.h"
#include "tools/pending_output.h"
#include "tools/progress_display.h"
#include "tools/region_report.h"
#include "tools/sound_file.h"
#include "tools/tool_error.h"

namespace fs = std::filesystem;

namespace {

struct FileJob {
    std::string input;
    std::string output;
    bool skipped = false;  // the same input named again: processed once
    std::optional<FileOutcome> outcome;
    std::optional<ExitStatus> failure;
    std::string failureReason;
};

// The folder given with -o, created when missing (as the demo does).
void prepareOutputFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, "output folder " + folder + ": cannot be created" +
                                                   (ec ? ": " + ec.message() : std::string()));
    }
}

std::vector<FileJob> planJobs(const CliOptions& options) {
    std::vector<FileJob> jobs;
    if (options.mode == CliMode::process) {
        if (options.output != "-" && !outputExtensionIsWritable(options.output)) {
            throw ToolError(ExitStatus::badOutput,
                            "output " + options.output +
                                ": cannot write that container; name the output with one of " +
                                writableExtensions());
        }
        jobs.push_back(FileJob{options.inputs[0], options.output, false, {}, {}, {}});
        return jobs;
    }
    std::map<std::string, std::string> claimedBy;  // output -> the input it is made from
    for (const std::string& input : options.inputs) {
        const std::string name = fs::path(input).filename().string();
        if (name.empty()) throw ToolError(ExitStatus::badInput, "input " + input + ": not a file name");
        const std::string output = (fs::path(options.outputDir) / name).string();
        const auto [it, fresh] = claimedBy.emplace(output, input);
        std::error_code ec;
        const bool sameFile =
            !fresh && fs::weakly_canonical(it->second, ec) == fs::weakly_canonical(input, ec);
        if (!fresh && !sameFile) {
            throw ToolError(ExitStatus::badInput,
                            "inputs " + it->second + " and " + input + " would both be written to " + output);
        }
        jobs.push_back(FileJob{input, output, sameFile, {}, {}, {}});
    }
    prepareOutputFolder(options.outputDir);
    return jobs;
}

// Files written after hours of work in a long batch (the report) or beside
// the output (labels, removed signal): a place one cannot go, or a name an
// audio file or another of them already takes, is refused before any work.
void checkSideFilePath(const std::string& what, const std::string& path, const std::vector<FileJob>& jobs,
                       const std::vector<std::string>& otherSideFiles) {
    std::error_code ec;
    const fs::path file(path);
    if (fs::is_directory(file, ec))
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": is a folder");
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": no such folder " + folder.string());
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": cannot write into folder " +
                                                   folder.string() + ": " + std::strerror(errno));
    }
    const fs::path canonical = fs::weakly_canonical(file, ec);
    auto sameFile = [&](const std::string& other) {
        std::error_code sameEc;
        return fs::weakly_canonical(other, sameEc) == canonical || fs::equivalent(other, file, sameEc);
    };
    for (const FileJob& job : jobs) {
        for (const std::string& audio : {job.input, job.output}) {
            if (sameFile(audio)) {
                throw ToolError(ExitStatus::badOutput,
                                what + " " + path + ": would overwrite the audio file " + audio);
            }
        }
    }
    for (const std::string& other : otherSideFiles) {
        if (!other.empty() && sameFile(other)) {
            throw ToolError(ExitStatus::badOutput, what + " " + path + ": is also named for another output");
        }
    }
}

void checkSideFiles(const CliOptions& options, const std::vector<FileJob>& jobs) {
    const std::string& report = options.reportPath;
    const std::string& labels = options.labelsPath;
    const std::string& removed = options.removedPath;
    if (!report.empty()) checkSideFilePath("report", report, jobs, {labels, removed});
    if (!labels.empty()) checkSideFilePath("labels", labels, jobs, {removed});
    if (!removed.empty()) checkSideFilePath("removed signal", removed, jobs, {});
}

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

double totalDuration(const std::vector<FileJob>& jobs) {
    double seconds = 0.0;
    for (const FileJob& job : jobs) {
        // A pipe or device can be read only once: opening it here would eat
        // the header the processing needs. Its length stays unknown.
        std::error_code ec;
        if (!fs::is_regular_file(job.input, ec)) continue;
        SF_INFO info{};
        SNDFILE* file = sf_open(job.input.c_str(), SFM_READ, &info);
        if (file == nullptr) continue;
        if (info.samplerate > 0 && info.frames > 0 && info.frames < SF_COUNT_MAX) {
            seconds += static_cast<double>(info.frames) / info.samplerate;
        }
        sf_close(file);
    }
    return seconds;
}

std::string summaryLine(const FileJob& job) {
    const FileOutcome& o = *job.outcome;
    const double audioSeconds =
        o.regions.sampleRate > 0 ? static_cast<double>(o.regions.frames) / o.regions.sampleRate : 0.0;
    char speed[64];
    if (o.wallSeconds > 0) {
        std::snprintf(speed, sizeof speed, "%.1fx real time", audioSeconds / o.wallSeconds);
    } else {
        std::snprintf(speed, sizeof speed, "instant");
    }
    std::string line = job.input + " -> " + job.output + ": " + std::to_string(o.regionCount) +
                       " regions repaired, " + std::to_string(o.changedSamples) + " samples changed, " +
                       formatDuration(audioSeconds) + " of audio, " + speed;
    if (o.clippedSamples > 0) line += "; " + std::to_string(o.clippedSamples) + " samples clipped";
    if (!o.damage.empty()) line += "; damaged input, " + o.damage;
    return line;
}

}  // namespace

std::string formatDuration(double seconds) {
    const long minutes = static_cast<long>(seconds / 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%05.2f", minutes, seconds - minutes * 60.0);
    return text;
}

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
            throw ToolError(
                ExitStatus::badPlugin,
                "Sarnovellite.so not found next to the executable, in its build tree or in ../lib/vst; "
                "use --plugin PATH");
        }
    }
    return PluginLibrary::open(path);
}

namespace {

void printWarnings(const FileJob& job, ProgressDisplay& progress) {
    if (job.skipped) {
        progress.printError("sarnovellite: note: input " + job.input +
                            " is named more than once; processed once");
        return;
    }
    if (!job.outcome->damage.empty()) {
        progress.printError("sarnovellite: warning: input " + job.input + ": damaged, " +
                            job.outcome->damage + "; the output holds what could be read");
    }
    if (!job.outcome->metadataNotCarried.empty()) {
        std::string items;
        for (const std::string& item : job.outcome->metadataNotCarried)
            items += (items.empty() ? "" : ", ") + item;
        progress.printError("sarnovellite: warning: output " + job.output + ": cannot carry over from " +
                            job.input + ": " + items);
    }
    if (job.outcome->clippedSamples > 0) {
        progress.printError("sarnovellite: warning: output " + job.output + ": " +
                            std::to_string(job.outcome->clippedSamples) +
                            " samples beyond full scale were clipped");
    }
}

// Called with each file that was processed, on the thread that processed it.
using FileDone = std::function<void(FileJob&)>;

void processJob(FileJob& job, const ProcessSettings& settings, ProgressDisplay& progress,
                const FileDone& done) {
    if (job.skipped) return printWarnings(job, progress);
    try {
        job.outcome = processFile(job.input, job.output, settings, progress);
        printWarnings(job, progress);
        progress.printLine(summaryLine(job));
        done(job);
    } catch (const ToolError& error) {
        job.failure = error.status();
        job.failureReason = error.what();
        progress.printError(std::string("sarnovellite: ") + error.what());
    } catch (const std::exception& error) {
        job.failure = ExitStatus::processingFailed;
        job.failureReason = job.input + ": " + error.what();
        progress.printError("sarnovellite: " + job.failureReason);
    }
}

void processAll(std::vector<FileJob>& jobs, const ProcessSettings& settings, int threadLimit,
                ProgressDisplay& progress, const FileDone& done) {
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i = next.fetch_add(1); i < jobs.size(); i = next.fetch_add(1))
            processJob(jobs[i], settings, progress, done);
    };
    const std::size_t threadCount = std::min<std::size_t>(static_cast<std::size_t>(threadLimit), jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < threadCount; ++t) threads.emplace_back(worker);
    worker();
    for (std::thread& thread : threads) thread.join();
}

// "5 files: 4 done, 1 failed, 0 skipped; 12 regions repaired, 3456 samples changed".
std::string batchSummary(const std::vector<FileJob>& jobs) {
    std::int64_t done = 0, failed = 0, skipped = 0, regions = 0, changed = 0, clipped = 0, damaged = 0;
    for (const FileJob& job : jobs) {
        skipped += job.skipped;
        failed += job.failure.has_value();
        if (!job.outcome) continue;
        ++done;
        regions += job.outcome->regionCount;
        changed += job.outcome->changedSamples;
        clipped += job.outcome->clippedSamples;
        damaged += !job.outcome->damage.empty();
    }
    std::string line = std::to_string(jobs.size()) + (jobs.size() == 1 ? " file: " : " files: ") +
                       std::to_string(done) + " done, " + std::to_string(failed) + " failed, " +
                       std::to_string(skipped) + " skipped; " + std::to_string(regions) +
                       " regions repaired, " + std::to_string(changed) + " samples changed";
    if (clipped > 0) line += "; " + std::to_string(clipped) + " samples clipped";
    if (damaged > 0) line += "; " + std::to_string(damaged) + " damaged inputs processed in part";
    return line;
}

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

// Outputs a killed run left unfinished in the folders this run writes to: one
// line per folder, so they are not left unseen.
void warnAboutAbandonedOutputs(const std::vector<FileJob>& jobs) {
    std::set<std::string> folders;
    for (const FileJob& job : jobs) {
        if (job.output != "-") folders.insert(fs::path(job.output).parent_path().string());
    }
    for (const std::string& folder : folders) {
        const std::vector<std::string> names = abandonedOutputs(folder);
        if (names.empty()) continue;
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
        std::fprintf(
            stderr,
            "sarnovellite: warning: %s holds %zu unfinished output%s of a killed run, safe to delete: %s\n",
            folder.empty() ? "." : folder.c_str(), names.size(), names.size() == 1 ? "" : "s", list.c_str());
    }
}

// The status of the first file, in command-line order, that failed.
int exitStatusOf(const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs) {
        if (job.failure) return static_cast<int>(*job.failure);
    }
    return 0;
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
