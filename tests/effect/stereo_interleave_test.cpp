#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "effect/stereo_interleave.h"

namespace {

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof(b));
    return b;
}

// Random bit patterns, NaNs and denormals included, must survive unchanged.
std::vector<float> randomPatterns(std::mt19937& random, std::size_t count) {
    std::vector<float> values(count);
    for (float& v : values) {
        const std::uint32_t b = random();
        std::memcpy(&v, &b, sizeof(v));
    }
    return values;
}

}  // namespace

TEST(StereoInterleave, RoundTripsEveryLengthBitForBitAndStaysInBounds) {
    std::mt19937 random(21);
    for (int frames = 0; frames <= 37; ++frames) {
        const std::vector<float> left = randomPatterns(random, frames);
        const std::vector<float> right = randomPatterns(random, frames);
        std::vector<float> interleaved(2 * frames + 2, 7.0f);
        interleaveStereo(left.data(), right.data(), interleaved.data(), frames);
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(bits(interleaved[2 * i]), bits(left[i]));
            ASSERT_EQ(bits(interleaved[2 * i + 1]), bits(right[i]));
        }
        EXPECT_EQ(interleaved[2 * frames], 7.0f);
        EXPECT_EQ(interleaved[2 * frames + 1], 7.0f);

        std::vector<float> outLeft(frames + 1, 3.0f), outRight(frames + 1, 3.0f);
        deinterleaveStereo(interleaved.data(), outLeft.data(), outRight.data(), frames);
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(bits(outLeft[i]), bits(left[i]));
            ASSERT_EQ(bits(outRight[i]), bits(right[i]));
        }
        EXPECT_EQ(outLeft[frames], 3.0f);
        EXPECT_EQ(outRight[frames], 3.0f);
    }
}

TEST(StereoInterleave, NonPositiveFrameCountsCopyNothing) {
    float left[4] = {1, 2, 3, 4}, right[4] = {5, 6, 7, 8}, buffer[8] = {};
    for (std::int32_t frames : {0, -1, -4, -2147483647 - 1}) {
        interleaveStereo(left, right, buffer, frames);
        deinterleaveStereo(buffer, left, right, frames);
    }
    for (float b : buffer) EXPECT_EQ(b, 0.0f);
    EXPECT_EQ(left[0], 1.0f);
    EXPECT_EQ(right[3], 8.0f);
}
