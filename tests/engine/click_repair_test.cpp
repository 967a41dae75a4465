#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "detector_fixture.h"
#include "test_signals.h"

namespace {

constexpr double kScale = 1e-3;

// x[i] = (kScale * i)^2 over history and window. For a quadratic the
// crossfade gives y[j] = x[j] - 4 a w k (n - k) / n with a = kScale^2,
// k = j - s, n = e - s, so the shift w can be read back from y[s + 1].
void loadQuadratic(DetectorFixture& f) {
    for (int i = -f.n; i < f.n; ++i) f.window()[i] = static_cast<float>((kScale * i) * (kScale * i));
}

int measuredShift(const DetectorFixture& f, const std::vector<float>& y, const ClickRegion& r) {
    const int n = r.end - r.start;
    const int j = r.start + 1;
    const double a = kScale * kScale;
    const double x = static_cast<double>(f.storage[static_cast<size_t>(f.n + j)]);
    return static_cast<int>(std::lround((x - y[static_cast<size_t>(j)]) * n / (4.0 * a * (n - 1))));
}

int shiftFor(int start, int length, int lag) {
    DetectorFixture f;
    loadQuadratic(f);
    const ClickRegion region{start, start + length};
    f.detector.setRegions(&region, 1);
    std::vector<float> y(f.window(), f.window() + f.n);
    f.detector.repairPeriodic(f.window(), y.data(), lag, 1e300);
    return measuredShift(f, y, region);
}

TEST(RepairPeriodic, ShiftIsTheSmallestMultipleOfThePeriodAboveTheLength) {
    for (int length = 2; length < 12; ++length) EXPECT_EQ(shiftFor(400, length, 12), 12) << length;
    EXPECT_EQ(shiftFor(400, 12, 12), 24);
    EXPECT_EQ(shiftFor(400, 23, 12), 24);
    EXPECT_EQ(shiftFor(400, 24, 12), 36);
    EXPECT_EQ(shiftFor(400, 25, 12), 36);
    EXPECT_EQ(shiftFor(400, 10, 11), 11);
}

TEST(RepairPeriodic, ShiftIsCutAtTheWindowEnd) {
    // e = 1748, T = 500: 1748 + 500 > 2047, so w = 2047 - 1748 = 299.
    EXPECT_EQ(shiftFor(1738, 10, 500), 299);
    EXPECT_EQ(shiftFor(1738, 10, 299), 299);
}

TEST(RepairPeriodic, StartTakesXsEndIsNeverWrittenOutsideUntouched) {
    DetectorFixture f;
    auto signal = test_signals::harmonicTone(2 * f.n, 700.0, 4, 0.3);
    f.load(signal);
    const ClickRegion regions[2] = {{500, 530}, {900, 903}};
    f.detector.setRegions(regions, 2);
    std::vector<float> y(static_cast<size_t>(f.n), 12345.0f);
    for (int i = 0; i < f.n; ++i) y[static_cast<size_t>(i)] = f.window()[i];
    y[530] = 777.0f;  // the end sample must not be written
    f.detector.repairPeriodic(f.window(), y.data(), 63, 1e300);
    EXPECT_EQ(y[500], f.window()[500]);
    EXPECT_EQ(y[530], 777.0f);
    for (int i = 0; i < f.n; ++i) {
        const bool inside = (i > 500 && i < 530) || (i > 900 && i < 903);
        if (!inside && i != 530) {
            ASSERT_EQ(y[static_cast<size_t>(i)], f.window()[i]) << i;
        }
    }
}

// Only x[s + 1] and x[s + 1 - w] are non-zero, so the correlation sum is
// exactly their product: 2 * 3 = 6.
TEST(RepairPeriodic, CorrelationEqualToTheLevelRepairsAboveItDoesNot) {
    for (double level : {6.0, std::nextafter(6.0, 0.0)}) {
        DetectorFixture f;
        const ClickRegion region{400, 405};  // n = 5, T = 20: w = 20
        f.window()[401] = 2.0f;
        f.window()[381] = 3.0f;
        f.detector.setRegions(&region, 1);
        std::vector<float> y(f.window(), f.window() + f.n);
        f.detector.repairPeriodic(f.window(), y.data(), 20, level);
        if (level == 6.0) {
            EXPECT_NE(y[401], 2.0f);
        } else {
            EXPECT_EQ(y[401], 2.0f);
        }
    }
}

// Straight line, then 7 passes of: low-pass keeping bins below N / (2M),
// region insides replaced by the low-passed signal plus a line matching the
// ends. Reference in double with a direct DFT.
std::vector<double> referenceFill(const std::vector<float>& input, const std::vector<ClickRegion>& regions,
                                  int cutoff) {
    const int n = static_cast<int>(input.size());
    std::vector<double> y(input.begin(), input.end());
    for (const auto& r : regions) {
        const int len = r.end - r.start;
        for (int a = 1; a < len; ++a)
            y[static_cast<size_t>(r.start + a)] =
                y[static_cast<size_t>(r.start)] +
                a * (y[static_cast<size_t>(r.end)] - y[static_cast<size_t>(r.start)]) / len;
    }
    std::vector<double> re, im, p(static_cast<size_t>(n));
    for (int pass = 0; pass < 7; ++pass) {
        test_signals::naiveRealDft(y.data(), n, re, im);
        for (int k = cutoff; k <= n / 2; ++k) re[static_cast<size_t>(k)] = im[static_cast<size_t>(k)] = 0.0;
        test_signals::naiveInverseRealDft(re, im, n, p.data());
        for (const auto& r : regions) {
            const double ds = y[static_cast<size_t>(r.start)] - p[static_cast<size_t>(r.start)];
            const double de = y[static_cast<size_t>(r.end)] - p[static_cast<size_t>(r.end)];
            for (int i = r.start + 1; i < r.end; ++i)
                y[static_cast<size_t>(i)] =
                    p[static_cast<size_t>(i)] + ds + (de - ds) * (i - r.start) / (r.end - r.start);
        }
    }
    return y;
}

double maxDifference(const std::vector<float>& a, const std::vector<double>& b) {
    double m = 0.0;
    for (size_t i = 0; i < a.size(); ++i) m = std::fmax(m, std::fabs(a[i] - b[i]));
    return m;
}

TEST(FillBandLimited, LongestRegionOfSixteenKeepsBinsBelowSixtyFour) {
    DetectorFixture f;
    // Energy right at bins 63 and 64 makes the cut-off visible.
    std::vector<float> x(static_cast<size_t>(f.n));
    for (int i = 0; i < f.n; ++i) {
        x[static_cast<size_t>(i)] = static_cast<float>(0.3 * std::sin(6.283185307179586 * 63 * i / f.n) +
                                                       0.3 * std::cos(6.283185307179586 * 64 * i / f.n) +
                                                       0.1 * std::sin(6.283185307179586 * 5 * i / f.n));
    }
    const std::vector<ClickRegion> regions = {{300, 316}, {900, 905}, {1200, 1201}, {1500, 1500}};
    f.detector.setRegions(regions.data(), static_cast<int>(regions.size()));
    std::vector<float> y = x;
    f.detector.fillBandLimited(y.data());

    const auto expected = referenceFill(x, regions, 64);
    EXPECT_LT(maxDifference(y, expected), 2e-4);
    // The check can tell a neighbouring cut-off apart.
    EXPECT_GT(maxDifference(y, referenceFill(x, regions, 65)), 1e-2);
    EXPECT_GT(maxDifference(y, referenceFill(x, regions, 63)), 1e-2);
    // Ends, regions without inside, and everything outside keep their values.
    for (int i = 0; i < f.n; ++i) {
        const bool inside = (i > 300 && i < 316) || (i > 900 && i < 905);
        if (!inside) {
            ASSERT_EQ(y[static_cast<size_t>(i)], x[static_cast<size_t>(i)]) << i;
        }
    }
}

TEST(FillBandLimited, RegionsLongerThanHalfTheWindowBecomeStraightLines) {
    DetectorFixture f;
    auto x = test_signals::whiteNoise(f.n, 0.2, 11);
    const ClickRegion region{300, 1400};  // M = 1100: cut-off 0, nothing kept
    f.detector.setRegions(&region, 1);
    std::vector<float> y = x;
    f.detector.fillBandLimited(y.data());
    for (int i = 301; i < 1400; ++i) {
        const double line = x[300] + (static_cast<double>(x[1400]) - x[300]) * (i - 300) / 1100.0;
        ASSERT_NEAR(y[static_cast<size_t>(i)], line, 1e-6) << i;
    }
}

}  // namespace
