// The --report file of a run written as each file finishes (.csv, .json or
// .jsonl by the extension): the rows of every finished file are in it at
// all times, and an interrupt leaves a report that says so.
//
// CSV: the two lines of region_report.h, the rows, and on an interrupt a last
// line "# interrupted: ...". JSON: the document of region_report.h, valid
// after every file: it ends in "\n],\"finished\":false}" while the run goes on,
// "\n],\"finished\":true}" at the end, and
// "\n],\"finished\":false,\"interrupted\":true}" when interrupted. JSON Lines
// (.jsonl): a first line {"version","settings"}, one line per file as in the
// JSON "files" array, and a last line {"finished":true} or
// {"interrupted":true}. Memory: one row at a time.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "capture/file_regions.h"
#include "reports/region_report.h"
#include "reports/tailed_file.h"

namespace sarnovellite::cli {

class ReportStream {
public:
    // Writes the head; throws ToolError(ExitStatus::badOutput).
    ReportStream(const std::string& path, const ReportSettings& settings);
    // One file's entry, flushed to the file system; thread-safe.
    void add(const FileRegions& file);
    void finish();

private:
    enum class Format { csv, json, jsonLines };
    Format format_;
    bool checksums_;
    bool firstEntry_ = true;
    std::mutex mutex_;
    std::unique_ptr<TailedFile> file_;
};

// True for the extensions ReportStream writes.
bool isStreamedReport(const std::string& path);

}  // namespace sarnovellite::cli
