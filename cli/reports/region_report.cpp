#include "reports/region_report.h"

#include <cstdio>
#include <fstream>

#include "base/pending_output.h"
#include "base/tool_error.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string seconds(std::int64_t sample, int rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", rate > 0 ? static_cast<double>(sample) / rate : 0.0);
    return text;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    quoted += escaped;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    return quoted + "\"";
}

std::string effectSettingsText(const ReportSettings& s) {
    if (!s.restore)
        return "sensitivity " + std::to_string(s.sensitivity) + "; click gap " + std::to_string(s.clickGap);
    std::string text = "method restore";
    for (const ReportedSetting& setting : s.restoreSettings) text += "; " + setting.text;
    return text;
}

std::string settingsText(const ReportSettings& s) {
    return effectSettingsText(s) + "; block " + std::to_string(s.blockSize) + "; plug-in " + s.plugin +
           (s.keepLatency ? "; keep latency" : "") + (s.acceptDamaged ? "; accept damaged" : "");
}

std::string statusText(const FileRegions& file) {
    if (!file.failure.empty()) return "failed: " + file.failure;
    if (!file.damage.empty()) return "damaged: " + file.damage;
    return "ok";
}

void writeCsv(std::ostream& out, const ReportSettings& settings, const std::vector<FileRegions>& files) {
    out << "# sarnovellite " << settings.version << "; " << settingsText(settings) << '\n';
    out << "file,channel,start_sample,end_sample,start_seconds,end_seconds,status,clipped_samples\n";
    for (const FileRegions& file : files) {
        const std::string clipped = file.failure.empty() ? std::to_string(file.clippedSamples) : "";
        const std::string tail = ',' + csvField(statusText(file)) + ',' + clipped + '\n';
        if (file.regions.empty()) out << csvField(file.input) << ",,,,," << tail;
        for (const ChangedRegion& r : file.regions) {
            out << csvField(file.input) << ',' << r.channel << ',' << r.start << ',' << r.end << ','
                << seconds(r.start, file.sampleRate) << ',' << seconds(r.end, file.sampleRate) << tail;
        }
    }
}

void writeJsonHeader(std::ostream& out, const ReportSettings& s) {
    out << "{\"version\":" << jsonString(s.version) << ",\"settings\":{";
    if (s.restore) {
        out << "\"method\":\"restore\"";
        for (const ReportedSetting& setting : s.restoreSettings)
            out << ',' << jsonString(setting.symbol) << ':' << setting.value;
    } else {
        out << "\"sensitivity\":" << s.sensitivity << ",\"click_gap\":" << s.clickGap;
    }
    out << ",\"block_size\":" << s.blockSize << ",\"plugin\":" << jsonString(s.plugin)
        << ",\"keep_latency\":" << (s.keepLatency ? "true" : "false")
        << ",\"accept_damaged\":" << (s.acceptDamaged ? "true" : "false") << "},\n";
}

void writeJson(std::ostream& out, const ReportSettings& settings, const std::vector<FileRegions>& files) {
    writeJsonHeader(out, settings);
    out << "\"files\":[";
    for (std::size_t f = 0; f < files.size(); ++f) {
        const FileRegions& file = files[f];
        out << (f ? ",\n" : "\n") << "{\"input\":" << jsonString(file.input)
            << ",\"output\":" << jsonString(file.output) << ",\"status\":\""
            << (!file.failure.empty()  ? "failed"
                : !file.damage.empty() ? "damaged"
                                       : "ok")
            << '"';
        if (!file.failure.empty()) out << ",\"error\":" << jsonString(file.failure);
        if (!file.damage.empty()) out << ",\"damage\":" << jsonString(file.damage);
        out << ",\"sample_rate\":" << file.sampleRate << ",\"channels\":" << file.channels
            << ",\"frames\":" << file.frames << ",\"clipped_samples\":" << file.clippedSamples
            << ",\"regions\":[";
        for (std::size_t i = 0; i < file.regions.size(); ++i) {
            const ChangedRegion& r = file.regions[i];
            out << (i ? ",\n" : "\n") << "  {\"channel\":" << r.channel << ",\"start_sample\":" << r.start
                << ",\"end_sample\":" << r.end << ",\"start_seconds\":" << seconds(r.start, file.sampleRate)
                << ",\"end_seconds\":" << seconds(r.end, file.sampleRate) << '}';
        }
        out << "]}";
    }
    out << "\n]}\n";
}

}  // namespace

void writeRegionReport(const std::string& path, const ReportSettings& settings,
                       const std::vector<FileRegions>& files) {
    PendingOutput pending(path);
    {
        std::ofstream out(pending.temporaryPath(), std::ios::trunc);
        if (endsWith(path, ".json")) {
            writeJson(out, settings, files);
        } else {
            writeCsv(out, settings, files);
        }
        out.flush();
        if (!out) throw ToolError(ExitStatus::badOutput, "cannot write report " + path);
    }
    pending.commit();
}
