// The stream engine with a stand-in detector that copies windows unchanged and
// returns scripted counts.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/tqc_stream_engine.h"
#include "scripted_crackle_detector.h"

namespace {

constexpr int kN = 2048;

// Every sample distinct and exactly representable: frame f, channel c.
float sampleValue(int64_t frame, int channel) { return static_cast<float>(frame * 4 + channel + 1); }

std::vector<float> frames(int channels, int64_t first, int count) {
    std::vector<float> v(static_cast<size_t>(count * channels));
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c)
            v[static_cast<size_t>(i * channels + c)] = sampleValue(first + i, c);
    return v;
}

// Feeds `total` frames in random slices (in place, as the effect does) and
// returns everything that came out.
std::vector<float> runRandomSlices(TQCStreamEngine& engine, int channels, int64_t total, std::mt19937& rng,
                                   int64_t firstFrame = 0) {
    std::vector<float> out;
    int64_t fed = 0;
    while (fed < total) {
        const int n = static_cast<int>(std::min<int64_t>(1 + rng() % kN, total - fed));
        auto block = frames(channels, firstFrame + fed, n);
        EXPECT_TRUE(engine.process(n * channels * 4, block.data(), block.data()));
        out.insert(out.end(), block.begin(), block.end());
        fed += n;
    }
    return out;
}

void expectDelayed(const std::vector<float>& out, int channels, int64_t delay, int64_t firstFrame = 0) {
    const int64_t count = static_cast<int64_t>(out.size()) / channels;
    for (int64_t f = 0; f < count; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int64_t source = f - delay;
            const float expected = source >= 0 ? sampleValue(firstFrame + source, c) : 0.0f;
            ASSERT_EQ(out[static_cast<size_t>(f * channels + c)], expected)
                << "frame " << f << " channel " << c;
        }
    }
}

struct Script {
    explicit Script(int channels) { scripted_detector::resetScript(channels); }
    ~Script() { scripted_detector::resetScript(2); }
};

TEST(StreamPlumbing, RandomSlicesComeOutDelayedByExactlyOneBlock) {
    for (int channels : {1, 2, 3}) {
        Script script(channels);
        TQCStreamEngine engine(kN, channels);
        std::mt19937 rng(100 + channels);
        auto out = runRandomSlices(engine, channels, 3000 * 1024, rng);
        expectDelayed(out, channels, kN);
    }
}

// Unequal counts per channel exercise the carry on every cycle; the stand-in
// changes nothing, so the carried samples are the same input samples.
TEST(StreamPlumbing, RandomCountsPerChannelKeepTheDelayExact) {
    for (int channels : {1, 2}) {
        Script script(channels);
        static std::mt19937 countRng;
        countRng.seed(7);
        scripted_detector::countFor = [](int64_t, int32_t) {
            return static_cast<int32_t>(8 + countRng() % 1785);
        };
        TQCStreamEngine engine(kN, channels);
        std::mt19937 rng(9);
        auto out = runRandomSlices(engine, channels, 2000 * 1024, rng);
        expectDelayed(out, channels, kN);
    }
}

// Counts (a, b) in cycle 0, 1792 for both afterwards, and a marker of 1e6 per
// cycle in the stand-in's output: frames emitted by cycle 1 that come from the
// carry store still carry cycle 0's marker.
void checkCarry(int countLeft, int countRight) {
    Script script(2);
    static int a;
    static int b;
    a = countLeft;
    b = countRight;
    scripted_detector::countFor = [](int64_t cycle, int32_t channel) {
        if (cycle == 0) return channel == 0 ? a : b;
        return 1792;
    };
    scripted_detector::markerStep = 1e6f;
    TQCStreamEngine engine(kN, 2);
    const int first = std::min(a, b);
    std::vector<float> out(static_cast<size_t>(2 * 1792));
    std::vector<float> silence(out.size(), 0.0f);
    ASSERT_TRUE(engine.process(first * 8, silence.data(), out.data()));
    EXPECT_EQ(scripted_detector::calls, 2);
    ASSERT_TRUE(engine.process(1792 * 8, silence.data(), out.data()));
    EXPECT_EQ(scripted_detector::lastNewFrames, first);
    const int carry = std::max(a, b) - first;
    const int lead = b > a ? 1 : 0;
    for (int f = 0; f < 1792; ++f) {
        for (int c = 0; c < 2; ++c) {
            const bool carried = c == lead && f < carry;
            ASSERT_EQ(out[static_cast<size_t>(2 * f + c)], carried ? 0.0f : 1e6f) << f << " " << c;
        }
    }
}

TEST(StreamPlumbing, CarryFollowsTheLeadingChannel) {
    checkCarry(1792, 900);   // 892 carried on channel 0
    checkCarry(900, 1792);   // 892 carried on channel 1
    checkCarry(1000, 1000);  // nothing carried
}

