#include "jobs/job_runner.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>

#include "base/interrupt_tail.h"
#include "base/tool_error.h"
#include "jobs/run_summary.h"

namespace fs = std::filesystem;

namespace sarnovellite::cli {

namespace {

void printWarnings(const FileJob& job, ProgressDisplay& progress) {
    if (!job.outcome->damage.empty()) {
        progress.printError("sarnovellite: warning: input " + job.input + ": damaged, " +
                            job.outcome->damage + "; the output holds what could be read");
    }
    for (const std::string& line : job.outcome->notices) progress.printError(line);
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

// The output's folder under the -o folder, made when the first file goes there.
void prepareOutputFolder(const FileJob& job) {
    const fs::path folder = fs::path(job.output).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) return;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, "output folder " + folder.string() + ": cannot be created" +
                                                   (ec ? ": " + ec.message() : std::string()));
    }
}

FileTotals totalsOf(const FileOutcome& o) {
    return {o.regionCount, o.changedSamples, o.clippedSamples, !o.damage.empty(), o.reencoded};
}

void processJob(FileJob& job, const ProcessSettings& settings, const RunOptions& run,
                ProgressDisplay& progress, const FileDone& done) {
    if (job.skip == SkipReason::namedTwice) {
        progress.printError("sarnovellite: note: input " + job.input +
                            " is named more than once; processed once");
        return;
    }
    if (job.skip == SkipReason::notAudio) return;
    std::error_code ec;
    if (run.skipExisting && job.output != "-" && fs::is_regular_file(job.output, ec)) {
        // Outputs are renamed into place only when complete: one that exists is whole.
        job.skip = SkipReason::outputExists;
        return done(job);
    }
    try {
        if (run.makeOutputFolders) prepareOutputFolder(job);
        job.outcome = std::make_unique<FileOutcome>(processFile(
            job.input, job.output, settings, [&progress](double seconds) { progress.addAudio(seconds); }));
        job.totals = totalsOf(*job.outcome);
        printWarnings(job, progress);
        progress.printLine(summaryLine(job));
    } catch (const ToolError& error) {
        job.failure = error.status();
        job.failureReason = error.what();
        progress.printError(std::string("sarnovellite: ") + error.what());
    } catch (const std::exception& error) {
        job.failure = ExitStatus::processingFailed;
        job.failureReason = job.input + ": " + error.what();
        progress.printError("sarnovellite: " + job.failureReason);
    }
    // A file whose output the interrupt kept from its place is no entry.
    if (job.failure != ExitStatus::interrupted) done(job);
    leaveCommitWindow();
}

}  // namespace

void processAll(std::vector<FileJob>& jobs, const ProcessSettings& settings, const RunOptions& run,
                ProgressDisplay& progress, const FileDone& done) {
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        pairCommitsWithReport();
        for (std::size_t i = next.fetch_add(1); i < jobs.size(); i = next.fetch_add(1))
            processJob(jobs[i], settings, run, progress, done);
    };
    // Interrupts go to this thread, which only waits: the handler then never
    // runs in the middle of an output's rename and its report entry (see
    // base/interrupt_tail.h). Threads inherit the mask, so it is set for them
    // while they are started.
    sigset_t interrupts, previous;
    sigemptyset(&interrupts);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
    pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
    const std::size_t threadCount =
        std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(run.threads), jobs.size()));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < threadCount; ++t) threads.emplace_back(worker);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace sarnovellite::cli
