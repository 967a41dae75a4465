#include <cmath>
#include <cstring>

#include "dsp/tqc_real_fft.h"
#include "engine/tqc_crackle_detector.h"

namespace {
constexpr int kLowPassPasses = 7;
}

void TQCCrackleDetector::repairPeriodic(const float* x, float* y, int32_t lag, double level) {
    const int32_t n = blockSize;
    for (int32_t r = 0; r < regionCount; ++r) {
        const ClickRegion region = regionAt(r);
        const int32_t s = region.start;
        const int32_t e = region.end;
        const int32_t length = e - s;
        // Smallest whole number of periods longer than the region, cut so that
        // x[e + w] stays inside the window (ends are <= N - N/8, so w > 0, and
        // s >= 0 keeps x[s - w] within the N - 1 samples of history).
        int32_t w = length - (length % lag) + lag;
        if (e + w > n - 1) w = n - 1 - e;
        const double d1 = static_cast<double>(x[s]) - static_cast<double>(x[s - w]);
        const double d2 = static_cast<double>(x[e]) - static_cast<double>(x[e + w]);
        double correlation = 0.0;
        for (int32_t i = s; i <= e; ++i) {
            correlation +=
                static_cast<double>(x[i]) * (static_cast<double>(x[i - w]) + static_cast<double>(x[i + w]));
        }
        // Too similar to its shifted copies to be a click (or NaN): keep it.
        if (!(correlation <= level)) continue;
        for (int32_t j = s; j < e; ++j) {
            const double k = j - s;
            const double before = x[j - w];
            const double after = x[j + w];
            y[j] = static_cast<float>(before + d1 + k * (d2 - d1 + after - before) / length);
        }
        // A non-finite sample in the history (or a result beyond the float
        // range) must not replace finite input: keep the region as it came.
        bool finite = true;
        for (int32_t j = s; j < e; ++j) finite = finite && std::isfinite(y[j]);
        if (!finite) std::memcpy(y + s, x + s, static_cast<size_t>(length) * sizeof(float));
    }
}

void TQCCrackleDetector::fillBandLimited(float* y) {
    const int32_t n = blockSize;
    int32_t longest = 1;
    for (int32_t r = 0; r < regionCount; ++r) {
        const ClickRegion region = regionAt(r);
        if (region.end - region.start > longest) longest = region.end - region.start;
    }
    for (int32_t r = 0; r < regionCount; ++r) {
        const ClickRegion region = regionAt(r);
        const int32_t s = region.start;
        const int32_t length = region.end - s;
        if (length <= 0) continue;
        const double ys = y[s];
        const double step = static_cast<double>(y[region.end]) - ys;
        // Interior only: the end samples keep their exact values.
        for (int32_t a = 1; a < length; ++a) y[s + a] = static_cast<float>(ys + a * step / length);
    }
    const int32_t cutoff = n / (2 * longest);
    float* lowPassed = diffs;
    for (int pass = 0; pass < kLowPassPasses; ++pass) {
        fft->forward(y, spectrum, n);
        if (cutoff <= n / 2) {
            std::memset(spectrum + 2 * cutoff, 0,
                        static_cast<size_t>(2 * (n / 2 - cutoff + 1)) * sizeof(float));
        }
        fft->inverse(spectrum, lowPassed, n);
        for (int32_t r = 0; r < regionCount; ++r) {
            const ClickRegion region = regionAt(r);
            const int32_t s = region.start;
            const int32_t e = region.end;
            const double ds = static_cast<double>(y[s]) - static_cast<double>(lowPassed[s]);
            const double de = static_cast<double>(y[e]) - static_cast<double>(lowPassed[e]);
            for (int32_t i = s + 1; i < e; ++i) {
                y[i] = static_cast<float>(static_cast<double>(lowPassed[i]) + ds +
                                          (de - ds) * (i - s) / (e - s));
            }
        }
    }
}
