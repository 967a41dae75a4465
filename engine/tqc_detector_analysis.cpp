#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/tqc_real_fft.h"
#include "engine/float_rounding.h"
#include "engine/tqc_crackle_detector.h"
#include "engine/wide_clones.h"

void TQCCrackleDetector::storeDifferences(const float* x) {
    diffs[0] = 0.0f;
    for (int32_t i = 1; i < blockSize; ++i) {
#if defined(__SSE2__)
        // A float subtraction rounds exactly as the double one rounded to float.
        diffs[i] = std::fabs(x[i] - x[i - 1]);
#else
        diffs[i] = roundToFloat(std::fabs(static_cast<double>(x[i]) - static_cast<double>(x[i - 1])));
#endif
    }
}

void TQCCrackleDetector::computeDifferences(const float* x) {
    const int32_t n = blockSize;
    storeDifferences(x);
    // The running sum is a float on purpose: the mean decides where region
    // walks stop, and it must round exactly the same way every time.
    float sum = 0.0f;
    for (int32_t i = 1; i < n; ++i) sum = roundToFloat(static_cast<double>(sum) + diffs[i]);
    meanDiff = roundToFloat(static_cast<double>(sum) / static_cast<double>(n - 1));
}

namespace {

#if defined(__SSE2__)
// Eight neighbouring positions side by side (two registers without AVX).
typedef float Lanes __attribute__((vector_size(32)));
constexpr int32_t kLaneCount = 8;

// Passed by reference: a 32-byte vector by value would change the calling
// convention between the AVX2 and the baseline clone.
inline void AddLanes(Lanes& sum, const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    sum += v;
}

// Smooths positions [first, end) in blocks of 32 neighbouring positions, each
// sum added in the order of the scalar code and rounded to float after every
// addition (a vector float addition rounds each lane exactly as a scalar one).
// A last partial block is done as the whole block ending at `end` when that
// stays at or above `lowest`: recomputing a position gives the same bits.
// Returns the first position left to the scalar code.
SARNOVELLITE_WIDE_CLONES
int32_t smoothLanes(const float* src, float* dst, int32_t first, int32_t end, int32_t lowest, int32_t width,
                    double reciprocal) {
    const int32_t half = width / 2;
    constexpr int32_t kBlock = 4 * kLaneCount;
    while (first < end) {
        if (first + kBlock > end) {
            if (end - kBlock < lowest) return first;
            first = end - kBlock;
        }
        const float* base = src + first - half;
        Lanes s0 = {}, s1 = {}, s2 = {}, s3 = {};
        for (int32_t t = 0; t < width; ++t) {
            AddLanes(s0, base + t);
            AddLanes(s1, base + t + kLaneCount);
            AddLanes(s2, base + t + 2 * kLaneCount);
            AddLanes(s3, base + t + 3 * kLaneCount);
        }
        float sums[kBlock];
        std::memcpy(sums, &s0, sizeof s0);
        std::memcpy(sums + kLaneCount, &s1, sizeof s1);
        std::memcpy(sums + 2 * kLaneCount, &s2, sizeof s2);
        std::memcpy(sums + 3 * kLaneCount, &s3, sizeof s3);
        for (int32_t k = 0; k < kBlock; ++k)
            dst[first + k] = static_cast<float>(static_cast<double>(sums[k]) * reciprocal);
        first += kBlock;
    }
    return first;
}
constexpr bool kHaveLanes = true;
#else
constexpr bool kHaveLanes = false;
int32_t smoothLanes(const float*, float*, int32_t first, int32_t, int32_t, int32_t, double) { return first; }
#endif

}  // namespace

void TQCCrackleDetector::smooth(const float* src, float* dst, int32_t width) const {
    const int32_t n = blockSize;
    const int32_t half = width / 2;
    const double reciprocal = 1.0 / static_cast<double>(width);
    for (int32_t i = 0; i < half && i < n; ++i) dst[i] = src[i];
    // Each position's sum adds src[i - half], src[i - half + 1], ... in that
    // order, rounded to float after every addition. Neighbouring positions are
    // summed side by side, which keeps that order for every position.
    for (int32_t i = smoothLanes(src, dst, half, n - half, half, width, reciprocal); i < n - half; ++i) {
        float sum = 0.0f;
        for (int32_t t = 0; t < width; ++t) sum = roundToFloat(static_cast<double>(sum) + src[i - half + t]);
        dst[i] = roundToFloat(static_cast<double>(sum) * reciprocal);
    }
    for (int32_t i = n - half > half ? n - half : half; i < n; ++i) dst[i] = src[i];
}

