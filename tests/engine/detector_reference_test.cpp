// The detector's whole per-window procedure against a straight-line model of
// its rules, over random material with random clicks, sensitivities and gaps:
// the threshold from the 95th-percentile difference peak, region growing and
// merging, the period choice, the deferral near the window end, both repairs
// and the returned count. The model shares no code with the detector; the only
// thing it borrows is the smoothed autocorrelation the detector exposes (the
// autocorrelation itself is checked against a direct sum elsewhere), so that
// near-equal autocorrelation peaks cannot make the two disagree by rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "detector_fixture.h"
#include "test_signals.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

float toFloat(double v) {
    volatile float f = static_cast<float>(v);
    return f;
}

// Partition selection of rank k, compared by value only; equal values come
// back in the order this exact procedure leaves them.
PeakEntry modelSelect(std::vector<PeakEntry> e, int k) {
    int left = 0;
    int right = static_cast<int>(e.size()) - 1;
    while (left < right) {
        const float pivot = e[static_cast<size_t>(k)].value;
        int i = left;
        int j = right;
        do {
            while (e[static_cast<size_t>(i)].value < pivot) ++i;
            while (pivot < e[static_cast<size_t>(j)].value) --j;
            std::swap(e[static_cast<size_t>(i)], e[static_cast<size_t>(j)]);
            ++i;
            --j;
        } while (j >= k && k >= i);
        if (j < k) left = i;
        if (k < i) right = j;
    }
    return e[static_cast<size_t>(k)];
}

std::vector<PeakEntry> strictMaxima(const std::vector<float>& v) {
    std::vector<PeakEntry> peaks;
    for (int i = 1; i + 1 < static_cast<int>(v.size()); ++i) {
        const float c = v[static_cast<size_t>(i)];
        if (v[static_cast<size_t>(i - 1)] < c && v[static_cast<size_t>(i + 1)] < c) peaks.push_back({i, c});
    }
    return peaks;
}

enum class Repair { None, Periodic, Fill };

struct ModelResult {
    int count = 0;
    std::vector<ClickRegion> regions;  // after the deferral
    bool analysedPeriod = false;
    int lag = 0;
    double level = 0.0;
    Repair repair = Repair::None;
    std::vector<float> y;
};

// Low-pass by direct DFT in double, keeping bins 0..cut-1 (cut <= N/2, so bin
// N/2 is always removed).
class DirectLowPass {
public:
    explicit DirectLowPass(int n) : n_(n), cosine_(static_cast<size_t>(n)), sine_(static_cast<size_t>(n)) {
        for (int m = 0; m < n; ++m) {
            cosine_[static_cast<size_t>(m)] = std::cos(kTwoPi * m / n);
            sine_[static_cast<size_t>(m)] = std::sin(kTwoPi * m / n);
        }
    }
    std::vector<double> apply(const std::vector<float>& y, int cut) const {
        std::vector<double> re(static_cast<size_t>(cut)), im(static_cast<size_t>(cut));
        for (int k = 0; k < cut; ++k) {
            double sr = 0.0, si = 0.0;
            for (int i = 0; i < n_; ++i) {
                const size_t phase = static_cast<size_t>((static_cast<int64_t>(i) * k) % n_);
                sr += y[static_cast<size_t>(i)] * cosine_[phase];
                si -= y[static_cast<size_t>(i)] * sine_[phase];
            }
            re[static_cast<size_t>(k)] = sr;
            im[static_cast<size_t>(k)] = si;
        }
        std::vector<double> p(static_cast<size_t>(n_));
        for (int i = 0; i < n_; ++i) {
            double s = cut > 0 ? re[0] : 0.0;
            for (int k = 1; k < cut; ++k) {
                const size_t phase = static_cast<size_t>((static_cast<int64_t>(i) * k) % n_);
                s += 2.0 * (re[static_cast<size_t>(k)] * cosine_[phase] -
                            im[static_cast<size_t>(k)] * sine_[phase]);
            }
            p[static_cast<size_t>(i)] = s / n_;
        }
        return p;
    }

private:
    int n_;
    std::vector<double> cosine_, sine_;
};

