// The --report FILE.html of a batch (-o): an index page with one table row
// per file (input, status, length, regions, samples changed, clipped, a link
// to its page), and one page per file with its pictures (html_report.h),
// each written as the file finishes. The index is a whole page after every
// row and survives an interrupt with a line saying so (tailed_file.h), so an
// archive of any size gives pages of one file each and an index of one row
// each. Per-file pages are written through temporary files.
#pragma once

#include <memory>
#include <string>

#include "reports/html_report.h"
#include "reports/tailed_file.h"

namespace sarnovellite::cli {

class HtmlIndex {
public:
    // Throws ToolError(ExitStatus::badOutput).
    HtmlIndex(const std::string& path, const ReportSettings& settings);
    // Writes the file's own page at pagePath (when the file was processed) and
    // its row, linking pageLink (pagePath relative to the index); thread-safe.
    void add(const ReportedFile& file, const std::string& pagePath, const std::string& pageLink);
    void finish();

private:
    ReportSettings settings_;
    std::unique_ptr<TailedFile> file_;
};

}  // namespace sarnovellite::cli
