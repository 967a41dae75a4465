#include "reports/report_stream.h"

namespace sarnovellite::cli {

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

constexpr const char* kCsvInterrupted = "# interrupted: the rows above are the files finished\n";

}  // namespace

bool isStreamedReport(const std::string& path) {
    return endsWith(path, ".csv") || endsWith(path, ".json") || endsWith(path, ".jsonl");
}

ReportStream::ReportStream(const std::string& path, const ReportSettings& settings)
    : format_(endsWith(path, ".jsonl")  ? Format::jsonLines
              : endsWith(path, ".json") ? Format::json
                                        : Format::csv),
      checksums_(settings.checksums) {
    switch (format_) {
        case Format::csv:
            file_ = std::make_unique<TailedFile>(path, csvReportHead(settings), "", kCsvInterrupted);
            break;
        case Format::json:
            file_ = std::make_unique<TailedFile>(path, jsonReportHead(settings) + "\"files\":[",
                                                 "\n],\"finished\":false}\n",
                                                 "\n],\"finished\":false,\"interrupted\":true}\n");
            break;
        case Format::jsonLines:
            file_ = std::make_unique<TailedFile>(path,
                                                 "{\"version\":" + jsonString(settings.version) +
                                                     ",\"settings\":" + jsonSettings(settings) + "}\n",
                                                 "", "{\"interrupted\":true}\n");
            break;
    }
}

void ReportStream::add(const FileRegions& file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    switch (format_) {
        case Format::csv:
            file_->append(csvReportRows(file, checksums_));
            break;
        case Format::json:
            file_->append((firstEntry_ ? "\n" : ",\n") + jsonFileEntry(file));
            break;
        case Format::jsonLines: {
            // One line per file: the entry's only raw line breaks are its layout.
            std::string line = jsonFileEntry(file);
            std::erase(line, '\n');
            file_->append(line + "\n");
        } break;
    }
    firstEntry_ = false;
}

void ReportStream::finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    switch (format_) {
        case Format::csv:
            file_->finish("");
            break;
        case Format::json:
            file_->finish("\n],\"finished\":true}\n");
            break;
        case Format::jsonLines:
            file_->finish("{\"finished\":true}\n");
            break;
    }
}

}  // namespace sarnovellite::cli
