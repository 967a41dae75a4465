// The robust scales against a full sort: every size on both sides of the
// switch between selection methods, with many ties, signs and zeros.
#include "restore/robust_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {
float sortedMedianOfMagnitudes(std::vector<float> v) {
    for (float& x : v) x = std::fabs(x);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

TEST(RestoreRobustScale, MediansMatchAFullSortWithTiesAtEverySize) {
    std::mt19937 random(19);
    std::vector<float> scratch(400);
    for (int levels : {3, 17, 1 << 20}) {
        std::uniform_int_distribution<int> value(-levels, levels);
        for (int32_t n = 1; n <= 300; ++n) {
            std::vector<float> v(static_cast<size_t>(n));
            for (float& x : v) x = 0.125f * static_cast<float>(value(random));
            const float expected = sortedMedianOfMagnitudes(v);
            ASSERT_EQ(robustScale(v.data(), n, scratch.data()), 1.4826f * expected) << "n " << n;
            std::vector<float> copy(v);
            for (float& x : copy) x = std::fabs(x);
            ASSERT_EQ(medianInPlace(copy.data(), n), expected) << "n " << n;
        }
    }
    EXPECT_EQ(robustScale(nullptr, 0, scratch.data()), 0.0f);
}
