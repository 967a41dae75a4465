// The stream engine with the real detector, driven through process() the way
// the effect drives it: interleaved slices, input and output one buffer.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "engine/tqc_stream_engine.h"
#include "test_signals.h"

namespace {

constexpr int kN = 2048;

std::unique_ptr<TQCStreamEngine> makeEngine(int channels) {
    auto engine = std::make_unique<TQCStreamEngine>(kN, channels);
    engine->detector().setSensitivity(0);
    engine->detector().setClickGap(32);
    return engine;
}

// Interleaves per-channel signals.
std::vector<float> interleave(const std::vector<std::vector<float>>& channels) {
    const size_t frames = channels[0].size();
    std::vector<float> v(frames * channels.size());
    for (size_t f = 0; f < frames; ++f)
        for (size_t c = 0; c < channels.size(); ++c) v[f * channels.size() + c] = channels[c][f];
    return v;
}

// Runs the whole interleaved signal through in slices from `sliceLength`.
template <typename SliceLength>
std::vector<float> runSlices(TQCStreamEngine& engine, std::vector<float> signal, int channels,
                             SliceLength sliceLength) {
    const size_t frames = signal.size() / static_cast<size_t>(channels);
    size_t pos = 0;
    while (pos < frames) {
        const size_t n = std::min<size_t>(static_cast<size_t>(sliceLength()), frames - pos);
        float* p = signal.data() + pos * static_cast<size_t>(channels);
        EXPECT_TRUE(engine.process(static_cast<int32_t>(n * static_cast<size_t>(channels) * 4), p, p));
        pos += n;
    }
    return signal;
}

void expectDelayedBy(const std::vector<float>& in, const std::vector<float>& out, int channels, int delay) {
    const size_t frames = in.size() / static_cast<size_t>(channels);
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const float expected = f >= static_cast<size_t>(delay)
                                       ? in[(f - static_cast<size_t>(delay)) * static_cast<size_t>(channels) +
                                            static_cast<size_t>(c)]
                                       : 0.0f;
            ASSERT_EQ(out[f * static_cast<size_t>(channels) + static_cast<size_t>(c)], expected)
                << "frame " << f << " channel " << c;
        }
    }
}

std::vector<float> slowSines(int frames, int channels) {
    std::vector<std::vector<float>> ch;
    for (int c = 0; c < channels; ++c)
        ch.push_back(test_signals::harmonicTone(frames, 40.0 + 23.0 * c, 1, 0.5, 0.3 * c));
    return interleave(ch);
}

TEST(StreamEngine, RegionFreeInputComesOutDelayedByExactly2048Frames) {
    std::mt19937 rng(31);
    for (int channels : {2, 1}) {
        for (bool silent : {true, false}) {
            auto engine = makeEngine(channels);
            const int frames = 1500 * 1024;
            std::vector<float> in = silent ? std::vector<float>(static_cast<size_t>(frames * channels), 0.0f)
                                           : slowSines(frames, channels);
            auto out = runSlices(*engine, in, channels, [&] { return 1 + rng() % 2048; });
            expectDelayedBy(in, out, channels, kN);
        }
    }
}

TEST(StreamEngine, FirstShortCallReturnsSilence) {
    auto engine = makeEngine(2);
    auto in = slowSines(1792, 2);
    auto out = in;
    ASSERT_TRUE(engine->process(1792 * 8, out.data(), out.data()));
    for (float v : out) ASSERT_EQ(v, 0.0f);
}

// A reset after processing drops everything the engine held: new input,
// clicks and all, comes out exactly as from a new engine, one block late.
TEST(StreamEngine, ResetAfterProcessingStartsAfresh) {
    auto clicked = [](int frames, uint32_t seed) {
        auto left = test_signals::sungVowel(frames, 367.5, 0.3, seed);
        auto right = test_signals::sungVowel(frames, 245.0, 0.3, seed + 1);
        for (int p = 300; p < frames - 300; p += 1300) {
            test_signals::addDampedClick(left, p, 0.6);
            test_signals::addImpulse(right, p + 200, -0.5);
        }
        return interleave({left, right});
    };
    auto engine = makeEngine(2);
    std::mt19937 rng(3);
    runSlices(*engine, clicked(20000, 1), 2, [&] { return 1 + rng() % 2048; });
    ASSERT_TRUE(engine->reset());
    EXPECT_EQ(engine->framesPerNextCycle(), kN);
    const auto in = clicked(30000, 5);
    const auto out = runSlices(*engine, in, 2, [&] { return 1 + rng() % 2048; });
    auto fresh = makeEngine(2);
    EXPECT_EQ(out, runSlices(*fresh, in, 2, [] { return 1000; }));
    ASSERT_TRUE(engine->reset());
    const auto sines = slowSines(10000, 2);
    expectDelayedBy(sines, runSlices(*engine, sines, 2, [&] { return 1 + rng() % 2048; }), 2, kN);
}

