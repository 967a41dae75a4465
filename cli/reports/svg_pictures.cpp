#include "reports/svg_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "reports/repair_kind.h"

namespace {

constexpr double kWidth = 1000.0;
constexpr double kLane = 90.0;
constexpr double kLaneGap = 14.0;
constexpr double kCloseUpWidth = 320.0;
constexpr double kCloseUpHeight = 120.0;
constexpr std::size_t kCloseUpColumns = 320;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// y of `value` in a lane whose middle is `middle`, scaled so `peak` fills it.
double laneY(double value, double peak, double middle, double halfHeight) {
    const double scaled = std::clamp(value / peak, -1.0, 1.0);
    return middle - scaled * halfHeight;
}

double envelopePeak(const std::vector<EnvelopeBucket>& buckets) {
    double peak = 0.0;
    for (const EnvelopeBucket& b : buckets)
        peak =
            std::max({peak, std::fabs(static_cast<double>(b.low)), std::fabs(static_cast<double>(b.high))});
    return peak > 1e-9 ? peak : 1.0;
}

std::string envelopePolygon(const std::vector<EnvelopeBucket>& buckets, double top) {
    const double peak = envelopePeak(buckets);
    const double middle = top + kLane / 2, half = kLane / 2 - 2;
    const double step = kWidth / static_cast<double>(std::max<std::size_t>(buckets.size(), 1));
    std::string points;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        points += number((static_cast<double>(i) + 0.5) * step) + ',' +
                  number(laneY(buckets[i].high, peak, middle, half)) + ' ';
    }
    for (std::size_t i = buckets.size(); i-- > 0;) {
        points += number((static_cast<double>(i) + 0.5) * step) + ',' +
                  number(laneY(buckets[i].low, peak, middle, half)) + ' ';
    }
    return "<polygon class=\"envelope\" points=\"" + points + "\"/>";
}

std::string regionMark(const ChangedRegion& r, const FileRegions& file) {
    const double frames = static_cast<double>(std::max<std::int64_t>(file.frames, 1));
    const double x = static_cast<double>(r.start) / frames * kWidth;
    const double width = std::max(1.0, static_cast<double>(r.end - r.start) / frames * kWidth);
    const double top = r.channel * (kLane + kLaneGap);
    return "<rect class=\"region-mark\" x=\"" + number(x) + "\" y=\"" + number(top) + "\" width=\"" +
           number(width) + "\" height=\"" + number(kLane) + "\"><title>" +
           timeText(r.start, file.sampleRate) + " channel " + std::to_string(r.channel + 1) + ' ' +
           repairKindName(r.end - r.start, file.sampleRate) + "</title></rect>";
}

// The samples as a line; above kCloseUpColumns samples, each column's min and max.
std::string sampleLine(const std::vector<float>& raw, double peak, const char* cssClass) {
    std::vector<float> samples(raw);
    for (float& v : samples) {
        if (!std::isfinite(v)) v = 0.0f;  // a NaN would make the whole line invalid
    }
    const double middle = kCloseUpHeight / 2, half = kCloseUpHeight / 2 - 4;
    const std::size_t n = samples.size();
    const std::size_t columns = std::min(n, kCloseUpColumns);
    std::string points;
    for (std::size_t col = 0; col < columns; ++col) {
        const std::size_t from = col * n / columns, to = std::max(from + 1, (col + 1) * n / columns);
        const auto [low, high] = std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(from),
                                                     samples.begin() + static_cast<std::ptrdiff_t>(to));
        const double x = (static_cast<double>(col) + 0.5) * kCloseUpWidth / static_cast<double>(columns);
        points += number(x) + ',' + number(laneY(*high, peak, middle, half)) + ' ';
        if (to - from > 1) points += number(x) + ',' + number(laneY(*low, peak, middle, half)) + ' ';
    }
    return std::string("<polyline class=\"") + cssClass + "\" points=\"" + points + "\"/>";
}

double closeUpPeak(const RegionCloseUp& c) {
    double peak = 0.0;
    for (std::size_t i = 0; i < c.before.size(); ++i) {
        if (std::isfinite(c.before[i])) peak = std::max(peak, static_cast<double>(std::fabs(c.before[i])));
        if (std::isfinite(c.after[i])) peak = std::max(peak, static_cast<double>(std::fabs(c.after[i])));
    }
    return peak > 1e-9 ? peak : 1.0;
}

}  // namespace

std::string timeText(std::int64_t frame, int sampleRate) {
    const std::int64_t millis = sampleRate > 0 ? frame * 1000 / sampleRate : 0;
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", static_cast<long long>(millis / 60000),
                  static_cast<long long>(millis / 1000 % 60), static_cast<long long>(millis % 1000));
    return text;
}

std::string escapeMarkup(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void writeOverviewSvg(std::ostream& out, const FileRegions& file, const RepairPictures& pictures) {
    const int lanes = std::max(1, file.channels);
    const double height = lanes * kLane + (lanes - 1) * kLaneGap;
    out << "<svg class=\"overview\" viewBox=\"0 0 " << number(kWidth) << ' ' << number(height)
        << "\" preserveAspectRatio=\"none\" role=\"img\">";
    for (int c = 0; c < lanes; ++c) {
        const double top = c * (kLane + kLaneGap);
        out << "<rect class=\"lane\" x=\"0\" y=\"" << number(top) << "\" width=\"" << number(kWidth)
            << "\" height=\"" << number(kLane) << "\"/>";
        if (static_cast<std::size_t>(c) < pictures.envelope.size())
            out << envelopePolygon(pictures.envelope[c], top);
    }
    // One element at a time: a badly damaged long file has many thousands.
    for (const ChangedRegion& r : file.regions) out << regionMark(r, file);
    out << "</svg>";
}

std::string closeUpSvg(const RegionCloseUp& c) {
    const double n = static_cast<double>(std::max<std::size_t>(c.before.size(), 1));
    const double x0 = static_cast<double>(c.region.start - c.firstFrame) / n * kCloseUpWidth;
    const double x1 = static_cast<double>(c.region.end - c.firstFrame) / n * kCloseUpWidth;
    const double left = std::clamp(x0, 0.0, kCloseUpWidth), right = std::clamp(x1, 0.0, kCloseUpWidth);
    const double peak = closeUpPeak(c);
    return "<svg class=\"closeup\" viewBox=\"0 0 " + number(kCloseUpWidth) + ' ' + number(kCloseUpHeight) +
           "\" role=\"img\"><rect class=\"repaired\" x=\"" + number(left) + "\" y=\"0\" width=\"" +
           number(std::max(1.0, right - left)) + "\" height=\"" + number(kCloseUpHeight) + "\"/>" +
           sampleLine(c.before, peak, "before") + sampleLine(c.after, peak, "after") + "</svg>";
}
