// The stereo engine with the real detector against a model of the stream built
// from plain queues and per-channel arrays: cycles that read `advance` frames,
// slide the windows, let a second detector repair each channel, emit the
// smallest count and carry the leading channel's extra final samples into the
// next cycle's first frames. Clicks make the two channels' counts differ, so
// the carried samples are repaired ones that a later cycle would repair again
// differently; any slip in the cycle, carry, advance or reset order shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

#include "engine/tqc_stream_engine.h"

namespace {

constexpr int kN = 2048;
constexpr int kChannels = 2;

class StreamModel {
public:
    StreamModel() {
        detector_.init(kN, kChannels);
        detector_.setSensitivity(0);
        detector_.setClickGap(32);
        for (auto& v : analysis_) v.assign(3 * kN, 0.0f);
        for (auto& v : repaired_) v.assign(3 * kN, 0.0f);
        prime();
    }
    ~StreamModel() { detector_.release(); }
    StreamModel(const StreamModel&) = delete;
    StreamModel& operator=(const StreamModel&) = delete;

    // A restart: queued frames, windows, advance and carry all start afresh.
    void reset() {
        input_.clear();
        output_.clear();
        for (auto& v : analysis_) std::fill(v.begin(), v.end(), 0.0f);
        for (auto& v : repaired_) std::fill(v.begin(), v.end(), 0.0f);
        advance_ = kN;
        carry_ = 0;
        carryChannel_ = 0;
        prime();
    }

    void process(const float* in, float* out, int frames) {
        input_.insert(input_.end(), in, in + frames * kChannels);
        while (static_cast<int>(output_.size()) < frames * kChannels) cycle();
        for (int i = 0; i < frames * kChannels; ++i) {
            out[i] = output_.front();
            output_.pop_front();
        }
    }

    int carriedCycles() const { return carriedCycles_; }

private:
    void prime() { input_.insert(input_.end(), static_cast<size_t>(kN * kChannels), 0.0f); }

    // Each channel's array: [0, N) history, [N, 2N) window; the repaired
    // array's [N - carry, N) is the carry store.
    void cycle() {
        for (int c = 0; c < kChannels; ++c) {
            auto& a = analysis_[static_cast<size_t>(c)];
            std::copy(a.begin() + advance_, a.begin() + 2 * kN, a.begin());
            for (int f = 0; f < advance_; ++f)
                a[static_cast<size_t>(2 * kN - advance_ + f)] =
                    input_[static_cast<size_t>(f * kChannels + c)];
        }
        input_.erase(input_.begin(), input_.begin() + advance_ * kChannels);
        const int newFrames = advance_;
        int counts[kChannels];
        for (int c = 0; c < kChannels; ++c) {
            counts[c] = detector_.processBlock(analysis_[static_cast<size_t>(c)].data() + kN,
                                               repaired_[static_cast<size_t>(c)].data() + kN, newFrames);
        }
        advance_ = std::min({kN, counts[0], counts[1]});
        for (int f = 0; f < advance_; ++f) {
            for (int c = 0; c < kChannels; ++c) {
                const auto& r = repaired_[static_cast<size_t>(c)];
                const bool carried = c == carryChannel_ && f < carry_;
                output_.push_back(r[static_cast<size_t>(kN + f - (carried ? carry_ : 0))]);
            }
        }
        const int lead = counts[1] > counts[0] ? 1 : 0;
        const int extra = std::abs(counts[1] - counts[0]);
        auto& r = repaired_[static_cast<size_t>(lead)];
        for (int k = 0; k < extra; ++k)
            r[static_cast<size_t>(kN - extra + k)] = r[static_cast<size_t>(kN + advance_ + k)];
        carry_ = extra;
        carryChannel_ = lead;
        if (extra > 0) ++carriedCycles_;
    }

    TQCCrackleDetector detector_;
    std::vector<float> analysis_[kChannels];
    std::vector<float> repaired_[kChannels];
    std::deque<float> input_;
    std::deque<float> output_;
    int advance_ = kN;
    int carry_ = 0;
    int carryChannel_ = 0;
    int carriedCycles_ = 0;
};

TEST(StreamModelComparison, StereoEngineWithClicksMatchesAQueueModelExactly) {
    TQCStreamEngine engine(kN, kChannels);
    engine.detector().setSensitivity(0);
    engine.detector().setClickGap(32);
    StreamModel model;
    std::mt19937 rng(4242);
    std::normal_distribution<double> noise(0.0, 0.01);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    double phase = 0.0;
    for (int call = 0; call < 1500; ++call) {
        const int frames = 1 + static_cast<int>(rng() % kN);
        std::vector<float> block(static_cast<size_t>(frames * kChannels));
        for (int f = 0; f < frames; ++f) {
            phase += 6.283185307179586 / 37.3;
            for (int c = 0; c < kChannels; ++c) {
                double v = 0.5 * std::sin(phase * (c + 1)) + noise(rng);
                // Clicks on one channel at a time, so the channels' counts differ.
                if (u(rng) < 0.003) v += (u(rng) - 0.5) * 3.0;
                block[static_cast<size_t>(f * kChannels + c)] = static_cast<float>(v);
            }
        }
        if (call % 500 == 250) {
            ASSERT_TRUE(engine.reset());
            model.reset();
        }
        std::vector<float> expected(block.size());
        model.process(block.data(), expected.data(), frames);
        ASSERT_TRUE(engine.process(frames * kChannels * 4, block.data(), block.data()));
        ASSERT_EQ(block, expected) << "call " << call;
    }
    EXPECT_GT(model.carriedCycles(), 100);
}

}  // namespace
