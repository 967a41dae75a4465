#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "detector_fixture.h"
#include "test_signals.h"

namespace {

TEST(DetectorAnalysis, ConstantWindowHasZeroDifferencesAndNoPeaks) {
    DetectorFixture f;
    std::fill(f.window(), f.window() + f.n, 0.37f);
    f.detector.computeDifferences(f.window());
    for (int i = 0; i < f.n; ++i) ASSERT_EQ(f.detector.differences()[i], 0.0f);
    EXPECT_EQ(f.detector.meanDifference(), 0.0f);
    f.detector.findPeaks(f.detector.differences(), 0);
    EXPECT_EQ(f.detector.peakListCount(), 0);
}

TEST(DetectorAnalysis, DifferencesAreAbsoluteFirstDifferences) {
    DetectorFixture f;
    auto x = test_signals::whiteNoise(f.n, 0.3, 5);
    std::copy(x.begin(), x.end(), f.window());
    f.detector.computeDifferences(f.window());
    EXPECT_EQ(f.detector.differences()[0], 0.0f);
    double sum = 0.0;
    for (int i = 1; i < f.n; ++i) {
        const float expected = std::fabs(x[static_cast<size_t>(i)] - x[static_cast<size_t>(i - 1)]);
        ASSERT_EQ(f.detector.differences()[i], expected) << i;
        sum += expected;
    }
    EXPECT_NEAR(f.detector.meanDifference(), sum / (f.n - 1), 1e-5 * sum / (f.n - 1));
}

// One difference of 1 followed by 2046 differences of 1e-8: a float running
// sum never grows past 1 (each addend is below half an ulp), a wider one would.
TEST(DetectorAnalysis, MeanUsesAFloatRunningSumAndDividesByNMinusOne) {
    DetectorFixture f;
    float* x = f.window();
    x[0] = 1.0f;
    x[1] = 0.0f;
    for (int i = 2; i < f.n; ++i) x[i] = (i % 2 == 0) ? 1e-8f : 0.0f;
    f.detector.computeDifferences(x);
    EXPECT_EQ(f.detector.meanDifference(), static_cast<float>(1.0 / 2047.0));
}

TEST(DetectorAnalysis, SmoothCopiesTheEdgesAndAveragesTheMiddle) {
    DetectorFixture f;
    auto src = test_signals::whiteNoise(f.n, 1.0, 9);
    std::vector<float> dst(static_cast<size_t>(f.n), -99.0f);
    for (int width : {15, 5}) {
        const int h = width / 2;
        f.detector.smooth(src.data(), dst.data(), width);
        for (int i = 0; i < h; ++i) {
            ASSERT_EQ(dst[static_cast<size_t>(i)], src[static_cast<size_t>(i)]);
            ASSERT_EQ(dst[static_cast<size_t>(f.n - 1 - i)], src[static_cast<size_t>(f.n - 1 - i)]);
        }
        for (int i = h; i < f.n - h; ++i) {
            // In order, rounded to float after each addition (volatile keeps
            // x87 builds from summing in wider registers).
            volatile float s = 0.0f;
            double exact = 0.0;
            for (int t = i - h; t <= i + h; ++t) {
                s = s + src[static_cast<size_t>(t)];
                exact += src[static_cast<size_t>(t)];
            }
            ASSERT_EQ(dst[static_cast<size_t>(i)], static_cast<float>(static_cast<double>(s) * (1.0 / width)))
                << i;
            ASSERT_NEAR(dst[static_cast<size_t>(i)], exact / width, 1e-5) << i;
        }
    }
}

// 1e8 + 1 rounds back to 1e8 in float, so a window summing 1e8, 1, -1e8 in
// that order gives 0 (exactly 0.2 with exact arithmetic).
TEST(DetectorAnalysis, SmoothRoundsTheSumAfterEveryAdditionInOrder) {
    DetectorFixture f;
    std::vector<float> src(static_cast<size_t>(f.n), 0.0f);
    std::vector<float> dst(static_cast<size_t>(f.n));
    src[10] = 1e8f;
    src[11] = 1.0f;
    src[12] = -1e8f;
    f.detector.smooth(src.data(), dst.data(), 5);
    EXPECT_EQ(dst[10], 0.0f);
    EXPECT_EQ(dst[12], 0.0f);
    EXPECT_EQ(dst[9], static_cast<float>(1e8 * (1.0 / 5.0)));
}

TEST(DetectorAnalysis, FindPeaksKeepsOnlyStrictLocalMaxima) {
    DetectorFixture f(6);
    const float src[6] = {0, 1, 0, 2, 2, 0};
    f.detector.findPeaks(src, 100);
    ASSERT_EQ(f.detector.peakListCount(), 1);
    EXPECT_EQ(f.detector.peakList()[0].position, 101);
    EXPECT_EQ(f.detector.peakList()[0].value, 1.0f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float withNan[6] = {0, nan, 0, 3, nan, 0};
    f.detector.findPeaks(withNan, 0);
    EXPECT_EQ(f.detector.peakListCount(), 0);

    const float edges[6] = {9, 1, 1, 1, 1, 9};
    f.detector.findPeaks(edges, 0);
    EXPECT_EQ(f.detector.peakListCount(), 0);
}

// processBlock's one-pass analysis against the three steps run one by one,
// on material with and without peaks, at the system's length and at lengths
// where the pass falls back or ends in partial stretches.
TEST(DetectorAnalysis, OnePassAnalysisEqualsTheStepsOneByOne) {
    for (int n : {2048, 256, 64}) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            DetectorFixture onePass(n), steps(n);
            std::vector<float> x =
                seed == 3 ? test_signals::musicLike(n, seed) : test_signals::whiteNoise(n, 0.2, seed);
            if (seed == 2) std::fill(x.begin(), x.begin() + n / 2, 0.25f);  // a plateau without peaks
            onePass.detector.analyseDifferences(x.data(), 15, 77);
            steps.detector.computeDifferences(x.data());
            std::vector<float> smoothed(static_cast<size_t>(n));
            steps.detector.smooth(steps.detector.differences(), smoothed.data(), 15);
            steps.detector.findPeaks(steps.detector.differences(), 77);
            SCOPED_TRACE(testing::Message() << "n " << n << " seed " << seed);
            EXPECT_EQ(onePass.detector.meanDifference(), steps.detector.meanDifference());
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(onePass.detector.differences()[i], steps.detector.differences()[i]) << i;
                ASSERT_EQ(onePass.detector.smoothedDifferences()[i], smoothed[static_cast<size_t>(i)]) << i;
            }
            ASSERT_EQ(onePass.detector.peakListCount(), steps.detector.peakListCount());
            for (int p = 0; p < steps.detector.peakListCount(); ++p) {
                ASSERT_EQ(onePass.detector.peakList()[p].position, steps.detector.peakList()[p].position)
                    << p;
                ASSERT_EQ(onePass.detector.peakList()[p].value, steps.detector.peakList()[p].value) << p;
            }
        }
    }
}

