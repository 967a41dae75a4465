#include <cmath>

#include "dsp/tqc_real_fft.h"
#include "engine/float_rounding.h"
#include "engine/tqc_crackle_detector.h"

void TQCCrackleDetector::computeDifferences(const float* x) {
    const int32_t n = blockSize;
    diffs[0] = 0.0f;
    // The running sum is a float on purpose: the mean decides where region
    // walks stop, and it must round exactly the same way every time.
    float sum = 0.0f;
    for (int32_t i = 1; i < n; ++i) {
        const float difference =
            roundToFloat(std::fabs(static_cast<double>(x[i]) - static_cast<double>(x[i - 1])));
        diffs[i] = difference;
        sum = roundToFloat(static_cast<double>(sum) + difference);
    }
    meanDiff = roundToFloat(static_cast<double>(sum) / static_cast<double>(n - 1));
}

void TQCCrackleDetector::smooth(const float* src, float* dst, int32_t width) const {
    const int32_t n = blockSize;
    const int32_t half = width / 2;
    const double reciprocal = 1.0 / static_cast<double>(width);
    for (int32_t i = 0; i < half && i < n; ++i) dst[i] = src[i];
    // Each position's sum adds src[i - half], src[i - half + 1], ... in that
    // order, rounded to float after every addition. Running the additions for
    // a chunk of neighbouring positions side by side keeps that order for every
    // position while letting the compiler use vector registers.
    constexpr int32_t kChunk = 64;
    int32_t first = half;
    for (; first + kChunk <= n - half; first += kChunk) {
        float sums[kChunk] = {};
        const float* base = src + first - half;
        for (int32_t t = 0; t < width; ++t) {
            for (int32_t k = 0; k < kChunk; ++k) sums[k] = roundToFloat(static_cast<double>(sums[k]) + base[k + t]);
        }
        for (int32_t k = 0; k < kChunk; ++k) dst[first + k] = roundToFloat(static_cast<double>(sums[k]) * reciprocal);
    }
    for (int32_t i = first; i < n - half; ++i) {
        float sum = 0.0f;
        for (int32_t t = 0; t < width; ++t) sum = roundToFloat(static_cast<double>(sum) + src[i - half + t]);
        dst[i] = roundToFloat(static_cast<double>(sum) * reciprocal);
    }
    for (int32_t i = n - half > half ? n - half : half; i < n; ++i) dst[i] = src[i];
}

void TQCCrackleDetector::findPeaks(const float* src, int32_t offset) {
    const int32_t n = blockSize;
    peakCount = 0;
    if (n - 1 <= 1) return;
    // Written unconditionally and kept only when it is a peak: the slot at
    // peakCount (< i) is free either way, and the loop has no hard-to-predict
    // branch.
    int32_t count = 0;
    for (int32_t i = 1; i <= n - 2; ++i) {
        peaks[count] = PeakEntry{i + offset, src[i]};
        count += (src[i - 1] < src[i]) & (src[i + 1] < src[i]);
    }
    peakCount = count;
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
