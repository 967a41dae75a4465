#include "restore/channel_restorer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "restore/ar_model.h"
#include "restore/robust_scale.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
// Below this the scales are taken as this: digital silence still whitens.
constexpr float kScaleFloor = 1e-9f;
// Float rounding leaves a model error of about 1e-7 of the signal, and more
// through the filters; no scale is taken as finer than this share of the
// window's level (nor than -120 dBFS), or a pure tone's rounding would read
// as clicks.
constexpr float kRelativeScaleFloor = 1e-5f;
constexpr float kAbsoluteScaleFloor = 1e-6f;
// A click peaking at this many times the music's RMS before it is looked at
// for a thump.
constexpr float kThumpClickRatio = 1.5f;

void hann(float* w, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * (i + 0.5) / n));
}
}  // namespace

ChannelRestorer::ChannelRestorer(const RestoreGeometry& geometry)
    : g(geometry),
      taper(static_cast<size_t>(g.window)),
      tapered(static_cast<size_t>(std::max(g.window, 2 * g.neighbourhood))),
      correlation(static_cast<size_t>(g.longGapOrder + 1)),
      levinsonWork(static_cast<size_t>(2 * (g.longGapOrder + 1))),
      coefficientsDouble(static_cast<size_t>(g.longGapOrder)),
      model(static_cast<size_t>(g.order)),
      longModel(static_cast<size_t>(g.longGapOrder)),
      original(static_cast<size_t>(g.window)),
      cleaned(static_cast<size_t>(g.window)),
      error(static_cast<size_t>(g.window)),
      backward(static_cast<size_t>(g.window)),
      statistic(static_cast<size_t>(g.window)),
      referenceError(static_cast<size_t>(g.window)),
      reference(static_cast<size_t>(g.window)),
      scratch(static_cast<size_t>(g.window)),
      segmentScale(static_cast<size_t>(g.window / g.segment + 1)),
      observed(static_cast<size_t>(g.longestGap)),
      estimate(static_cast<size_t>(g.longestGap)),
      firstRegions(static_cast<size_t>(g.hop / 2 + 1)),
      finalRegions(static_cast<size_t>(g.hop / 2 + 1)),
      solver(g.longestGap, g.longGapOrder),
      additive(g.longestGap, g.longGapOrder),
      thump(g) {
    hann(taper.data(), g.window);
}

bool ChannelRestorer::fitModel(const float* x, float* coefficients) {
    for (int32_t n = 0; n < g.window; ++n) tapered[n] = x[n] * taper[n];
    autocorrelation(tapered.data(), g.window, g.order, correlation.data());
    const double power =
        levinsonDurbin(correlation.data(), g.order, coefficientsDouble.data(), levinsonWork.data());
    if (!(power >= 0.0)) return false;
    // The Hann taper's mean square is 3/8.
    const double level = std::sqrt(correlation[0] / (0.375 * g.window));
    levelFloor = kAbsoluteScaleFloor + kRelativeScaleFloor * static_cast<float>(level);
    for (int32_t k = 0; k < g.order; ++k) coefficients[k] = static_cast<float>(coefficientsDouble[k]);
    return true;
}

// Forward error on [p, W), matched filter on [p, W - p), the statistic's
// segment scales from position p; returns its window scale (the median of
// the segment scales).
float ChannelRestorer::analyse(const float* x, const float* coefficients, float* e, float* d) {
    whiten(x, coefficients, e, d);
    const int32_t p = g.order;
    segmentCount = segmentScales(d + p, g.window - 2 * p, g.segment, segmentScale.data(), scratch.data());
    std::copy(segmentScale.begin(), segmentScale.begin() + segmentCount, scratch.begin());
    return std::max(levelFloor, medianInPlace(scratch.data(), segmentCount));
}

// Forward error on [p, W), matched filter on [p, W - p), nothing else.
void ChannelRestorer::whiten(const float* x, const float* coefficients, float* e, float* d) {
    const int32_t p = g.order;
    forwardError(x, p, g.window, coefficients, p, e);
    matchedFilter(e, p, g.window - p, coefficients, p, d);
}

// Finds the clicks of the original in statistic/error/backward against the
// scales and local backgrounds of reference.
int32_t ChannelRestorer::detect(const float* ref, float scale, float errorScale, const HopSettings& s,
                                std::vector<RepairRegion>& regions) {
    DetectionInput input{statistic.data(),    ref,     error.data(), backward.data(), errorScale, errorScale,
                         segmentScale.data(), g.order, segmentCount};
    ClickDetector detector(g, scratch.data());
    return detector.find(input, limits(scale, s), regions.data(), static_cast<int32_t>(regions.size()));
}

