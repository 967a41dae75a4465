#include "engine/tqc_crackle_detector.h"

#include <cmath>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/tqc_real_fft.h"
#include "engine/float_rounding.h"

namespace {
constexpr int32_t kDifferenceSmoothingWidth = 15;
constexpr int32_t kAutocorrSmoothingWidth = 5;
constexpr int32_t kMinAutocorrPeaks = 6;
// Periods of 10 samples or less are too short for the crossfade repair.
constexpr int32_t kShortestRepairPeriod = 10;
constexpr int32_t kMinClickGap = 8;
constexpr int32_t kMaxClickGap = 64;
constexpr int32_t kMaxSensitivityLevel = 4;
}  // namespace

void TQCCrackleDetector::init(int32_t newBlockSize, int32_t /*channels*/) {
    release();
    blockSize = newBlockSize;
    thresholdFactor.store(3.0f, std::memory_order_relaxed);
    peakQuantile = 0.95f;
    clickGap.store(32, std::memory_order_relaxed);
    const auto n = static_cast<size_t>(blockSize);
    try {
        storage.diffs.assign(n, 0.0f);
        storage.smoothedDiffs.assign(n, 0.0f);
        storage.smoothedAutocorr.assign(n, 0.0f);
        storage.regions.assign(n, ClickRegion{});
        storage.peaks.assign(n, PeakEntry{});
        storage.selectScratch.assign(n, PeakEntry{});
        fft = std::make_unique<TQCRealFFT>(0);
        storage.spectrum.assign(2 * n + 2, 0.0f);
    } catch (...) {
        release();
        throw;
    }
    diffs = storage.diffs.data();
    smoothedDiffs = storage.smoothedDiffs.data();
    smoothedAutocorr = storage.smoothedAutocorr.data();
    spectrum = storage.spectrum.data();
    regions = storage.regions.data();
    peaks = storage.peaks.data();
    selectScratch = storage.selectScratch.data();
    regionCount = 0;
    peakCount = 0;
    // Build the transform tables now, before any audio: left to the first
    // window with a click, they would be allocated on the host's real-time
    // thread. Should this fail, the first transform still builds them.
    fft->setLength(blockSize);
}

void TQCCrackleDetector::release() {
    smoothedAutocorr = diffs = smoothedDiffs = spectrum = nullptr;
    regions = nullptr;
    peaks = selectScratch = nullptr;
    storage = WorkStorage{};  // returns the memory now
    fft.reset();              // and the transform's spec with it
    regionCount = 0;
    peakCount = 0;
}

void TQCCrackleDetector::setSensitivity(int32_t level) {
    if (level < 0) level = 0;
    if (level > kMaxSensitivityLevel) level = kMaxSensitivityLevel;
    thresholdFactor.store(static_cast<float>(6 - level), std::memory_order_relaxed);
}

void TQCCrackleDetector::setClickGap(int32_t gap) {
    if (gap >= kMinClickGap && gap <= kMaxClickGap) clickGap.store(gap, std::memory_order_relaxed);
}

ClickRegion TQCCrackleDetector::regionAt(int32_t i) const {
    return ClickRegion{regions[i].start - regionOrigin, regions[i].end - regionOrigin};
}

void TQCCrackleDetector::setRegions(const ClickRegion* list, int32_t count) {
    regionOrigin = 0;
    regionCount = count;
    for (int32_t i = 0; i < count; ++i) regions[i] = list[i];
}

bool TQCCrackleDetector::windowIsFinite(const float* x) const {
    // Infinities and NaNs are the values whose exponent bits are all set.
    // Every sample is looked at, without an early exit, four at a time.
    constexpr uint32_t kExponentBits = 0x7f800000u;
    uint32_t nonFinite = 0;
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i exponent = _mm_set1_epi32(static_cast<int>(kExponentBits));
    __m128i any = _mm_setzero_si128();
    for (; i + 4 <= blockSize; i += 4) {
        const __m128i bits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i));
        any = _mm_or_si128(any, _mm_cmpeq_epi32(_mm_and_si128(bits, exponent), exponent));
    }
    nonFinite = static_cast<uint32_t>(_mm_movemask_epi8(any));
#endif
    for (; i < blockSize; ++i) {
        uint32_t bits;
        std::memcpy(&bits, x + i, sizeof bits);
        nonFinite |= static_cast<uint32_t>((bits & kExponentBits) == kExponentBits);
    }
    return nonFinite == 0;
}

bool TQCCrackleDetector::regionIsFinite(const float* y, int32_t start, int32_t end) const {
    for (int32_t i = start; i <= end; ++i) {
        if (!std::isfinite(y[i])) return false;
    }
    return true;
}

void TQCCrackleDetector::restoreUnfiniteRegions(const float* x, float* y) {
    for (int32_t r = 0; r < regionCount; ++r) {
        const ClickRegion region = regionAt(r);
        if (!regionIsFinite(y, region.start, region.end)) {
            std::memcpy(y + region.start, x + region.start,
                        static_cast<size_t>(region.end - region.start + 1) * sizeof(float));
        }
    }
}