namespace {

#if defined(__SSE2__)
// Positions [first, end) in groups of four: the two comparisons for a group at
// once, then one entry per set bit, in ascending order. src[end] must be
// readable. Returns the first position left to the scalar code.
int32_t findPeakGroups(const float* src, int32_t first, int32_t end, int32_t offset, PeakEntry* peaks,
                       int32_t& count) {
    int32_t i = first;
    for (; i + 4 <= end; i += 4) {
        const __m128 here = _mm_loadu_ps(src + i);
        const __m128 above = _mm_and_ps(_mm_cmplt_ps(_mm_loadu_ps(src + i - 1), here),
                                        _mm_cmplt_ps(_mm_loadu_ps(src + i + 1), here));
        for (unsigned bits = static_cast<unsigned>(_mm_movemask_ps(above)); bits != 0; bits &= bits - 1) {
            const int32_t p = i + __builtin_ctz(bits);
            peaks[count++] = PeakEntry{p + offset, src[p]};
        }
    }
    return i;
}
#else
int32_t findPeakGroups(const float*, int32_t first, int32_t, int32_t, PeakEntry*, int32_t&) { return first; }
#endif

// One scalar peak test, for what the groups leave.
inline void findPeakAt(const float* src, int32_t i, int32_t offset, PeakEntry* peaks, int32_t& count) {
    if (src[i - 1] < src[i] && src[i + 1] < src[i]) peaks[count++] = PeakEntry{i + offset, src[i]};
}

}  // namespace

void TQCCrackleDetector::findPeaks(const float* src, int32_t offset) {
    const int32_t n = blockSize;
    peakCount = 0;
    if (n - 1 <= 1) return;
    int32_t count = 0;
    for (int32_t i = findPeakGroups(src, 1, n - 1, offset, peaks, count); i <= n - 2; ++i)
        findPeakAt(src, i, offset, peaks, count);
    peakCount = count;
}

void TQCCrackleDetector::analyseDifferences(const float* x, int32_t width, int32_t newFrames) {
    const int32_t n = blockSize;
    constexpr int32_t kStretch = 32;
    const int32_t half = width / 2;
    if (!kHaveLanes || n < 4 * kStretch) {
        computeDifferences(x);
        smooth(diffs, smoothedDiffs, width);
        findPeaks(diffs, newFrames);
        return;
    }
    storeDifferences(x);
    for (int32_t i = 0; i < half; ++i) {
        smoothedDiffs[i] = diffs[i];
        smoothedDiffs[n - 1 - i] = diffs[n - 1 - i];
    }
    // The float running sum is one chain of dependent additions. Between its
    // links, a stretch at a time, go the smoothing and the peak listing, which
    // do not depend on it: the processor works on them while the sum waits.
    const double reciprocal = 1.0 / static_cast<double>(width);
    float sum = 0.0f;
    int32_t count = 0;
    int32_t nextSmoothed = half;
    int32_t nextPeak = 1;
    for (int32_t from = 1; from < n; from += kStretch) {
        const int32_t to = from + kStretch < n ? from + kStretch : n;
        for (int32_t i = from; i < to; ++i) sum = roundToFloat(static_cast<double>(sum) + diffs[i]);
        const int32_t smoothEnd = nextSmoothed + kStretch < n - half ? nextSmoothed + kStretch : n - half;
        nextSmoothed = smoothLanes(diffs, smoothedDiffs, nextSmoothed, smoothEnd, half, width, reciprocal);
        nextPeak = findPeakGroups(diffs, nextPeak, to < n - 1 ? to : n - 1, newFrames, peaks, count);
    }
    for (int32_t i = nextPeak; i <= n - 2; ++i) findPeakAt(diffs, i, newFrames, peaks, count);
    peakCount = count;
    meanDiff = roundToFloat(static_cast<double>(sum) / static_cast<double>(n - 1));
}

PeakEntry TQCCrackleDetector::selectRank(PeakEntry* e, int32_t n, int32_t k) {
    // Both scans stop at a value that does not compare "beyond" the pivot; a
    // NaN never compares, so it stops them too and no scan leaves [left, right].
    int32_t left = 0;
    int32_t right = n - 1;
    while (left < right) {
        const float pivot = e[k].value;
        int32_t i = left;
        int32_t j = right;
        do {
            while (e[i].value < pivot) ++i;
            while (pivot < e[j].value) --j;
            const PeakEntry held = e[i];
            e[i] = e[j];
            e[j] = held;
            ++i;
            --j;
        } while (!(j < k || k < i));
        if (j < k) left = i;
        if (k < i) right = j;
    }
    return e[k];
}

void TQCCrackleDetector::autocorrelate(const float* x) {
    const int32_t n = blockSize;
    fft->forward(x, spectrum, n);
    // Bins 0 and N/2 stay unsquared: their contribution to short lags is tiny
    // and the result has always been defined this way.
    for (int32_t k = 1; k < n / 2; ++k) {
        const double re = spectrum[2 * k];
        const double im = spectrum[2 * k + 1];
        spectrum[2 * k] = roundToFloat(re * re + im * im);
        spectrum[2 * k + 1] = 0.0f;
    }
    fft->inverse(spectrum, diffs, n);
    for (int32_t i = 3 * n / 8; i < n; ++i) diffs[i] = 0.0f;
}
