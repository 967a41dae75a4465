#include "restore/click_detector.h"

#include <algorithm>
#include <cmath>

#include "restore/robust_scale.h"

// Median of the scales of the segments that lie wholly inside [from, to).
float ClickDetector::background(const DetectionInput& in, int32_t from, int32_t to) const {
    const int32_t first = std::max<int32_t>(0, (from - in.segmentOrigin + g.segment - 1) / g.segment);
    const int32_t last = std::min<int32_t>(in.segmentCount, (to - in.segmentOrigin) / g.segment);
    int32_t n = 0;
    for (int32_t j = first; j < last; ++j) scratch[n++] = in.segmentScale[j];
    return medianInPlace(scratch, n);
}

// Peaks of at least 35 % of this one within a sample of at - T and of at + T,
// for some period T in the pitch range.
bool ClickDetector::periodic(const float* d, int32_t at, float peak, int32_t begin, int32_t end) const {
    const float level = 0.35f * peak;
    const auto near = [&](int32_t centre) {
        return std::max(std::fabs(d[centre - 1]), std::max(std::fabs(d[centre]), std::fabs(d[centre + 1]))) >=
               level;
    };
    for (int32_t period = g.shortestPeriod; period <= g.longestPeriod; ++period) {
        if (at - period - 1 < begin || at + period + 1 >= end) break;
        if (near(at - period) && near(at + period)) return true;
    }
    return false;
}

bool ClickDetector::anyAlarm(const float* d, const DetectionLimits& lim) const {
    const float enter = lim.threshold * lim.scale;
    bool above = false;
    for (int32_t n = scanBegin(lim), end = scanEnd(lim); n < end; ++n) above |= std::fabs(d[n]) > enter;
    return above;
}

int32_t ClickDetector::find(const DetectionInput& in, const DetectionLimits& lim, RepairRegion* out,
                            int32_t capacity) const {
    const float* d = in.statistic;
    const float enter = lim.threshold * lim.scale;
    const float stay = 0.5f * enter;
    const int32_t bridge = std::max<int32_t>(2, g.order / 4);
    const int32_t guard = g.order;
    int32_t count = 0;
    int32_t n = scanBegin(lim);
    const int32_t scanEnd = this->scanEnd(lim);
    while (n < scanEnd) {
        if (!(std::fabs(d[n]) > enter)) {
            ++n;
            continue;
        }
        int32_t start = n;
        while (start > lim.validBegin && std::fabs(d[start - 1]) > stay) --start;
        int32_t end = n + 1;  // one past the last sample above stay
        float peak = 0.0f;
        int32_t peakAt = n;
        for (int32_t i = start; i < end; ++i)
            if (std::fabs(d[i]) > peak) peak = std::fabs(d[i]), peakAt = i;
        for (int32_t i = end, below = 0; i < lim.validEnd && below <= bridge; ++i) {
            const float v = std::fabs(d[i]);
            if (v > stay) {
                end = i + 1;
                below = 0;
                if (v > peak) peak = v, peakAt = i;
            } else {
                ++below;
            }
        }
        n = end;
        const int32_t run = end - start;
        if (run > lim.longestRun) continue;
        // The click starts at the first forward-error alarm and ends at the
        // last backward-error alarm. A run without both is a side lobe of
        // the matched filter beside a click, not a click.
        int32_t first = start, last = end - 1;
        const float forwardAlarm = 0.5f * lim.threshold * in.forwardScale;
        const float backwardAlarm = 0.5f * lim.threshold * in.backwardScale;
        while (first <= last && !(std::fabs(in.forward[first]) > forwardAlarm)) ++first;
        while (last >= first && !(std::fabs(in.backward[last]) > backwardAlarm)) --last;
        if (last < first) continue;
        // The hop whose core holds the click's first sample repairs it.
        if (first < lim.firstStart || first >= lim.lastStart) continue;
        const float before = background(in, start - guard - g.background, start - guard);
        const float after = background(in, end + guard, end + guard + g.background);
        const float local = std::max(lim.scale, std::max(before, after));
        const float factor = last + 1 - first <= g.crackleRun ? lim.crackleFactor : 1.0f;
        if (!(peak > lim.threshold * factor * local)) continue;
        // Onsets and cuts: out of or into digital silence, or into a less
        // predictable sound.
        if (before == 0.0f || after == 0.0f || after > 2.0f * std::max(before, lim.scale)) continue;
        if (periodic(d, peakAt, peak, lim.validBegin, lim.validEnd)) continue;
        const int32_t core = last + 1 - first;
        // Widen: a ringing click outlasts its detected core.
        const int32_t left = std::max(lim.firstStart, first - g.widen - std::min(core / 8, g.samples(0.5)));
        const int32_t right = std::min(lim.validEnd, last + 1 + g.widen + std::min(core / 4, g.samples(1.0)));
        if (count > 0 && left - out[count - 1].end < g.order &&
            right - out[count - 1].start <= g.longestGap) {
            out[count - 1].end = std::max(out[count - 1].end, right);
            out[count - 1].peak = std::max(out[count - 1].peak, peak / lim.scale);
            continue;
        }
        if (count > 0 && left < out[count - 1].end) continue;  // cannot merge and would overlap
        if (count == capacity) break;
        out[count++] = RepairRegion{left, right, peak / lim.scale};
    }
    return count;
}