DetectionLimits ChannelRestorer::limits(float scale, const HopSettings& s) const {
    DetectionLimits l{};
    l.firstStart = g.context;
    l.lastStart = g.context + g.hop;
    l.validBegin = g.order;
    l.validEnd = g.window - g.order;
    l.longestRun = s.longestRun;
    l.scale = scale;
    l.threshold = s.threshold;
    l.crackleFactor = s.crackle ? 1.0f : 2.0f;
    return l;
}

bool ChannelRestorer::writeBack(float* x, const RepairRegion& r, const double* values) {
    for (int32_t i = 0; i < r.end - r.start; ++i)
        if (!std::isfinite(static_cast<float>(values[i]))) return false;
    for (int32_t i = 0; i < r.end - r.start; ++i) x[r.start + i] = static_cast<float>(values[i]);
    return true;
}

void ChannelRestorer::replaceRegions(float* x, const float* coefficients, const RepairRegion* regions,
                                     int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const RepairRegion& r = regions[i];
        if (solver.solve(x, r.start, r.end - r.start, coefficients, g.order, 0.0, nullptr, estimate.data()))
            writeBack(x, r, estimate.data());
    }
}

// Block model, additive click (the music's error variance from the robust
// scale of the cleaned window's model error).
void ChannelRestorer::repairShort(float* x, const RepairRegion& r, const float* coefficients,
                                  float errorScale) {
    const int32_t m = r.end - r.start;
    const double variance = static_cast<double>(errorScale) * errorScale;
    if (additive.repair(x, r.start, m, coefficients, g.order, variance, observed.data(), g.clickSpread,
                        AdditiveRepair::Start::moments, estimate.data()))
        writeBack(x, r, estimate.data());
}

// A long gap gets a model of its own, of higher order, fitted on the signal
// just before and just after it (each segment tapered on its own).
void ChannelRestorer::repairLong(float* x, const RepairRegion& r) {
    const int32_t m = r.end - r.start;
    const int32_t beforeFrom = std::max(0, r.start - g.neighbourhood);
    const int32_t afterTo = std::min(g.window, r.end + g.neighbourhood);
    const int32_t before = r.start - beforeFrom;
    const int32_t after = afterTo - r.end;
    const int32_t order = std::min(g.longGapOrder, std::min(3 * m + 2, std::min(before, after) / 2));
    std::fill(correlation.begin(), correlation.end(), 0.0);
    const int32_t lengths[2] = {before, after};
    const int32_t froms[2] = {beforeFrom, r.end};
    for (int part = 0; part < 2; ++part) {
        const int32_t n = lengths[part];
        for (int32_t i = 0; i < n; ++i)
            tapered[i] =
                x[froms[part] + i] * static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * (i + 0.5) / n));
        for (int32_t k = 0; k <= order; ++k)
            correlation[k] +=
                k < n ? static_cast<double>(dotProduct(tapered.data() + k, tapered.data(), n - k)) : 0.0;
    }
    const double power =
        levinsonDurbin(correlation.data(), order, coefficientsDouble.data(), levinsonWork.data());
    if (!(power >= 0.0) || order < 1) return;
    for (int32_t k = 0; k < order; ++k) longModel[k] = static_cast<float>(coefficientsDouble[k]);
    // Each Hann-tapered segment keeps 3/8 of its power.
    const double variance = power / (0.375 * (before + after));
    if (additive.repair(x, r.start, m, longModel.data(), order, variance, observed.data(), g.clickSpread,
                        AdditiveRepair::Start::expected, estimate.data()))
        writeBack(x, r, estimate.data());
}

// A click's sharp edge is what the whitened signal shows; its decay (a
// stylus's ring, a de-emphasis tail) is smooth and nearly predictable, so
// detection sees only its start. Probe past the detected end: interpolate
// over the longer span and keep the samples where the observed signal still
// stands clearly off the interpolation (a share of the click's own peak and
// well above the model's error), so the repair covers the tail too.
int32_t ChannelRestorer::tailEnd(const float* x, const RepairRegion& r, int32_t limit, float errorScale) {
    const int32_t core = r.end - r.start;
    const int32_t probeEnd =
        std::min({limit, r.start + g.longestGap, r.end + std::max(g.samples(1.0), 3 * core)});
    if (probeEnd <= r.end) return r.end;
    const int32_t m = probeEnd - r.start;
    if (!solver.solve(x, r.start, m, model.data(), g.order, 0.0, nullptr, estimate.data())) return r.end;
    // Running mean square of the residual over a short span, centred.
    const int32_t half = std::max<int32_t>(1, g.samples(0.05));
    float peak = 0.0f;
    for (int32_t i = 0; i < m; ++i) {
        scratch[i] = static_cast<float>(original[r.start + i] - estimate[i]);
        scratch[i] *= scratch[i];
    }
    for (int32_t i = 0; i < core; ++i) peak = std::max(peak, scratch[i]);
    // An interpolation over the probe may miss the music by up to its own
    // level; the tail must stand above the music just before the click.
    double music = 0.0;
    const int32_t from = std::max(0, r.start - m);
    for (int32_t i = from; i < r.start; ++i) music += static_cast<double>(x[i]) * x[i];
    music /= std::max(1, r.start - from);
    const float floor = std::max(9.0f * errorScale * errorScale, 4.0f * static_cast<float>(music));
    // Only a click well above the music has a tail worth replacing.
    if (!(peak > 16.0f * floor)) return r.end;
    const float level = std::max(0.02f * peak, floor);  // 0.14 of the peak amplitude
    int32_t end = r.end;
    for (int32_t i = core; i < m; ++i) {
        float sum = 0.0f;
        int32_t n = 0;
        for (int32_t k = std::max(0, i - half); k <= std::min(m - 1, i + half); ++k) sum += scratch[k], ++n;
        if (sum / n > level) end = r.start + i + 1;
    }
    return std::min(probeEnd, end + (end > r.end ? g.widen : 0));
}