ModelResult modelProcess(const float* x, int n, float factor, int gap, const float* smoothedAutocorr,
                         const DirectLowPass& lowPass) {
    ModelResult r;
    r.y.assign(x, x + n);
    const int eighth = n / 8;

    std::vector<float> d(static_cast<size_t>(n), 0.0f);
    float sum = 0.0f;
    for (int i = 1; i < n; ++i) {
        d[static_cast<size_t>(i)] = toFloat(std::fabs(static_cast<double>(x[i]) - x[i - 1]));
        sum = toFloat(static_cast<double>(sum) + d[static_cast<size_t>(i)]);
    }
    const float mean = toFloat(static_cast<double>(sum) / (n - 1));
    std::vector<float> s(d);
    for (int i = 7; i < n - 7; ++i) {
        float acc = 0.0f;
        for (int t = 0; t < 15; ++t)
            acc = toFloat(static_cast<double>(acc) + d[static_cast<size_t>(i - 7 + t)]);
        s[static_cast<size_t>(i)] = toFloat(acc * (1.0 / 15.0));
    }

    int base = n;
    std::vector<ClickRegion> regions;
    const std::vector<PeakEntry> peaks = strictMaxima(d);
    if (!peaks.empty()) {
        const int k = static_cast<int>(static_cast<double>(peaks.size()) * static_cast<double>(0.95f));
        const float threshold = toFloat(static_cast<double>(factor) * modelSelect(peaks, k).value);
        for (const PeakEntry& p : peaks) {
            const int j = p.position;
            if (!(threshold < p.value) || j <= eighth) continue;
            if (!regions.empty() && regions.back().start < j && j < regions.back().end) continue;
            int c = j;
            while (c > 0 && s[static_cast<size_t>(c)] > mean) --c;
            int e = j;
            while (e < n - 1 && s[static_cast<size_t>(e)] > mean) ++e;
            if (!regions.empty() && c < regions.back().end + gap) {
                regions.back().end = e;
            } else {
                regions.push_back({c, e});
            }
        }
    }
    if (regions.empty()) {
        r.count = std::max(base - eighth, gap);
        return r;
    }

    r.analysedPeriod = true;
    const std::vector<PeakEntry> lags =
        strictMaxima(std::vector<float>(smoothedAutocorr, smoothedAutocorr + n));
    if (lags.size() >= 6) {
        const PeakEntry third = modelSelect(lags, static_cast<int>(lags.size()) - 3);
        r.lag = third.position;
        float u = third.value;
        for (const PeakEntry& p : lags) {
            if (p.value > third.value && p.position < r.lag) {
                r.lag = p.position;
                u = p.value;
            }
        }
        r.level = static_cast<double>(u) / (0.5 - static_cast<double>(r.lag) / n);
    }

    const int guard = std::max(eighth, gap + r.lag);
    while (!regions.empty() && regions.back().end > n - guard) {
        base = regions.back().start - gap;
        regions.pop_back();
    }
    r.regions = regions;
    r.count = std::max(base - eighth, gap);
    if (regions.empty()) return r;

    if (r.lag > 10 && r.lag < n / 2) {
        r.repair = Repair::Periodic;
        const int t = r.lag;
        for (const ClickRegion& region : regions) {
            const int a = region.start, b = region.end, len = b - a;
            int w = (len / t + 1) * t;
            if (b + w > n - 1) w = n - 1 - b;
            const double d1 = static_cast<double>(x[a]) - x[a - w];
            const double d2 = static_cast<double>(x[b]) - x[b + w];
            double corr = 0.0;
            for (int i = a; i <= b; ++i)
                corr += static_cast<double>(x[i]) * (static_cast<double>(x[i - w]) + x[i + w]);
            if (!(corr <= r.level)) continue;
            for (int j = a; j < b; ++j) {
                const double k = j - a;
                r.y[static_cast<size_t>(j)] =
                    static_cast<float>(x[j - w] + d1 + k * (d2 - d1 + x[j + w] - x[j - w]) / len);
            }
        }
    } else {
        r.repair = Repair::Fill;
        int longest = 1;
        for (const ClickRegion& region : regions) longest = std::max(longest, region.end - region.start);
        for (const ClickRegion& region : regions) {
            const int len = region.end - region.start;
            const double ys = r.y[static_cast<size_t>(region.start)];
            const double ye = r.y[static_cast<size_t>(region.end)];
            for (int a = 1; a < len; ++a)
                r.y[static_cast<size_t>(region.start + a)] = static_cast<float>(ys + a * (ye - ys) / len);
        }
        const int cut = n / (2 * longest);
        for (int pass = 0; pass < 7; ++pass) {
            const std::vector<double> p = lowPass.apply(r.y, cut);
            for (const ClickRegion& region : regions) {
                const int a = region.start, b = region.end;
                const double ds = r.y[static_cast<size_t>(a)] - p[static_cast<size_t>(a)];
                const double de = r.y[static_cast<size_t>(b)] - p[static_cast<size_t>(b)];
                for (int i = a + 1; i < b; ++i)
                    r.y[static_cast<size_t>(i)] =
                        static_cast<float>(p[static_cast<size_t>(i)] + ds + (de - ds) * (i - a) / (b - a));
            }
        }
    }
    return r;
}

