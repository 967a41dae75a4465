#include "tools/region_report.h"

#include <cstdio>
#include <fstream>

#include "tools/pending_output.h"
#include "tools/tool_error.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
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
            case '"': quoted += "\\\""; break;
            case '\\': quoted += "\\\\"; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
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

void writeCsv(std::ostream& out, const std::vector<FileRegions>& files) {
    out << "file,channel,start_sample,end_sample,start_seconds,end_seconds\n";
    for (const FileRegions& file : files) {
        for (const ChangedRegion& r : file.regions) {
            out << csvField(file.input) << ',' << r.channel << ',' << r.start << ',' << r.end << ','
                << seconds(r.start, file.sampleRate) << ',' << seconds(r.end, file.sampleRate) << '\n';
        }
    }
}

void writeJson(std::ostream& out, const std::vector<FileRegions>& files) {
    out << "{\"files\":[";
    for (std::size_t f = 0; f < files.size(); ++f) {
        const FileRegions& file = files[f];
        out << (f ? ",\n" : "\n") << "{\"input\":" << jsonString(file.input) << ",\"output\":" << jsonString(file.output)
            << ",\"sample_rate\":" << file.sampleRate << ",\"channels\":" << file.channels
            << ",\"frames\":" << file.frames << ",\"regions\":[";
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

void writeRegionReport(const std::string& path, const std::vector<FileRegions>& files) {
    PendingOutput pending(path);
    {
        std::ofstream out(pending.temporaryPath(), std::ios::trunc);
        if (endsWith(path, ".json")) {
            writeJson(out, files);
        } else {
            writeCsv(out, files);
        }
        out.flush();
        if (!out) throw ToolError(ExitStatus::badOutput, "cannot write report " + path);
    }
    pending.commit();
}
