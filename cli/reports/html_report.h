// The --report file when its name ends in .html: one self-contained page
// for a person to check the repairs of every processed file. No scripts, no
// network, no files beside it; the pictures are inline SVG (svg_pictures.h).
//
// For each file: the summary figures, an overview of the whole input with
// every repaired region marked, and before/after close-ups of the regions
// (all of them up to RepairPictureCollector::kMaxCloseUps, otherwise the
// largest, with the count of the others). At the top: the settings used.
// The markup is well-formed XML too. Written through a temporary file.
//
// HtmlReportWriter writes each file's section as soon as it is added, so a
// batch of thousands of files holds one file's pictures at a time.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "base/pending_output.h"

#include "capture/repair_pictures.h"
#include "reports/region_report.h"

// A file that failed has only regions.input, .output and .failure.
struct ReportedFile {
    FileRegions regions;
    RepairPictures pictures;
    std::int64_t changedSamples = 0;
    int latencyFrames = 0;
};

class HtmlReportWriter {
public:
    // Creates the temporary file and writes the page's head and settings;
    // throws ToolError(ExitStatus::badOutput) when that fails.
    HtmlReportWriter(const std::string& path, const ReportSettings& settings);
    // Appends one file's section; safe to call from several threads.
    void add(const ReportedFile& file);
    // Ends the page and puts it in place; throws ToolError(ExitStatus::badOutput)
    // when anything could not be written. Without finish() no page appears.
    void finish();

private:
    std::string path_;
    PendingOutput pending_;
    std::ofstream out_;
    std::mutex mutex_;
    bool anyFile_ = false;
};

// The page's start up to and with the settings table: doctype, style, the
// title as heading.
std::string htmlPageHead(const std::string& title, const ReportSettings& settings);

// The whole page at once. Throws ToolError(ExitStatus::badOutput) when the
// file cannot be written.
void writeHtmlReport(const std::string& path, const std::vector<ReportedFile>& files,
                     const ReportSettings& settings);
