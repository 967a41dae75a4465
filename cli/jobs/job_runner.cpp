#include "jobs/job_runner.h"

#include <atomic>
#include <thread>

#include "base/tool_error.h"
#include "jobs/run_summary.h"

namespace sarnovellite::cli {

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

void processJob(FileJob& job, const ProcessSettings& settings, ProgressDisplay& progress,
                const FileDone& done) {
    if (job.skipped) return printWarnings(job, progress);
    try {
        job.outcome = processFile(job.input, job.output, settings,
                                  [&progress](double seconds) { progress.addAudio(seconds); });
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

}  // namespace

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

}  // namespace sarnovellite::cli
