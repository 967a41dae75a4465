// The --report file: repaired regions per file and channel, as CSV or JSON
// (chosen by the extension of the report path), covering every file of the
// run, with the version and settings that produced it.
//
// CSV: a "# sarnovellite VERSION; settings" line, a header line, then one
// line per region, and one with empty region fields for a file without any:
//   file,channel,start_sample,end_sample,start_seconds,end_seconds,status,clipped_samples,output
// and with checksums ",input_sha256,output_sha256" (hex SHA-256 of the files);
// status is "ok", "damaged: read N of M frames ...", "skipped: reason" or
// "failed: reason".
// JSON: {"version","settings":{...},"files":[{"input","output","status",
//   ["damage"|"error"|"reason",] ["input_sha256","output_sha256",]
//   "sample_rate","channels","frames","clipped_samples",
//   "regions":[{"channel","start_sample","end_sample","start_seconds","end_seconds"}]}]}
// Channels count from 0; end_sample is exclusive; seconds are sample / rate.
// Written through a temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/file_regions.h"

// One setting of the restore effect as the effect shows it.
struct ReportedSetting {
    std::string symbol;  // "threshold": the JSON key
    std::string text;    // "threshold 7.0 sigma": CSV line and page
    std::string value;   // "7.0" or "\"on\"": the JSON value
};

// Settings of the run that made the report. With `restore` the restore
// effect's settings replace sensitivity and click gap.
struct ReportSettings {
    std::string version;
    std::string plugin;
    bool restore = false;
    std::vector<ReportedSetting> restoreSettings;
    int sensitivity = 1;
    int clickGap = 32;
    int blockSize = 512;
    bool keepLatency = false;
    bool acceptDamaged = false;
    bool checksums = false;  // the CSV has the two SHA-256 columns
};

// The pieces of both formats, for reports written a file at a time
// (report_stream.h): the CSV's two first lines, one file's CSV lines, the
// JSON document up to its "files" array, the settings object and one
// file's entry (without separators). jsonString quotes and escapes.
std::string csvReportHead(const ReportSettings& settings);
std::string csvReportRows(const FileRegions& file, bool checksums);
std::string jsonReportHead(const ReportSettings& settings);
std::string jsonSettings(const ReportSettings& settings);
std::string jsonFileEntry(const FileRegions& file);
std::string jsonString(const std::string& text);

// Throws ToolError(ExitStatus::badOutput) when the file cannot be written.
void writeRegionReport(const std::string& path, const ReportSettings& settings,
                       const std::vector<FileRegions>& files);