TEST(DetectorAnalysis, SelectRankReturnsTheKthSmallestValue) {
    PeakEntry e[5] = {{0, 5}, {1, 1}, {2, 4}, {3, 2}, {4, 3}};
    EXPECT_EQ(TQCCrackleDetector::selectRank(e, 5, 2).value, 3.0f);
    PeakEntry one[1] = {{7, 2.5f}};
    EXPECT_EQ(TQCCrackleDetector::selectRank(one, 1, 0).position, 7);

    std::mt19937 rng(77);
    for (int trial = 0; trial < 2000; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 40);
        std::vector<PeakEntry> entries(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) entries[static_cast<size_t>(i)] = {i, static_cast<float>(rng() % 6)};
        std::vector<float> sorted;
        for (const auto& p : entries) sorted.push_back(p.value);
        std::sort(sorted.begin(), sorted.end());
        for (int k : {0, n - 1, static_cast<int>(rng() % static_cast<unsigned>(n))}) {
            auto work = entries;
            const PeakEntry got = TQCCrackleDetector::selectRank(work.data(), n, k);
            ASSERT_EQ(got.value, sorted[static_cast<size_t>(k)]);
            ASSERT_EQ(entries[static_cast<size_t>(got.position)].value, got.value);
            // Still a permutation of the input.
            std::vector<int> positions;
            for (const auto& p : work) positions.push_back(p.position);
            std::sort(positions.begin(), positions.end());
            for (int i = 0; i < n; ++i) ASSERT_EQ(positions[static_cast<size_t>(i)], i);
        }
    }
}

