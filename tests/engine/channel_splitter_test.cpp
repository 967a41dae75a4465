#include <gtest/gtest.h>

#include <vector>

#include "engine/tqc_channel_buffers.h"
#include "engine/tqc_channel_splitter.h"

namespace {

constexpr int kN = 16;

struct Buffers {
    explicit Buffers(int channels, int history = 0) { set.init(kN, channels, history); }
    ~Buffers() { set.release(); }
    TQCChannelBuffers set;
    float at(int c, int pos) const { return set.windows[c][pos]; }
};

// Channel c, absolute frame f encoded as one recognisable value.
float tag(int c, int f) { return static_cast<float>(c * 100000 + f + 1); }

std::vector<float> interleavedFrames(int channels, int firstFrame, int frames) {
    std::vector<float> v(static_cast<size_t>(channels * frames));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) v[static_cast<size_t>(i * channels + c)] = tag(c, firstFrame + i);
    return v;
}

TEST(ChannelBuffers, NeverWrittenSamplesReadAsZero) {
    Buffers b(2);
    for (int c = 0; c < 2; ++c)
        for (int pos = -kN; pos < kN; ++pos) EXPECT_EQ(b.at(c, pos), 0.0f);
}

TEST(ChannelSplitter, SplitSlidesHistoryAndWindowByTheNewFrames) {
    for (int channels : {1, 2, 3}) {
        Buffers b(channels);
        TQCChannelSplitter splitter(kN, channels);
        int frame = 0;
        for (int frames : {kN, 1, 5, kN, 3, 0, 7}) {
            auto in = interleavedFrames(channels, frame, frames);
            ASSERT_EQ(splitter.split(in.data(), b.set, frames), frames);
            frame += frames;
            // Window position p holds absolute frame (frame - N + p); history
            // continues backwards; frames before the first read as zero.
            for (int c = 0; c < channels; ++c) {
                for (int pos = -kN; pos < kN; ++pos) {
                    const int absolute = frame - kN + pos;
                    const float expected = absolute >= 0 ? tag(c, absolute) : 0.0f;
                    ASSERT_EQ(b.at(c, pos), expected) << "channels " << channels << " pos " << pos;
                }
            }
        }
    }
}

TEST(ChannelSplitter, OutOfRangeFrameCountsChangeNothing) {
    Buffers b(2);
    TQCChannelSplitter splitter(kN, 2);
    auto in = interleavedFrames(2, 0, kN + 1);
    ASSERT_EQ(splitter.split(in.data(), b.set, kN), kN);
    EXPECT_EQ(splitter.split(in.data(), b.set, kN + 1), 0);
    EXPECT_EQ(splitter.split(in.data(), b.set, -1), 0);
    std::vector<float> out(2 * kN + 2, -5.0f);
    EXPECT_EQ(splitter.merge(out.data(), b.set, kN + 1, 3, 0), 0);
    EXPECT_EQ(splitter.merge(out.data(), b.set, -1, 3, 0), 0);
    EXPECT_EQ(out, std::vector<float>(2 * kN + 2, -5.0f));
    EXPECT_EQ(splitter.carryCount(), 0);
    for (int pos = 0; pos < kN; ++pos) EXPECT_EQ(b.at(1, pos), tag(1, pos));
}

TEST(ChannelSplitter, MergeWithoutCarryIsAPlainInterleave) {
    Buffers b(2);
    TQCChannelSplitter splitter(kN, 2);
    auto in = interleavedFrames(2, 0, kN);
    splitter.split(in.data(), b.set, kN);
    std::vector<float> out(2 * kN);
    ASSERT_EQ(splitter.merge(out.data(), b.set, 9, 0, 0), 9);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], in[static_cast<size_t>(i)]);
}

// Output windows hold a per-cycle marker so the test can tell which cycle a
// sample was taken from.
void fillOutputWindows(Buffers& b, float cycleMarker) {
    for (int c = 0; c < 2; ++c)
        for (int pos = 0; pos < kN; ++pos)
            b.set.windows[c][pos] = cycleMarker + static_cast<float>(c * 1000 + pos);
}

TEST(ChannelSplitter, CarryOfFiveOnChannelOneReplacesItsFirstFramesNextTime) {
    Buffers b(2);
    TQCChannelSplitter splitter(kN, 2);
    std::vector<float> out(2 * kN);
    fillOutputWindows(b, 10000.0f);
    ASSERT_EQ(splitter.merge(out.data(), b.set, 3, 5, 1), 3);
    EXPECT_EQ(splitter.carryCount(), 5);
    EXPECT_EQ(splitter.carryChannelIndex(), 1);
    fillOutputWindows(b, 20000.0f);
    ASSERT_EQ(splitter.merge(out.data(), b.set, 10, 0, 0), 10);
    for (int f = 0; f < 10; ++f) {
        EXPECT_EQ(out[static_cast<size_t>(2 * f)], 20000.0f + f);
        // Frames 3..7 of the first cycle's channel-1 window were saved.
        const float expected1 = f < 5 ? 10000.0f + 1000 + 3 + f : 20000.0f + 1000 + f;
        EXPECT_EQ(out[static_cast<size_t>(2 * f + 1)], expected1) << f;
    }
}

TEST(ChannelSplitter, CarryLongerThanTheMergeFillsEveryEmittedFrame) {
    Buffers b(2);
    TQCChannelSplitter splitter(kN, 2);
    std::vector<float> out(2 * kN);
    fillOutputWindows(b, 10000.0f);
    splitter.merge(out.data(), b.set, 2, 12, 0);  // saves channel-0 positions 2..13
    fillOutputWindows(b, 20000.0f);
    ASSERT_EQ(splitter.merge(out.data(), b.set, 8, 0, 0), 8);
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(out[static_cast<size_t>(2 * f)], 10000.0f + 2 + f);
        EXPECT_EQ(out[static_cast<size_t>(2 * f + 1)], 20000.0f + 1000 + f);
    }
    EXPECT_EQ(splitter.carryCount(), 0);
}

TEST(ChannelSplitter, NoCarryWithOtherChannelCountsOrOversizedCarry) {
    for (int channels : {1, 3}) {
        Buffers b(channels);
        TQCChannelSplitter splitter(kN, channels);
        std::vector<float> out(static_cast<size_t>(channels * kN));
        ASSERT_EQ(splitter.merge(out.data(), b.set, 4, 5, 0), 4);
        EXPECT_EQ(splitter.carryCount(), 0);
    }
    Buffers b(2, 4);
    TQCChannelSplitter splitter(kN, 2);
    std::vector<float> out(2 * kN);
    ASSERT_EQ(splitter.merge(out.data(), b.set, 4, 5, 1), 4);  // history 4 < 5
    EXPECT_EQ(splitter.carryCount(), 0);
}

}  // namespace