std::vector<float> randomMaterial(int length, std::mt19937& rng) {
    switch (rng() % 5) {
        case 0:
            return test_signals::sungVowel(length, 150.0 + static_cast<double>(rng() % 400), 0.3, rng());
        case 1:
            return test_signals::musicLike(length, rng());
        case 2:
            return test_signals::whiteNoise(length, 0.02, rng());
        // Periods of 6 to 10 samples: lags too short for the crossfade.
        case 3:
            return test_signals::harmonicTone(length, test_signals::kSampleRate / (6 + rng() % 5), 3, 0.2);
        default:
            return test_signals::harmonicTone(length, 100.0 + static_cast<double>(rng() % 1500), 4, 0.3);
    }
}

TEST(DetectorReference, WholeWindowProcedureMatchesAModelOfItsRules) {
    DetectorFixture f;
    const DirectLowPass lowPass(f.n);
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int seen[3] = {0, 0, 0};
    int deferred = 0;
    for (int trial = 0; trial < 240; ++trial) {
        std::vector<float> signal = randomMaterial(2 * f.n, rng);
        const int clicks = static_cast<int>(rng() % 10);
        for (int c = 0; c < clicks; ++c) {
            // Anywhere in the window, the last samples included, so that regions
            // near the end get deferred.
            const int span = 10 + static_cast<int>(rng() % 150);
            const int p = f.n + static_cast<int>(rng() % static_cast<unsigned>(f.n - span));
            const double amplitude = (rng() % 2 ? 1.0 : -1.0) * (0.05 + 0.8 * u(rng));
            switch (rng() % 3) {
                case 0:
                    test_signals::addImpulse(signal, p, amplitude);
                    break;
                case 1:
                    test_signals::addDampedClick(signal, p, amplitude);
                    break;
                default:
                    test_signals::addRingingBurst(signal, p, 0.5 * amplitude, 3000.0, span);
            }
        }
        const int level = static_cast<int>(rng() % 5);
        const int gap = 8 + static_cast<int>(rng() % 57);
        f.detector.setSensitivity(level);
        f.detector.setClickGap(gap);
        f.load(signal);
        const int count = f.run(1 + static_cast<int>(rng() % 2048));

        const ModelResult m = modelProcess(f.window(), f.n, static_cast<float>(6 - level), gap,
                                           f.detector.smoothedAutocorrelation(), lowPass);
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        ASSERT_EQ(count, m.count);
        if (m.analysedPeriod) {
            ASSERT_EQ(f.detector.chosenLag(), m.lag);
            ASSERT_EQ(f.detector.chosenLevel(), m.level);
        }
        if (m.regions.empty()) {
            ASSERT_EQ(f.out, std::vector<float>(f.window(), f.window() + f.n));
        } else {
            ASSERT_EQ(f.detector.regionListCount(), static_cast<int>(m.regions.size()));
            for (size_t i = 0; i < m.regions.size(); ++i) {
                ASSERT_EQ(f.detector.regionAt(static_cast<int>(i)).start, m.regions[i].start);
                ASSERT_EQ(f.detector.regionAt(static_cast<int>(i)).end, m.regions[i].end);
            }
        }
        if (m.repair == Repair::Fill) {
            // The transforms round in single precision; the model does not.
            double scale = 0.0;
            for (float v : m.y) scale = std::max(scale, static_cast<double>(std::fabs(v)));
            for (int i = 0; i < f.n; ++i)
                ASSERT_NEAR(f.out[static_cast<size_t>(i)], m.y[static_cast<size_t>(i)], 2e-5 * scale) << i;
        } else {
            ASSERT_EQ(f.out, m.y);
        }
        ++seen[static_cast<int>(m.repair)];
        if (m.count < 1792) ++deferred;
    }
    // Every branch of the procedure was reached.
    EXPECT_GT(seen[static_cast<int>(Repair::None)], 20);
    EXPECT_GT(seen[static_cast<int>(Repair::Periodic)], 20);
    EXPECT_GT(seen[static_cast<int>(Repair::Fill)], 20);
    EXPECT_GT(deferred, 10);
}

}  // namespace
