#include "jobs/run_summary.h"

#include <cstdio>

std::string formatDuration(double seconds) {
    const long minutes = static_cast<long>(seconds / 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%05.2f", minutes, seconds - minutes * 60.0);
    return text;
}

namespace sarnovellite::cli {

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

std::string batchSummary(const std::vector<FileJob>& jobs) {
    std::int64_t done = 0, failed = 0, skipped = 0, regions = 0, changed = 0, clipped = 0, damaged = 0;
    for (const FileJob& job : jobs) {
        skipped += job.skip != SkipReason::none;
        failed += job.failure.has_value();
        if (!job.totals) continue;
        ++done;
        regions += job.totals->regions;
        changed += job.totals->changedSamples;
        clipped += job.totals->clippedSamples;
        damaged += job.totals->damaged;
    }
    std::string line = std::to_string(jobs.size()) + (jobs.size() == 1 ? " file: " : " files: ") +
                       std::to_string(done) + " done, " + std::to_string(failed) + " failed, " +
                       std::to_string(skipped) + " skipped; " + std::to_string(regions) +
                       " regions repaired, " + std::to_string(changed) + " samples changed";
    if (clipped > 0) line += "; " + std::to_string(clipped) + " samples clipped";
    if (damaged > 0) line += "; " + std::to_string(damaged) + " damaged inputs processed in part";
    return line;
}

int exitStatusOf(const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs) {
        if (job.failure) return static_cast<int>(*job.failure);
    }
    return 0;
}

}  // namespace sarnovellite::cli
