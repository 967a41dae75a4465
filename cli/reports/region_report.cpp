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

}  // namespace

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

namespace {

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
    if (!file.skipped.empty()) return "skipped: " + file.skipped;
    if (!file.damage.empty()) return "damaged: " + file.damage;
    return "ok";
}

void writeCsv(std::ostream& out, const ReportSettings& settings, const std::vector<FileRegions>& files) {
    out << csvReportHead(settings);
    for (const FileRegions& file : files) out << csvReportRows(file, settings.checksums);
}

void writeJson(std::ostream& out, const ReportSettings& settings, const std::vector<FileRegions>& files) {
    out << jsonReportHead(settings) << "\"files\":[";
    for (std::size_t f = 0; f < files.size(); ++f) out << (f ? ",\n" : "\n") << jsonFileEntry(files[f]);
    out << "\n]}\n";
}

}  // namespace

std::string csvReportHead(const ReportSettings& settings) {
    return "# sarnovellite " + settings.version + "; " + settingsText(settings) + "\n" +
           "file,channel,start_sample,end_sample,start_seconds,end_seconds,status,clipped_samples,output" +
           (settings.checksums ? ",input_sha256,output_sha256" : "") + "\n";
}

std::string csvReportRows(const FileRegions& file, bool checksums) {
    const bool processed = file.failure.empty() && file.skipped.empty();
    const std::string clipped = processed ? std::to_string(file.clippedSamples) : "";
    std::string tail = ',' + csvField(statusText(file)) + ',' + clipped + ',' + csvField(file.output);
    if (checksums) tail += ',' + file.inputSha256 + ',' + file.outputSha256;
    tail += '\n';
    std::string rows;
    if (file.regions.empty()) rows += csvField(file.input) + ",,,,," + tail;
    for (const ChangedRegion& r : file.regions) {
        rows += csvField(file.input) + ',' + std::to_string(r.channel) + ',' + std::to_string(r.start) + ',' +
                std::to_string(r.end) + ',' + seconds(r.start, file.sampleRate) + ',' +
                seconds(r.end, file.sampleRate) + tail;
    }
    return rows;
}

std::string jsonReportHead(const ReportSettings& s) {
    return "{\"version\":" + jsonString(s.version) + ",\"settings\":" + jsonSettings(s) + ",\n";
}

std::string jsonSettings(const ReportSettings& s) {
    std::string effect;
    if (s.restore) {
        effect = "\"method\":\"restore\"";
        for (const ReportedSetting& setting : s.restoreSettings)
            effect += ',' + jsonString(setting.symbol) + ':' + setting.value;
    } else {
        effect = "\"sensitivity\":" + std::to_string(s.sensitivity) +
                 ",\"click_gap\":" + std::to_string(s.clickGap);
    }
    return "{" + effect + ",\"block_size\":" + std::to_string(s.blockSize) +
           ",\"plugin\":" + jsonString(s.plugin) + ",\"keep_latency\":" + (s.keepLatency ? "true" : "false") +
           ",\"accept_damaged\":" + (s.acceptDamaged ? "true" : "false") + "}";
}

std::string jsonFileEntry(const FileRegions& file) {
    const char* status = !file.failure.empty()   ? "failed"
                         : !file.skipped.empty() ? "skipped"
                         : !file.damage.empty()  ? "damaged"
                                                 : "ok";
    std::string out = "{\"input\":" + jsonString(file.input) + ",\"output\":" + jsonString(file.output) +
                      ",\"status\":\"" + status + '"';
    if (!file.failure.empty()) out += ",\"error\":" + jsonString(file.failure);
    if (!file.skipped.empty()) out += ",\"reason\":" + jsonString(file.skipped);
    if (!file.damage.empty()) out += ",\"damage\":" + jsonString(file.damage);
    if (!file.inputSha256.empty()) out += ",\"input_sha256\":\"" + file.inputSha256 + '"';
    if (!file.outputSha256.empty()) out += ",\"output_sha256\":\"" + file.outputSha256 + '"';
    out += ",\"sample_rate\":" + std::to_string(file.sampleRate) +
           ",\"channels\":" + std::to_string(file.channels) + ",\"frames\":" + std::to_string(file.frames) +
           ",\"clipped_samples\":" + std::to_string(file.clippedSamples) + ",\"regions\":[";
    for (std::size_t i = 0; i < file.regions.size(); ++i) {
        const ChangedRegion& r = file.regions[i];
        out += std::string(i ? ",\n" : "\n") + "  {\"channel\":" + std::to_string(r.channel) +
               ",\"start_sample\":" + std::to_string(r.start) + ",\"end_sample\":" + std::to_string(r.end) +
               ",\"start_seconds\":" + seconds(r.start, file.sampleRate) +
               ",\"end_seconds\":" + seconds(r.end, file.sampleRate) + '}';
    }
    return out + "]}";
}

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
