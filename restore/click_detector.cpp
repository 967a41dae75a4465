#include "restore/click_detector.h"

#include <algorithm>
#include <cmath>

#include "restore/robust_scale.h"

float ClickDetector::background(const float* reference, int32_t from, int32_t to) const {
    if (to - from < 8) return 0.0f;
    return robustScale(reference + from, to - from, scratch);
}

int32_t ClickDetector::find(const float* d, const float* reference, const DetectionLimits& lim,
                            RepairRegion* out, int32_t capacity) const {
    const float enter = lim.threshold * lim.scale;
    const float stay = 0.5f * enter;
    const int32_t bridge = std::max<int32_t>(2, g.order / 4);
    const int32_t guard = g.order;
    int32_t count = 0;
    // Runs that began before firstStart belong to the previous hop; start the
    // scan early enough to see where they end.
    int32_t n = std::max(lim.validBegin, lim.firstStart - lim.longestRun);
    const int32_t scanEnd = std::min(lim.lastStart, lim.validEnd);
    while (n < scanEnd) {
        if (!(std::fabs(d[n]) > enter)) {
            ++n;
            continue;
        }
        int32_t start = n;
        while (start > lim.validBegin && std::fabs(d[start - 1]) > stay) --start;
        int32_t end = n + 1;  // one past the last sample above stay
        float peak = 0.0f;
        for (int32_t i = start; i < end; ++i) peak = std::max(peak, std::fabs(d[i]));
        for (int32_t i = end, below = 0; i < lim.validEnd && below <= bridge; ++i) {
            const float v = std::fabs(d[i]);
            if (v > stay) {
                end = i + 1;
                below = 0;
                peak = std::max(peak, v);
            } else {
                ++below;
            }
        }
        n = end;
        const int32_t run = end - start;
        if (start < lim.firstStart || run > lim.longestRun) continue;
        const float before = background(reference, std::max(lim.validBegin, start - guard - g.background),
                                        std::max(lim.validBegin, start - guard));
        const float after = background(reference, std::min(lim.validEnd, end + guard),
                                       std::min(lim.validEnd, end + guard + g.background));
        const float local = std::max(lim.scale, std::max(before, after));
        const float factor = run <= g.crackleRun ? lim.crackleFactor : 1.0f;
        if (!(peak > lim.threshold * factor * local)) continue;
        // Widen: a ringing click outlasts its detected core.
        const int32_t left = std::max(lim.firstStart, start - g.widen - std::min(run / 8, g.samples(0.5)));
        const int32_t right = std::min(lim.validEnd, end + g.widen + std::min(run / 4, g.samples(1.0)));
        if (count > 0 && left - out[count - 1].end < g.order && right - out[count - 1].start <= g.longestGap) {
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
