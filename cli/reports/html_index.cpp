#include "reports/html_index.h"

#include <cstdio>

#include "reports/svg_pictures.h"

namespace sarnovellite::cli {

namespace {

constexpr const char* kTableHead =
    "<table class=\"index\"><thead><tr><th>file</th><th>status</th><th>length</th><th>regions</th>"
    "<th>samples changed</th><th>clipped</th></tr></thead><tbody>\n";
constexpr const char* kTableEnd = "</tbody></table>";

std::string cell(const std::string& text) { return "<td>" + escapeMarkup(text) + "</td>"; }

std::string statusOf(const FileRegions& r) {
    if (!r.failure.empty()) return "failed: " + r.failure;
    if (!r.skipped.empty()) return "skipped: " + r.skipped;
    if (!r.damage.empty()) return "damaged: " + r.damage;
    return "ok";
}

// The link is percent-encoded where a path character would end or change it.
std::string hrefOf(const std::string& link) {
    std::string href;
    for (unsigned char c : link) {
        if (c == '%' || c == '"' || c == '#' || c == '?' || c == '<' || c == '>' || c == '&' || c <= ' ' ||
            c == 0x7F) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            href += escaped;
        } else {
            href += static_cast<char>(c);
        }
    }
    return href;
}

}  // namespace

HtmlIndex::HtmlIndex(const std::string& path, const ReportSettings& settings) : settings_(settings) {
    file_ = std::make_unique<TailedFile>(
        path, htmlPageHead("Sarnovellite repair report: index", settings) + kTableHead,
        std::string(kTableEnd) + "</body></html>\n",
        std::string(kTableEnd) +
            "<p>Interrupted: the rows above are the files finished.</p></body></html>\n");
}

void HtmlIndex::add(const ReportedFile& file, const std::string& pagePath, const std::string& pageLink) {
    const FileRegions& r = file.regions;
    const bool processed = r.failure.empty() && r.skipped.empty();
    if (processed) writeHtmlReport(pagePath, {file}, settings_);
    const std::string name = processed
                                 ? "<a href=\"" + hrefOf(pageLink) + "\">" + escapeMarkup(r.input) + "</a>"
                                 : escapeMarkup(r.input);
    file_->append("<tr><td>" + name + "</td>" + cell(statusOf(r)) +
                  cell(processed ? timeText(r.frames, r.sampleRate) : "") +
                  cell(processed ? std::to_string(r.regions.size()) : "") +
                  cell(processed ? std::to_string(file.changedSamples) : "") +
                  cell(processed ? std::to_string(r.clippedSamples) : "") + "</tr>\n");
}

void HtmlIndex::finish() { file_->finish(std::string(kTableEnd) + "</body></html>\n"); }

}  // namespace sarnovellite::cli
