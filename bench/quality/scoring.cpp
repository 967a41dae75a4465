#include "bench/quality/scoring.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
double squaredError(const std::vector<double>& a, const std::vector<double>& b, std::size_t from,
                    std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}
}  // namespace

double decibels(double num, double den) {
    if (den == 0)
        return num == 0 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
    return 10 * std::log10(num / den);
}

double percent(std::size_t part, std::size_t whole) { return whole ? 100.0 * part / whole : 0.0; }

void Tally::addRepair(const Audio& clean, const Damaged& damaged, const Audio& output) {
    const std::size_t frames = clean.frames();
    for (std::size_t c = 0; c < clean.channels.size(); ++c) {
        const auto &x = clean.channels[c], &d = damaged.audio.channels[c], &y = output.channels[c];
        std::vector<bool> mask(frames), widened(frames);
        for (const DamageEvent& e : damaged.events) {
            if (e.channel != static_cast<int>(c)) continue;
            const std::size_t from = e.start >= kEventWidening ? e.start - kEventWidening : 0;
            const std::size_t to = std::min(frames, e.start + e.length + kEventWidening);
            const double gain = decibels(squaredError(d, x, from, to), squaredError(y, x, from, to));
            KindTally& k = kinds[static_cast<int>(e.kind)];
            ++k.events;
            k.fixed += gain >= kFixedDb;
            k.worse += gain < kWorseDb;
            std::fill(mask.begin() + e.start, mask.begin() + e.start + e.length, true);
            std::fill(widened.begin() + from, widened.begin() + to, true);
        }
        for (std::size_t i = 0; i < frames; ++i) {
            const double before = (d[i] - x[i]) * (d[i] - x[i]), after = (y[i] - x[i]) * (y[i] - x[i]);
            signal += x[i] * x[i];
            errorBefore += before;
            errorAfter += after;
            if (mask[i]) maskSignal += x[i] * x[i], maskBefore += before, maskAfter += after;
            if (!widened[i]) outsideChange += (y[i] - d[i]) * (y[i] - d[i]), ++outsideSamples;
        }
    }
}

void Tally::addClean(const Audio& clean, const Audio& output) {
    const std::size_t frames = clean.frames(), gap = static_cast<std::size_t>(kRegionGapSeconds * clean.rate);
    std::size_t lastChanged = 0;
    bool any = false;
    for (std::size_t i = 0; i < frames; ++i) {
        bool changed = false;
        for (std::size_t c = 0; c < clean.channels.size(); ++c) {
            const bool differs = std::fabs(output.channels[c][i] - clean.channels[c][i]) > kChangedThreshold;
            cleanChanged += differs;
            changed = changed || differs;
        }
        if (!changed) continue;
        if (!any || i - lastChanged > gap) ++cleanRegions;  // a region spans all channels
        any = true;
        lastChanged = i;
    }
    cleanSamples += frames * clean.channels.size();
    cleanSeconds += clean.seconds();
}

void Tally::add(const Tally& o) {
    for (int k = 0; k < kDamageKinds; ++k) kinds[k].add(o.kinds[k]);
    signal += o.signal, errorBefore += o.errorBefore, errorAfter += o.errorAfter;
    maskSignal += o.maskSignal, maskBefore += o.maskBefore, maskAfter += o.maskAfter;
    outsideChange += o.outsideChange, outsideSamples += o.outsideSamples;
    cleanSamples += o.cleanSamples, cleanChanged += o.cleanChanged, cleanRegions += o.cleanRegions;
    cleanSeconds += o.cleanSeconds;
}

KindTally Tally::all() const {
    KindTally t;
    for (const KindTally& k : kinds) t.add(k);
    return t;
}