TEST(StreamPlumbing, AdvanceIsTheSmallestCountCappedToOneBlock) {
    Script script(2);
    scripted_detector::countFor = [](int64_t cycle, int32_t channel) {
        switch (cycle) {
            case 0:
                return 5000;  // above N: treated as N
            case 1:
                return channel ? 300 : 700;
            case 2:
                return 0;  // below 1: treated as 1
            default:
                return 1792;
        }
    };
    TQCStreamEngine engine(kN, 2);
    std::vector<float> buf(2 * kN, 0.0f);
    ASSERT_TRUE(engine.process(8 * 2048, buf.data(), buf.data()));  // cycle 0
    EXPECT_EQ(engine.framesPerNextCycle(), 2048);
    ASSERT_TRUE(engine.process(8 * 300, buf.data(), buf.data()));  // cycle 1
    EXPECT_EQ(scripted_detector::lastNewFrames, 2048);
    EXPECT_EQ(engine.framesPerNextCycle(), 300);
    ASSERT_TRUE(engine.process(8, buf.data(), buf.data()));  // cycle 2
    EXPECT_EQ(scripted_detector::lastNewFrames, 300);
    EXPECT_EQ(engine.framesPerNextCycle(), 1);
    ASSERT_TRUE(engine.process(8, buf.data(), buf.data()));  // cycle 3
    EXPECT_EQ(scripted_detector::lastNewFrames, 1);
    EXPECT_EQ(engine.framesPerNextCycle(), 1792);
}

TEST(StreamPlumbing, FirstShortCallRunsOneCycleAndReturnsSilence) {
    Script script(2);
    TQCStreamEngine engine(kN, 2);
    auto block = frames(2, 0, 700);
    ASSERT_TRUE(engine.process(700 * 8, block.data(), block.data()));
    EXPECT_EQ(scripted_detector::calls, 2);
    for (float v : block) ASSERT_EQ(v, 0.0f);
    auto next = frames(2, 700, 1092);
    ASSERT_TRUE(engine.process(1092 * 8, next.data(), next.data()));
    EXPECT_EQ(scripted_detector::calls, 2);  // served from the output ring
}

TEST(StreamPlumbing, MalformedByteCountsAreRefusedAndLeaveTheStreamIntact) {
    Script script(2);
    TQCStreamEngine engine(kN, 2);
    std::mt19937 rng(4);
    std::vector<float> out;
    int64_t fed = 0;
    for (int round = 0; round < 200; ++round) {
        // A refused call: negative, a partial frame, or more than the rings hold.
        const int kind = static_cast<int>(rng() % 3);
        const int bytes = kind == 0   ? -8 * static_cast<int>(1 + rng() % 100)
                          : kind == 1 ? 8 * static_cast<int>(rng() % 100) + 4
                                      : 4 * kN * 2 * 4 + 4;
        std::vector<float> junk(static_cast<size_t>(bytes > 0 ? bytes / 4 + 1 : 1), 5.0f);
        EXPECT_FALSE(engine.process(bytes, junk.data(), junk.data()));
        if (bytes > 0) {
            for (int i = 0; i < bytes / 4; ++i) ASSERT_EQ(junk[static_cast<size_t>(i)], 0.0f);
        }
        EXPECT_TRUE(engine.process(0, nullptr, nullptr));
        const int n = 1 + static_cast<int>(rng() % kN);
        auto block = frames(2, fed, n);
        ASSERT_TRUE(engine.process(n * 8, block.data(), block.data()));
        out.insert(out.end(), block.begin(), block.end());
        fed += n;
    }
    expectDelayed(out, 2, kN);
}

TEST(StreamPlumbing, ResetRightAfterConstructionKeepsTheDelay) {
    Script script(2);
    TQCStreamEngine engine(kN, 2);
    EXPECT_TRUE(engine.reset());
    std::mt19937 rng(1);
    expectDelayed(runRandomSlices(engine, 2, 100000, rng), 2, kN);
}

// A reset drops whatever the stopped stream left in the engine (queues, the
// windows' unemitted frames, channel 1's carry), whatever the last cycle
// emitted: the new input follows one block of silence, and a second reset
// does the same.
TEST(StreamPlumbing, ResetAfterProcessingRestartsWithADelayOfOneBlock) {
    for (int advance : {1792, 1000, 2048}) {
        Script script(2);
        static int count;
        count = advance;
        scripted_detector::countFor = [](int64_t, int32_t channel) {
            return channel == 1 ? count : count - 64;
        };
        TQCStreamEngine engine(kN, 2);
        std::mt19937 rng(advance);
        expectDelayed(runRandomSlices(engine, 2, 50000, rng), 2, kN);
        ASSERT_EQ(engine.framesPerNextCycle(), advance - 64);
        ASSERT_TRUE(engine.reset());
        EXPECT_EQ(engine.framesPerNextCycle(), kN);
        expectDelayed(runRandomSlices(engine, 2, 60000, rng, 1000000), 2, kN, 1000000);
        ASSERT_TRUE(engine.reset());
        expectDelayed(runRandomSlices(engine, 2, 60000, rng, 2000000), 2, kN, 2000000);
    }
}

}  // namespace
