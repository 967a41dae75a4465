#include "capture/change_regions.h"

ChangeRegionTracker::ChangeRegionTracker(int channels, bool keepRegions)
    : channels_(channels), keepRegions_(keepRegions), runs_(static_cast<std::size_t>(channels)) {}

void ChangeRegionTracker::close(int channel) {
    OpenRun& run = runs_[static_cast<std::size_t>(channel)];
    if (!run.open) return;
    ++regionCount_;
    if (keepRegions_) regions_.push_back({channel, run.start, run.lastChanged + 1});
    run.open = false;
}

namespace {

// Index of the first sample in [from, to) whose output differs from its input
// as floats (NaN always differs here), or `to`. Whole blocks are compared
// without branches first, which runs on vectors.
std::int64_t firstDifference(const float* input, const float* output, std::int64_t from, std::int64_t to) {
    constexpr int kBlock = 32;
    for (; to - from >= kBlock; from += kBlock) {
        int differs = 0;
        for (int i = 0; i < kBlock; ++i) differs |= input[from + i] != output[from + i];
        if (differs) break;
    }
    while (from < to && input[from] == output[from]) ++from;
    return from;
}

}  // namespace

bool ChangeRegionTracker::anyRunOpen() const {
    for (const OpenRun& run : runs_) {
        if (run.open) return true;
    }
    return false;
}

void ChangeRegionTracker::feed(const float* input, const float* output, std::int64_t frames) {
    for (std::int64_t f = 0; f < frames; ++f) {
        // Most audio passes through untouched: with no run open, equal frames
        // neither open nor close anything, so skip straight to the next change.
        if (!anyRunOpen()) {
            f = firstDifference(input, output, f * channels_, frames * channels_) / channels_;
            if (f >= frames) break;
        }
        feedFrame(input + f * channels_, output + f * channels_, position_ + f);
    }
    position_ += frames;
}

void ChangeRegionTracker::feedFrame(const float* input, const float* output, std::int64_t frame) {
    for (int c = 0; c < channels_; ++c) {
        OpenRun& run = runs_[static_cast<std::size_t>(c)];
        const bool bothNaN = input[c] != input[c] && output[c] != output[c];
        if (input[c] != output[c] && !bothNaN) {
            ++changedSamples_;
            if (!run.open) {
                run.open = true;
                run.start = frame;
            }
            run.lastChanged = frame;
        } else if (run.open && frame - run.lastChanged >= kJoinGap) {
            close(c);
        }
    }
}

void ChangeRegionTracker::finish() {
    for (int c = 0; c < channels_; ++c) close(c);
}
