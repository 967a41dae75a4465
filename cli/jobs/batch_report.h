// The --report of a run, fed a file at a time as each finishes (on the
// thread that ran it): CSV, JSON or JSON Lines (reports/report_stream.h);
// for a batch (-o) with .html an index page and one page per file
// (reports/html_index.h), the per-file pages in the folder NAME-files/ beside
// the index NAME.html, under each output's path in the -o folder; for one
// INPUT OUTPUT pair with .html the single page of reports/html_report.h.
// Every entry is in the file when add() returns, so an interrupted run
// leaves a report of the files it finished.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "jobs/file_job.h"
#include "options/cli_options.h"
#include "reports/html_index.h"
#include "reports/html_report.h"
#include "reports/report_stream.h"

namespace sarnovellite::cli {

class BatchReport {
public:
    // Nothing is written when options name no report. Throws ToolError.
    BatchReport(const CliOptions& options, const ReportSettings& settings);
    // The job's entry: processed (its outcome; its pictures are let go),
    // failed or skipped because its output exists. Thread-safe; throws ToolError.
    void add(FileJob& job);
    void finish();

private:
    std::string indexPath_;
    std::optional<ReportStream> stream_;
    std::optional<HtmlIndex> index_;
    std::optional<HtmlReportWriter> page_;
};

}  // namespace sarnovellite::cli