// Only a click well above the music around it can have shaken the arm: its
// removed part must peak above the music's RMS just before it (the fit's own
// tests decide the rest).
void ChannelRestorer::removeThumps(float* x) {
    const int32_t span = g.samples(10.0);
    for (int32_t i = 0; i < finalCount; ++i) {
        const RepairRegion& r = finalRegions[i];
        float clickPeak = 0.0f;
        for (int32_t n = r.start; n < r.end; ++n)
            clickPeak = std::max(clickPeak, std::fabs(original[n] - x[n]));
        const int32_t from = std::max(0, r.start - span);
        double music = 0.0;
        for (int32_t n = from; n < r.start; ++n) music += static_cast<double>(x[n]) * x[n];
        music = std::sqrt(music / std::max(1, r.start - from));
        if (clickPeak > kThumpClickRatio * music) thump.remove(x, r.start, r.end);
    }
}

int32_t ChannelRestorer::processHop(float* x, const HopSettings& s) {
    finalCount = 0;
    thump.advance(x);
    if (!fitModel(x, model.data())) return 0;
    std::memcpy(original.data(), x, sizeof(float) * static_cast<size_t>(g.window));
    const float firstScale = analyse(original.data(), model.data(), error.data(), statistic.data());
    // Most windows of music hold no click: nothing to look at closer.
    if (!ClickDetector(g, scratch.data()).anyAlarm(statistic.data(), limits(firstScale, s))) return 0;
    backwardError(original.data(), 0, g.window - g.order, model.data(), g.order, backward.data());
    const float firstErrorScale = std::max(
        kScaleFloor, robustScaleStrided(error.data() + g.order, g.window - g.order, 4, scratch.data()));
    const int32_t first = detect(statistic.data(), firstScale, firstErrorScale, s, firstRegions);
    if (first == 0) return 0;

    std::memcpy(cleaned.data(), original.data(), sizeof(float) * static_cast<size_t>(g.window));
    replaceRegions(cleaned.data(), model.data(), firstRegions.data(), first);
    if (!fitModel(cleaned.data(), model.data())) return 0;
    const float scale = analyse(cleaned.data(), model.data(), referenceError.data(), reference.data());
    const float errorScale = std::max(kScaleFloor, robustScaleStrided(referenceError.data() + g.order,
                                                                      g.window - g.order, 4, scratch.data()));
    // The segment scales stay those of the reference.
    whiten(original.data(), model.data(), error.data(), statistic.data());
    backwardError(original.data(), 0, g.window - g.order, model.data(), g.order, backward.data());
    finalCount = detect(reference.data(), scale, errorScale, s, finalRegions);

    // Later regions start from their first-pass repair, so that each repair's
    // right-hand context is already free of the clicks after it.
    for (int32_t i = 0; i < finalCount; ++i) {
        const RepairRegion& r = finalRegions[i];
        std::memcpy(x + r.start, cleaned.data() + r.start,
                    sizeof(float) * static_cast<size_t>(r.end - r.start));
    }
    for (int32_t i = 0; i < finalCount; ++i) {
        RepairRegion& r = finalRegions[i];
        const int32_t limit = i + 1 < finalCount ? finalRegions[i + 1].start : g.window - g.longGapOrder;
        const int32_t end = tailEnd(x, r, limit, errorScale);
        if (end > r.end) {
            std::memcpy(x + r.end, original.data() + r.end, sizeof(float) * static_cast<size_t>(end - r.end));
            r.end = end;
        }
        std::memcpy(observed.data(), original.data() + r.start,
                    sizeof(float) * static_cast<size_t>(r.end - r.start));
        if (r.end - r.start <= g.shortGap) {
            repairShort(x, r, model.data(), errorScale);
        } else {
            repairLong(x, r);
        }
    }
    if (s.thump) removeThumps(x);
    return finalCount;
}
