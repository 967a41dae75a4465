#include "reports/html_report.h"

#include <cstdio>
#include <fstream>

#include "base/pending_output.h"
#include "base/tool_error.h"
#include "reports/repair_kind.h"
#include "reports/svg_pictures.h"

namespace {

constexpr const char* kStyle =
    "body{font:14px/1.4 sans-serif;margin:1.5em;color:#222;max-width:1100px}"
    "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:2em;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse}td,th{padding:2px 12px 2px 0;text-align:left;vertical-align:top}"
    "svg.overview{width:100%;height:auto;display:block;margin:.5em 0}"
    ".lane{fill:#f4f6f8}.envelope{fill:#7c93a8}.region-mark{fill:#d62728;shape-rendering:crispEdges}"
    ".closeups{display:flex;flex-wrap:wrap;gap:12px}figure{margin:0;width:330px}"
    "svg.closeup{width:320px;height:120px;background:#f4f6f8}.repaired{fill:#ffe08a;shape-rendering:"
    "crispEdges}"
    ".before{fill:none;stroke:#d62728;stroke-width:1.2}.after{fill:none;stroke:#1f4e9c;stroke-width:1.2}"
    "figcaption{font-size:12px}.key-before{color:#d62728}.key-after{color:#1f4e9c}"
    ".key-repaired{background:#ffe08a}";

std::string row(const std::string& name, const std::string& value) {
    return "<tr><th>" + escapeMarkup(name) + "</th><td>" + escapeMarkup(value) + "</td></tr>";
}

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string effectRows(const ReportSettings& s) {
    if (!s.restore) {
        return row("sensitivity",
                   std::to_string(s.sensitivity) + " (1..5, higher finds more; sent to Sarnovellite only)") +
               row("click gap", std::to_string(s.clickGap) + " samples");
    }
    std::string rows = row("method", "restore (sent to Sarnovellite Restore only)");
    for (const ReportedSetting& setting : s.restoreSettings) rows += row(setting.symbol, setting.text);
    return rows;
}

std::string settingsTable(const ReportSettings& s) {
    return "<h2>Settings</h2><table>" + row("sarnovellite", s.version) + row("plug-in", s.plugin) +
           effectRows(s) + row("host block", std::to_string(s.blockSize) + " frames") +
           row("output",
               s.keepLatency ? "raw, delayed by the latency (--keep-latency)" : "aligned with the input") +
           row("damaged inputs", s.acceptDamaged ? "processed in part (--accept-damaged)" : "refused") +
           "</table>";
}

std::string summaryTable(const ReportedFile& f) {
    const FileRegions& r = f.regions;
    const double samples = static_cast<double>(r.frames) * r.channels;
    const double share = samples > 0 ? 100.0 * static_cast<double>(f.changedSamples) / samples : 0.0;
    return "<table>" + row("input", r.input) + row("output", r.output) +
           row("length", timeText(r.frames, r.sampleRate) + " (" + std::to_string(r.frames) + " frames)") +
           row("sample rate", std::to_string(r.sampleRate) + " Hz") +
           row("channels", std::to_string(r.channels)) +
           row("regions repaired", std::to_string(r.regions.size())) +
           row("samples changed",
               std::to_string(f.changedSamples) + " (" + fixed(share, 4) + " % of all samples)") +
           row("latency compensated", std::to_string(f.latencyFrames) + " frames") +
           (r.clippedSamples == 0
                ? ""
                : row("clipped", std::to_string(r.clippedSamples) + " samples beyond full scale")) +
           (r.damage.empty() ? ""
                             : row("damaged input", r.damage + "; the output holds what could be read")) +
           "</table>";
}

std::string closeUpFigure(const RegionCloseUp& c, int sampleRate) {
    const std::int64_t length = c.region.end - c.region.start;
    const std::string caption = timeText(c.region.start, sampleRate) + " · channel " +
                                std::to_string(c.region.channel + 1) + " · " +
                                repairKindName(length, sampleRate) + " · " + std::to_string(length) +
                                (length == 1 ? " sample (" : " samples (") +
                                fixed(1000.0 * static_cast<double>(length) / sampleRate, 2) + " ms)";
    return "<figure>" + closeUpSvg(c) + "<figcaption>" + escapeMarkup(caption) + "</figcaption></figure>";
}

std::string closeUpSection(const ReportedFile& f) {
    const RepairPictures& p = f.pictures;
    if (f.regions.regions.empty()) return "<p>No sample was changed.</p>";
    std::string html = "<h3>Close-ups</h3><p>";
    if (p.closeUpsLeftOut == 0) {
        html += "Every repaired region";
    } else {
        html += "The " + std::to_string(p.closeUps.size()) + " longest repaired regions, longest first; " +
                std::to_string(p.closeUpsLeftOut) + " shorter ones are marked in the overview only";
    }
    html +=
        ": <span class=\"key-before\">red: before (input)</span>, <span class=\"key-after\">blue: after "
        "(output)</span>, <span class=\"key-repaired\">shaded: the changed samples</span>. Each close-up is "
        "scaled to its own peak.</p><div class=\"closeups\">";
    for (const RegionCloseUp& c : p.closeUps) html += closeUpFigure(c, f.regions.sampleRate);
    return html + "</div>";
}

void writeFileSection(std::ostream& out, const ReportedFile& f) {
    out << "<section class=\"file\"><h2>" << escapeMarkup(f.regions.input) << "</h2>";
    if (!f.regions.failure.empty()) {
        out << "<table>" << row("output", f.regions.output) << row("failed", f.regions.failure)
            << "</table></section>\n";
        return;
    }
    out << summaryTable(f)
        << "<h3>Overview</h3><p>The input's waveform, one lane per channel from channel 1 down, each scaled "
           "to its "
           "own peak; every repaired region is marked in red.</p>";
    writeOverviewSvg(out, f.regions, f.pictures);
    out << closeUpSection(f) << "</section>\n";
}

}  // namespace

std::string htmlPageHead(const std::string& title, const ReportSettings& settings) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"/><title>" + escapeMarkup(title) +
           "</title><style>" + kStyle + "</style></head><body><h1>" + escapeMarkup(title) + "</h1>" +
           settingsTable(settings) + '\n';
}

HtmlReportWriter::HtmlReportWriter(const std::string& path, const ReportSettings& settings)
    : path_(path), pending_(path), out_(pending_.temporaryPath(), std::ios::trunc) {
    out_ << htmlPageHead("Sarnovellite repair report", settings);
    if (!out_) throw ToolError(ExitStatus::badOutput, "cannot write report " + path_);
}

void HtmlReportWriter::add(const ReportedFile& file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    writeFileSection(out_, file);
    anyFile_ = true;
}

void HtmlReportWriter::finish() {
    if (!anyFile_) out_ << "<p>No file was processed.</p>";
    out_ << "</body></html>\n";
    out_.close();
    if (!out_) throw ToolError(ExitStatus::badOutput, "cannot write report " + path_);
    pending_.commit();
}

void writeHtmlReport(const std::string& path, const std::vector<ReportedFile>& files,
                     const ReportSettings& settings) {
    HtmlReportWriter writer(path, settings);
    for (const ReportedFile& f : files) writer.add(f);
    writer.finish();
}
