// The seven element-wise vector operations against double-precision math, and
// their status rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/primitives.h"

namespace {

constexpr float kTolerance = 2e-6f;

TEST(VectorOperations, ComputeElementWiseResults) {
    const std::vector<float> a{0.5f, -1.25f, 3.0f, 0.0f, -2.0f};
    const std::vector<float> b{2.0f, 0.75f, -0.5f, -1.0f, -3.0f};
    const int len = 5;
    std::vector<float> complex(2 * len);
    for (int i = 0; i < len; ++i) {
        complex[2 * i] = a[i];
        complex[2 * i + 1] = b[i];
    }
    std::vector<float> out(len), out2(len), outComplex(2 * len);

    ASSERT_EQ(ComplexPhase(complex.data(), out.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) EXPECT_NEAR(out[i], std::atan2(double(b[i]), double(a[i])), kTolerance);
    ASSERT_EQ(ComplexMagnitude(complex.data(), out.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) EXPECT_NEAR(out[i], std::hypot(double(a[i]), double(b[i])), kTolerance * 4);
    ASSERT_EQ(VectorAtan2(b.data(), a.data(), out.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) EXPECT_NEAR(out[i], std::atan2(double(b[i]), double(a[i])), kTolerance);
    ASSERT_EQ(VectorCos(a.data(), out.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) EXPECT_NEAR(out[i], std::cos(double(a[i])), kTolerance);
    ASSERT_EQ(VectorSin(a.data(), out.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) EXPECT_NEAR(out[i], std::sin(double(a[i])), kTolerance);
    ASSERT_EQ(PolarToComplex(b.data(), a.data(), outComplex.data(), len), StatusOk);
    ASSERT_EQ(PolarToSplit(b.data(), a.data(), out.data(), out2.data(), len), StatusOk);
    for (int i = 0; i < len; ++i) {
        const double re = b[i] * std::cos(double(a[i])), im = b[i] * std::sin(double(a[i]));
        EXPECT_NEAR(outComplex[2 * i], re, 4 * kTolerance);
        EXPECT_NEAR(outComplex[2 * i + 1], im, 4 * kTolerance);
        EXPECT_NEAR(out[i], re, 4 * kTolerance);
        EXPECT_NEAR(out2[i], im, 4 * kTolerance);
    }
}

TEST(VectorOperations, RefuseNullArraysBeforeBadLengths) {
    float x[2] = {1.0f, 2.0f}, y[2] = {3.0f, 4.0f}, z[2] = {0.0f, 0.0f}, w[2] = {0.0f, 0.0f};
    for (std::int32_t len : {1, 0}) {
        const std::int32_t bad = (len < 1) ? StatusSizeError : StatusOk;
        EXPECT_EQ(ComplexPhase(nullptr, z, len), StatusNullPointer);
        EXPECT_EQ(ComplexMagnitude(x, nullptr, len), StatusNullPointer);
        EXPECT_EQ(PolarToComplex(x, nullptr, z, len), StatusNullPointer);
        EXPECT_EQ(PolarToSplit(x, y, z, nullptr, len), StatusNullPointer);
        EXPECT_EQ(VectorAtan2(nullptr, y, z, len), StatusNullPointer);
        EXPECT_EQ(VectorCos(x, nullptr, len), StatusNullPointer);
        EXPECT_EQ(VectorSin(nullptr, z, len), StatusNullPointer);
        EXPECT_EQ(ComplexPhase(x, z, len), bad);
        EXPECT_EQ(ComplexMagnitude(x, z, len), bad);
        EXPECT_EQ(PolarToComplex(x, y, z, len), bad);
        EXPECT_EQ(PolarToSplit(x, y, z, w, len), bad);
        EXPECT_EQ(VectorAtan2(x, y, z, len), bad);
        EXPECT_EQ(VectorCos(x, z, len), bad);
        EXPECT_EQ(VectorSin(x, z, len), bad);
    }
    EXPECT_EQ(VectorSin(x, z, -5), StatusSizeError);
}

}  // namespace