TEST(StreamEngine, OversizedCallIsRefusedWithSilence) {
    auto engine = makeEngine(2);
    std::vector<float> big(static_cast<size_t>(4 * kN * 2 + 2), 0.5f);
    EXPECT_FALSE(engine->process(static_cast<int32_t>(big.size() * 4), big.data(), big.data()));
    for (float v : big) ASSERT_EQ(v, 0.0f);
    EXPECT_TRUE(engine->process(0, nullptr, nullptr));
}

std::vector<float> clickyStereo(int frames, uint32_t seed) {
    auto left = test_signals::sungVowel(frames, 367.5, 0.3, seed);
    auto right = test_signals::whiteNoise(frames, 0.01, seed + 1);
    std::mt19937 rng(seed);
    for (int p = 2500; p < frames - 10; p += 700 + static_cast<int>(rng() % 1500)) {
        test_signals::addDampedClick(rng() % 2 ? left : right, p, (rng() % 2 ? 0.5 : -0.4));
        if (rng() % 3 == 0) test_signals::addRingingBurst(left, p, 0.3, 2000.0, 400);
    }
    return interleave({left, right});
}

// The output depends only on the input stream: any slicing gives the same
// samples, bit for bit.
TEST(StreamEngine, OutputDoesNotDependOnTheSlicing) {
    const auto in = clickyStereo(200000, 77);
    auto reference = makeEngine(2);
    const auto expected = runSlices(*reference, in, 2, [] { return 512; });
    std::mt19937 rng(78);
    for (int trial = 0; trial < 3; ++trial) {
        auto engine = makeEngine(2);
        const auto out = runSlices(*engine, in, 2, [&] { return 1 + rng() % 2048; });
        ASSERT_EQ(std::memcmp(out.data(), expected.data(), out.size() * sizeof(float)), 0) << trial;
    }
    // And the repair did something.
    size_t changed = 0;
    for (size_t i = 2 * kN; i < in.size(); ++i) changed += expected[i] != in[i - 2 * kN] ? 1 : 0;
    EXPECT_GT(changed, 100u);
}

// NaN, infinities, huge and denormal values and a full-scale square wave:
// nothing crashes, each non-finite input sample comes out exactly 2048 frames
// later, and no finite input sample turns into a non-finite output sample.
TEST(StreamEngine, NonFiniteAndExtremeInputKeepsDelayAndNeverSpreads) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float specials[] = {
        nan, inf, -inf, 1e30f, -1e30f, 3e38f, -3e38f, std::numeric_limits<float>::denorm_min(), -1e-40f};
    std::mt19937 rng(99);
    for (int round = 0; round < 4; ++round) {
        const int frames = 120000;
        auto in = clickyStereo(frames, 500 + round);
        for (size_t i = 0; i < in.size(); ++i) {
            if (round == 1) in[i] = (i / 2 / 50) % 2 ? 1.0f : -1.0f;  // full-scale square wave
            if (rng() % (round == 3 ? 40 : 3000) == 0) in[i] = specials[rng() % 9];
            if (round == 2 && (i / 20000) % 2 == 1) in[i] *= 1e36f;  // huge stretches
        }
        auto engine = makeEngine(2);
        const auto out = runSlices(*engine, in, 2, [&] { return 1 + rng() % 2048; });
        for (size_t i = 0; i < out.size(); ++i) {
            const bool inputFinite = i < 2 * kN || std::isfinite(in[i - 2 * kN]);
            if (inputFinite) {
                ASSERT_TRUE(std::isfinite(out[i])) << "round " << round << " sample " << i;
            } else {
                ASSERT_FALSE(std::isfinite(out[i])) << "round " << round << " sample " << i;
            }
        }
    }
}

// Parameters change from another thread while audio runs (relaxed atomics;
// the thread sanitizer build checks this).
TEST(StreamEngine, ParametersMayChangeWhileProcessing) {
    auto engine = makeEngine(2);
    std::atomic<bool> done{false};
    std::thread parameterThread([&] {
        int i = 0;
        while (!done.load()) {
            engine->detector().setSensitivity(i % 5);
            engine->detector().setClickGap(8 + (i * 7) % 57);
            ++i;
        }
    });
    const auto in = clickyStereo(100000, 5);
    std::mt19937 rng(6);
    const auto out = runSlices(*engine, in, 2, [&] { return 1 + rng() % 2048; });
    done.store(true);
    parameterThread.join();
    EXPECT_EQ(out.size(), in.size());
}

}  // namespace
