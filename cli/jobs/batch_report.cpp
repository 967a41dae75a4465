#include "jobs/batch_report.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace sarnovellite::cli {

namespace {

// The report entry of a job: its regions and figures, or why it has none.
ReportedFile reportedFileOf(FileJob& job) {
    ReportedFile file;
    if (job.outcome) {
        FileOutcome& o = *job.outcome;
        file.regions = o.regions;  // the label track of a single pair still needs them
        file.regions.clippedSamples = o.clippedSamples;
        file.regions.damage = o.damage;
        file.pictures = std::move(o.pictures);
        file.changedSamples = o.changedSamples;
        file.latencyFrames = o.latencyFrames;
        o.pictures = {};
        return file;
    }
    file.regions.input = job.input;
    file.regions.output = job.output;
    if (job.failure) file.regions.failure = job.failureReason;
    if (job.skip == SkipReason::outputExists) file.regions.skipped = "output exists";
    return file;
}

}  // namespace

BatchReport::BatchReport(const CliOptions& options, const ReportSettings& settings) {
    const std::string& path = options.reportPath;
    if (path.empty()) return;
    if (isStreamedReport(path)) {
        stream_.emplace(path, settings);
    } else if (options.mode == CliMode::batch) {
        indexPath_ = path;
        index_.emplace(path, settings);
    } else {
        page_.emplace(path, settings);
    }
}

void BatchReport::add(FileJob& job) {
    if (stream_) return stream_->add(reportedFileOf(job).regions);
    if (page_) return page_->add(reportedFileOf(job));
    if (!index_) return;
    const fs::path index(indexPath_);
    const std::string pagesFolder = index.stem().string() + "-files";
    const std::string link = (fs::path(pagesFolder) / (job.relative + ".html")).string();
    const fs::path page = index.parent_path() / link;
    std::error_code ec;
    if (job.outcome) fs::create_directories(page.parent_path(), ec);
    index_->add(reportedFileOf(job), page.string(), link);
}

void BatchReport::finish() {
    if (stream_) stream_->finish();
    if (page_) page_->finish();
    if (index_) index_->finish();
}

}  // namespace sarnovellite::cli
