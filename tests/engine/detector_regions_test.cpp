#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "detector_fixture.h"
#include "test_signals.h"

namespace {

using Steps = std::vector<std::pair<int, float>>;

// A window made of level steps: each step of height h at position p gives
// exactly one isolated difference of h, i.e. one difference peak at p.
void loadSteps(DetectorFixture& f, const Steps& steps) {
    float* x = f.window();
    std::fill(x, x + f.n, 0.0f);
    float level = 0.0f;
    float sign = 1.0f;
    size_t next = 0;
    for (int i = 0; i < f.n; ++i) {
        if (next < steps.size() && steps[next].first == i) {
            level += sign * steps[next].second;
            sign = -sign;
            ++next;
        }
        x[i] = level;
    }
}

// n small steps of height 1, five samples apart, starting at `from`.
Steps smallSteps(int count, int from) {
    Steps s;
    for (int i = 0; i < count; ++i) s.push_back({from + 5 * i, 1.0f});
    return s;
}

Steps merged(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    return a;
}

void expectOutputEqualsInput(DetectorFixture& f) {
    ASSERT_EQ(std::memcmp(f.out.data(), f.window(), static_cast<size_t>(f.n) * sizeof(float)), 0);
}

TEST(DetectorRegions, SilentAndConstantWindowsPassThroughWith1792) {
    DetectorFixture f;
    for (float level : {0.0f, -0.25f, 1e-3f}) {
        std::fill(f.window(), f.window() + f.n, level);
        EXPECT_EQ(f.run(), 1792);
        expectOutputEqualsInput(f);
        EXPECT_EQ(f.detector.regionListCount(), 0);
    }
}

// 20 peaks: 18 of height 1, one of 2 (rank 18), one of 15 (rank 19). With the
// reference at rank 18 the threshold is 12 and the 15 forms a region; with
// rank 19 nothing would.
TEST(DetectorRegions, TwentyPeaksUseRankEighteenNineteenUseTheHighest) {
    DetectorFixture f;
    Steps twenty = merged(smallSteps(18, 1300), {{1000, 15.0f}, {1200, 2.0f}});
    loadSteps(f, twenty);
    f.run();
    ASSERT_EQ(f.detector.peakListCount() >= 0, true);
    EXPECT_EQ(f.detector.regionListCount(), 1);

    Steps nineteen = merged(smallSteps(17, 1300), {{1000, 15.0f}, {1200, 2.0f}});
    loadSteps(f, nineteen);
    EXPECT_EQ(f.run(), 1792);
    EXPECT_EQ(f.detector.regionListCount(), 0);
    expectOutputEqualsInput(f);
}

TEST(DetectorRegions, APeakEqualToTheThresholdIsNotUsed) {
    DetectorFixture f;
    // Reference height 1 (rank 18 of 20), factor 6: threshold exactly 6.
    loadSteps(f, merged(smallSteps(19, 1300), {{1000, 6.0f}}));
    ASSERT_EQ(f.detector.differences() != nullptr, true);
    EXPECT_EQ(f.run(), 1792);
    ASSERT_EQ(f.detector.differences()[1000], 6.0f);
    EXPECT_EQ(f.detector.regionListCount(), 0);
    expectOutputEqualsInput(f);

    loadSteps(f, merged(smallSteps(19, 1300), {{1000, std::nextafter(6.0f, 7.0f)}}));
    f.run();
    EXPECT_EQ(f.detector.regionListCount(), 1);
}

TEST(DetectorRegions, PeaksInTheFirstEighthPlusOneAreNeverUsed) {
    DetectorFixture f;
    loadSteps(f, merged(smallSteps(30, 1300), {{100, 50.0f}, {256, 50.0f}}));
    EXPECT_EQ(f.run(), 1792);
    EXPECT_EQ(f.detector.regionListCount(), 0);
    expectOutputEqualsInput(f);

    loadSteps(f, merged(smallSteps(30, 1300), {{257, 50.0f}}));
    f.run();
    EXPECT_EQ(f.detector.regionListCount(), 1);
}

// A lone spike on silence gives two equal differences side by side: a plateau,
// not a peak. The same spike with an unequal neighbour is found.
TEST(DetectorRegions, EqualNeighbouringDifferencesAreNotAPeak) {
    DetectorFixture f;
    loadSteps(f, smallSteps(30, 1300));
    f.window()[800] += 40.0f;
    EXPECT_EQ(f.run(), 1792);
    EXPECT_EQ(f.detector.regionListCount(), 0);
    expectOutputEqualsInput(f);

    f.window()[801] += 20.0f;
    f.run();
    EXPECT_EQ(f.detector.regionListCount(), 1);
}

// Each big step grows a region [j - 8, j + 8] (the 15-point average is above
// the mean within 7 samples of it). Regions whose start lies G samples after
// the previous end stay apart; G - 1 merges them.
TEST(DetectorRegions, RegionsMergeBelowTheClickGapAndStayApartAtIt) {
    DetectorFixture f;
    for (int gap : {32, 8, 64}) {
        f.detector.setClickGap(gap);
        loadSteps(f, merged(smallSteps(100, 1250), {{500, 100.0f}, {500 + 16 + gap, 100.0f}}));
        f.run();
        ASSERT_EQ(f.detector.regionListCount(), 2) << gap;
        EXPECT_EQ(f.detector.regionAt(0).start, 492);
        EXPECT_EQ(f.detector.regionAt(0).end, 508);
        EXPECT_EQ(f.detector.regionAt(1).start, 508 + gap);

        loadSteps(f, merged(smallSteps(100, 1250), {{500, 100.0f}, {500 + 15 + gap, 100.0f}}));
        f.run();
        ASSERT_EQ(f.detector.regionListCount(), 1) << gap;
        EXPECT_EQ(f.detector.regionAt(0).start, 492);
        EXPECT_EQ(f.detector.regionAt(0).end, 500 + 15 + gap + 8);
    }
}

TEST(DetectorRegions, RegionsNearTheWindowEndAreDeferred) {
    DetectorFixture f;
    // Only a late region: nothing repaired, result = start - G - N/8.
    loadSteps(f, merged(smallSteps(100, 700), {{1900, 100.0f}}));
    EXPECT_EQ(f.run(), 1892 - 32 - 256);
    EXPECT_EQ(f.detector.regionListCount(), 0);
    expectOutputEqualsInput(f);

    // An early region is repaired, the late one left for the next window.
    loadSteps(f, merged(smallSteps(100, 700), {{400, 100.0f}, {1900, 100.0f}}));
    EXPECT_EQ(f.run(), 1892 - 32 - 256);
    ASSERT_EQ(f.detector.regionListCount(), 1);
    EXPECT_EQ(f.detector.regionAt(0).start, 392);
    for (int i = 0; i < f.n; ++i) {
        if (i <= 392 || i >= 408) {
            ASSERT_EQ(f.out[static_cast<size_t>(i)], f.window()[i]) << i;
        }
    }
}

TEST(DetectorRegions, DeferralBoundaryFollowsTheGuard) {
    DetectorFixture f;
    // guard = max(N/8, G + lag): a region ending at or before N - guard is
    // repaired, one ending after it deferred. Walk the end across the range.
    int kept = 0;
    int deferred = 0;
    for (int end = 1000; end < 2040; end += 3) {
        loadSteps(f, merged(smallSteps(100, 290), {{end - 8, 100.0f}}));
        const int result = f.run();
        const int guard = std::max(256, 32 + f.detector.chosenLag());
        if (end <= 2048 - guard) {
            ASSERT_EQ(result, 1792) << end;
            ASSERT_EQ(f.detector.regionListCount(), 1) << end;
            ++kept;
        } else {
            ASSERT_EQ(result, std::max(end - 16 - 32 - 256, 32)) << end;
            ASSERT_EQ(f.detector.regionListCount(), 0) << end;
            ++deferred;
        }
    }
    EXPECT_GT(kept, 0);
    EXPECT_GT(deferred, 0);
}

// Random material, random clicks and bursts, every click gap: the result is
// always between G and N - N/8.
TEST(DetectorRegions, ResultAlwaysLiesBetweenTheGapAndSevenEighths) {
    DetectorFixture f;
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int trial = 0; trial < 300; ++trial) {
        const int gap = 8 + static_cast<int>(rng() % 57);
        f.detector.setClickGap(gap);
        f.detector.setSensitivity(static_cast<int>(rng() % 5));
        std::vector<float> signal = (trial % 3 == 0)   ? test_signals::whiteNoise(2 * f.n, 0.01, rng())
                                    : (trial % 3 == 1) ? test_signals::musicLike(2 * f.n, rng())
                                                       : test_signals::sungVowel(2 * f.n, 330.0, 0.3, rng());
        const int clicks = static_cast<int>(rng() % 12);
        for (int c = 0; c < clicks; ++c) {
            const int p = f.n + static_cast<int>(rng() % static_cast<unsigned>(f.n - 300));
            if (rng() % 4 == 0) {
                test_signals::addRingingBurst(signal, p, 0.5 * u(rng), 3000.0, 200);
            } else {
                test_signals::addDampedClick(signal, p, (rng() % 2 ? 1 : -1) * (0.1 + 0.7 * u(rng)));
            }
        }
        f.load(signal);
        const int result = f.run(1 + static_cast<int>(rng() % 2048));
        ASSERT_GE(result, gap);
        ASSERT_LE(result, 1792);
    }
}

