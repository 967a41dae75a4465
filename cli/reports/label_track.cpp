#include "reports/label_track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "base/pending_output.h"
#include "base/tool_error.h"
#include "reports/repair_kind.h"

namespace {

constexpr double kMicro = 1e6;

// Microseconds, rounded outwards, printed as seconds with six decimals.
std::string secondsText(std::int64_t sample, int rate, bool roundUp) {
    const double micro = static_cast<double>(sample) * kMicro / rate;
    const double whole = roundUp ? std::ceil(micro) : std::floor(micro);
    const auto value = static_cast<long long>(whole);
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%06lld", value / 1000000, value % 1000000);
    return text;
}

}  // namespace

void writeLabelTrack(const std::string& path, const FileRegions& file) {
    // In time order, so an editor's "next label" walks through the file.
    std::vector<ChangedRegion> regions = file.regions;
    std::stable_sort(regions.begin(), regions.end(),
                     [](const ChangedRegion& a, const ChangedRegion& b) { return a.start < b.start; });
    PendingOutput pending(path);
    {
        std::ofstream out(pending.temporaryPath(), std::ios::trunc);
        for (const ChangedRegion& r : regions) {
            const std::int64_t length = r.end - r.start;
            out << secondsText(r.start, file.sampleRate, false) << '\t'
                << secondsText(r.end, file.sampleRate, true) << "\tch " << r.channel + 1 << ' '
                << repairKindName(length, file.sampleRate) << " (" << length
                << (length == 1 ? " sample)" : " samples)") << '\n';
        }
        out.flush();
        if (!out) throw ToolError(ExitStatus::badOutput, "cannot write labels " + path);
    }
    pending.commit();
}
