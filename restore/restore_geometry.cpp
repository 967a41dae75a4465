#include "restore/restore_geometry.h"

#include <algorithm>
#include <cmath>

int32_t RestoreGeometry::samples(double ms) const {
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(ms * sampleRate / 1000.0)));
}

RestoreGeometry RestoreGeometry::forRate(double sampleRate) {
    RestoreGeometry g{};
    g.sampleRate = std::isfinite(sampleRate) ? std::clamp(sampleRate, 8000.0, 192000.0) : 44100.0;
    // About 0.6 ms of memory: 26 at 44.1 kHz, capped where the extra order
    // would only model the ultrasonic band.
    g.order = std::clamp<int32_t>(static_cast<int32_t>(std::lround(g.sampleRate * 0.0006)), 10, 64);
    g.longGapOrder = 3 * g.order;
    g.hop = g.samples(50.0);
    g.lookahead = g.samples(32.0);
    g.context = g.samples(16.0);
    g.window = g.context + g.hop + g.lookahead;
    g.latency = g.hop + g.lookahead;
    g.longestRun = g.samples(20.0);
    g.widen = g.samples(0.025);
    // Widening adds at most widen + 0.5 ms before and widen + 1 ms after.
    g.longestGap = g.longestRun + 2 * g.widen + g.samples(1.5);
    g.shortGap = g.samples(2.0);
    g.background = g.samples(5.0);
    g.neighbourhood = g.samples(10.0);
    g.crackleRun = g.samples(0.25);
    g.clickSpread = g.samples(0.15);
    g.segment = std::max<int32_t>(8, g.samples(1.0));
    g.shortestPeriod = g.samples(2.5);
    g.longestPeriod = g.samples(14.0);
    return g;
}