// Six equal values at positions 10..60, rank 3: traced by hand through the
// partitioning, the entry left at index 3 is the one from position 20.
TEST(DetectorAnalysis, SelectRankResolvesTiesByItsPartitioningOrder) {
    PeakEntry e[6] = {{10, 7}, {20, 7}, {30, 7}, {40, 7}, {50, 7}, {60, 7}};
    EXPECT_EQ(TQCCrackleDetector::selectRank(e, 6, 3).position, 20);
}

TEST(DetectorAnalysis, SelectRankStaysInBoundsWithNaNValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::mt19937 rng(3);
    for (int trial = 0; trial < 2000; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 20);
        std::vector<PeakEntry> e(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            e[static_cast<size_t>(i)] = {i, rng() % 3 == 0 ? nan : static_cast<float>(rng() % 4)};
        const int k = static_cast<int>(rng() % static_cast<unsigned>(n));
        const PeakEntry got = TQCCrackleDetector::selectRank(e.data(), n, k);
        ASSERT_GE(got.position, 0);
        ASSERT_LT(got.position, n);
    }
}

TEST(DetectorAnalysis, AutocorrelationMatchesADirectSum) {
    DetectorFixture f;
    const int n = f.n;
    auto x = test_signals::harmonicTone(n, 700.0, 4, 0.4);
    auto noise = test_signals::whiteNoise(n, 0.05, 1);
    for (int i = 0; i < n; ++i) x[static_cast<size_t>(i)] += noise[static_cast<size_t>(i)];
    std::copy(x.begin(), x.end(), f.window());
    f.detector.autocorrelate(f.window());
    const auto r = test_signals::naiveAutocorrelation(x.data(), n);
    double x0 = 0.0;
    double xh = 0.0;
    for (int i = 0; i < n; ++i) {
        x0 += x[static_cast<size_t>(i)];
        xh += (i % 2 == 0 ? 1.0 : -1.0) * x[static_cast<size_t>(i)];
    }
    // The two real bins are not squared, so they contribute X - X^2 instead of 0.
    for (int t = 0; t < 3 * n / 8; ++t) {
        const double expected =
            r[static_cast<size_t>(t)] + (x0 - x0 * x0) / n + (xh - xh * xh) * (t % 2 == 0 ? 1.0 : -1.0) / n;
        ASSERT_NEAR(f.detector.differences()[t], expected, 2e-5 * r[0]) << t;
    }
    for (int t = 3 * n / 8; t < n; ++t) ASSERT_EQ(f.detector.differences()[t], 0.0f);
}

TEST(DetectorAnalysis, AutocorrelationOfSilenceIsZero) {
    DetectorFixture f;
    f.detector.autocorrelate(f.window());
    for (int t = 0; t < f.n; ++t) ASSERT_EQ(f.detector.differences()[t], 0.0f);
}

TEST(DetectorParameters, SettersClampAndIgnoreAsDocumented) {
    DetectorFixture f;
    f.detector.setSensitivity(-3);
    EXPECT_EQ(f.detector.currentThresholdFactor(), 6.0f);
    f.detector.setSensitivity(9);
    EXPECT_EQ(f.detector.currentThresholdFactor(), 2.0f);
    f.detector.setSensitivity(2);
    EXPECT_EQ(f.detector.currentThresholdFactor(), 4.0f);
    f.detector.setClickGap(7);
    EXPECT_EQ(f.detector.currentClickGap(), 32);
    f.detector.setClickGap(65);
    EXPECT_EQ(f.detector.currentClickGap(), 32);
    f.detector.setClickGap(8);
    EXPECT_EQ(f.detector.currentClickGap(), 8);
    f.detector.setClickGap(64);
    EXPECT_EQ(f.detector.currentClickGap(), 64);
}

}  // namespace