// A decaying sine of period P: autocorrelation peaks at P, 2P, 3P are the
// three highest, so the chosen lag is P.
std::vector<float> periodicWithClick(int n, int period) {
    std::vector<float> v(static_cast<size_t>(2 * n));
    for (int i = 0; i < 2 * n; ++i) {
        const double env = std::exp(-static_cast<double>(i - n) / 1500.0);
        v[static_cast<size_t>(i)] = static_cast<float>(0.05 * env * std::sin(6.283185307179586 * i / period));
    }
    test_signals::addDampedClick(v, n + 1000, 0.6);
    return v;
}

TEST(DetectorRegions, LagTenUsesTheBandLimitedFillElevenThePeriodicRepair) {
    for (int period : {10, 11}) {
        DetectorFixture f;
        f.load(periodicWithClick(f.n, period));
        f.run();
        ASSERT_EQ(f.detector.chosenLag(), period);
        ASSERT_GE(f.detector.regionListCount(), 1);

        // Replay the same regions through each method on a second detector.
        DetectorFixture g;
        g.load(periodicWithClick(g.n, period));
        std::vector<ClickRegion> regions;
        for (int r = 0; r < f.detector.regionListCount(); ++r) regions.push_back(f.detector.regionAt(r));
        g.detector.setRegions(regions.data(), static_cast<int>(regions.size()));
        std::vector<float> viaFill(g.window(), g.window() + g.n);
        std::vector<float> viaPeriodic(g.window(), g.window() + g.n);
        g.detector.fillBandLimited(viaFill.data());
        g.detector.repairPeriodic(g.window(), viaPeriodic.data(), period, f.detector.chosenLevel());
        ASSERT_NE(viaFill, viaPeriodic);
        EXPECT_EQ(f.out, period == 10 ? viaFill : viaPeriodic);
    }
}