void TQCCrackleDetector::buildRegions(float threshold, int32_t newFrames) {
    const int32_t n = blockSize;
    const int32_t gap = clickGap.load(std::memory_order_relaxed);
    const float* s = smoothedDiffs;
    const float m = meanDiff;
    regionOrigin = newFrames;
    regionCount = 0;
    for (int32_t p = 0; p < peakCount; ++p) {
        // NaN compares false everywhere below: a NaN peak is never used and a
        // NaN smoothed difference stops a walk.
        if (!(threshold < peaks[p].value)) continue;
        const int32_t j = peaks[p].position - newFrames;
        if (!(j > n / 8)) continue;
        if (regionCount > 0) {
            const ClickRegion& previous = regions[regionCount - 1];
            const int32_t previousStart = previous.start - newFrames;
            const int32_t previousEnd = previous.end - newFrames;
            if (previousStart < j && j < previousEnd) continue;
        }
        int32_t c = j;
        while (c > 0 && s[c] > m) --c;
        int32_t e = j;
        while (e < n - 1 && s[e] > m) ++e;
        if (regionCount > 0 && c < regions[regionCount - 1].end - newFrames + gap) {
            regions[regionCount - 1].end = e + newFrames;
        } else {
            regions[regionCount] = ClickRegion{c + newFrames, e + newFrames};
            ++regionCount;
        }
    }
}

void TQCCrackleDetector::choosePeriod(int32_t& lag, double& level) {
    lag = 0;
    level = 0.0;
    if (peakCount < kMinAutocorrPeaks) return;
    std::memcpy(selectScratch, peaks, static_cast<size_t>(peakCount) * sizeof(PeakEntry));
    const PeakEntry third = selectRank(selectScratch, peakCount, peakCount - 3);
    lag = third.position;
    float u = third.value;
    const float v = third.value;
    // Of the three highest peaks, the one with the smallest lag wins.
    for (int32_t i = 0; i < peakCount; ++i) {
        if (peaks[i].value > v && peaks[i].position < lag) {
            lag = peaks[i].position;
            u = peaks[i].value;
        }
    }
    level = static_cast<double>(u) / (0.5 - static_cast<double>(lag) / blockSize);
}

int32_t TQCCrackleDetector::processBlock(const float* x, float* y, int32_t newFrames) {
    const int32_t n = blockSize;
    const int32_t eighth = n / 8;
    std::memcpy(y, x, static_cast<size_t>(n) * sizeof(float));
    int32_t base = n;
    regionCount = 0;
    peakCount = 0;
    lastLag = 0;
    lastLevel = 0.0;
    regionOrigin = newFrames;

    // A non-finite sample would reach every repaired sample through the
    // low-pass and the crossfade, so such a window is left as it came.
    if (windowIsFinite(x)) {
        analyseDifferences(x, kDifferenceSmoothingWidth, newFrames);
        if (peakCount > 0) {
            std::memcpy(selectScratch, peaks, static_cast<size_t>(peakCount) * sizeof(PeakEntry));
            // The quantile is the 32-bit 0.949999988 widened to double, so
            // 20 peaks give rank 18, not 19.
            const auto k =
                static_cast<int32_t>(static_cast<double>(peakCount) * static_cast<double>(peakQuantile));
            const float reference = selectRank(selectScratch, peakCount, k).value;
            const float factor = thresholdFactor.load(std::memory_order_relaxed);
            const float threshold =
                roundToFloat(static_cast<double>(factor) * static_cast<double>(reference));
            buildRegions(threshold, newFrames);
        }
        if (regionCount > 0) {
            autocorrelate(x);
            smooth(diffs, smoothedAutocorr, kAutocorrSmoothingWidth);
            findPeaks(smoothedAutocorr, 0);
            int32_t lag = 0;
            double level = 0.0;
            choosePeriod(lag, level);
            lastLag = lag;
            lastLevel = level;

            // Regions too close to the window end lack the look-ahead the
            // repair needs: leave them (and everything after their start
            // minus the gap) for the next window.
            const int32_t gap = clickGap.load(std::memory_order_relaxed);
            const int32_t guard = eighth > gap + lag ? eighth : gap + lag;
            while (regionCount > 0 && regions[regionCount - 1].end - newFrames > n - guard) {
                base = regions[regionCount - 1].start - newFrames - gap;
                --regionCount;
            }
            if (regionCount == 0) return base - eighth > gap ? base - eighth : gap;

            if (lag > kShortestRepairPeriod && lag < n / 2) {
                repairPeriodic(x, y, lag, level);
            } else {
                fillBandLimited(y);
            }
            restoreUnfiniteRegions(x, y);
        }
    }
    const int32_t gap = clickGap.load(std::memory_order_relaxed);
    const int32_t result = base - eighth;
    return result < gap ? gap : result;
}
