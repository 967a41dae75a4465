#include "tools/change_regions.h"

ChangeRegionTracker::ChangeRegionTracker(int channels, bool keepRegions)
    : channels_(channels), keepRegions_(keepRegions), runs_(static_cast<std::size_t>(channels)) {}

void ChangeRegionTracker::close(int channel) {
    OpenRun& run = runs_[static_cast<std::size_t>(channel)];
    if (!run.open) return;
    ++regionCount_;
    if (keepRegions_) regions_.push_back({channel, run.start, run.lastChanged + 1});
    run.open = false;
}

void ChangeRegionTracker::feed(const float* input, const float* output, std::int64_t frames) {
    for (std::int64_t f = 0; f < frames; ++f) {
        const std::int64_t frame = position_ + f;
        for (int c = 0; c < channels_; ++c) {
            const std::int64_t i = f * channels_ + c;
            OpenRun& run = runs_[static_cast<std::size_t>(c)];
            const bool bothNaN = input[i] != input[i] && output[i] != output[i];
            if (input[i] != output[i] && !bothNaN) {
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
    position_ += frames;
}

void ChangeRegionTracker::finish() {
    for (int c = 0; c < channels_; ++c) close(c);
}