TEST(DetectorRegions, SameWindowGivesTheSameResultWhateverCameBefore) {
    DetectorFixture f;
    auto signal = test_signals::sungVowel(2 * f.n, 410.0, 0.4, 8);
    test_signals::addDampedClick(signal, f.n + 700, 0.5);
    test_signals::addImpulse(signal, f.n + 1300, -0.4);
    f.load(signal);
    const int first = f.run(1792);
    const std::vector<float> firstOut = f.out;
    ASSERT_GE(f.detector.regionListCount(), 1);

    std::mt19937 rng(5);
    for (int trial = 0; trial < 20; ++trial) {
        // Something else in between, then the same window with another newFrames.
        f.load(test_signals::whiteNoise(2 * f.n, 0.2, rng()));
        f.detector.setClickGap(8 + static_cast<int>(rng() % 57));
        f.run(static_cast<int>(rng() % 2048) + 1);
        f.detector.setClickGap(32);
        f.load(signal);
        ASSERT_EQ(f.run(1 + static_cast<int>(rng() % 2048)), first);
        ASSERT_EQ(f.out, firstOut);
    }
}

TEST(DetectorNonFinite, AWindowHoldingNaNOrInfinityPassesThroughUnrepaired) {
    DetectorFixture f;
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity()};
    for (float special : specials) {
        auto signal = test_signals::whiteNoise(2 * f.n, 0.01, 4);
        test_signals::addDampedClick(signal, f.n + 600, 0.7);
        signal[static_cast<size_t>(f.n + 610)] = special;
        f.load(signal);
        EXPECT_EQ(f.run(), 1792);
        expectOutputEqualsInput(f);
    }
}

TEST(DetectorNonFinite, NonFiniteHistoryNeverReachesARepairedSample) {
    DetectorFixture f;
    auto signal = test_signals::harmonicTone(2 * f.n, 882.0, 3, 0.3);
    for (int i = 0; i < f.n; ++i) signal[static_cast<size_t>(i)] = std::numeric_limits<float>::quiet_NaN();
    signal[static_cast<size_t>(f.n + 25)] += 0.5f;
    f.load(signal);
    // A region so close to the window start that its shifted copy lies in
    // the history.
    const ClickRegion region{20, 30};
    f.detector.setRegions(&region, 1);
    std::vector<float> y(f.window(), f.window() + f.n);
    f.detector.repairPeriodic(f.window(), y.data(), 50, 1e300);
    for (int i = 0; i < f.n; ++i) ASSERT_EQ(y[static_cast<size_t>(i)], f.window()[i]) << i;
}

}  // namespace
