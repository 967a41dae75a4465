// What the HTML report draws for one file, gathered while it streams: the
// waveform envelope of the input and the before/after close-ups of the
// largest regions. Memory is bounded (see WaveformEnvelope, RegionCloseUps).
#pragma once

#include <cstdint>
#include <vector>

#include "capture/change_regions.h"
#include "capture/region_close_ups.h"
#include "capture/waveform_envelope.h"

struct RepairPictures {
    std::int64_t framesPerBucket = 1;
    std::vector<std::vector<EnvelopeBucket>> envelope;  // per channel, of the input
    std::vector<RegionCloseUp> closeUps;                // largest regions first
    std::int64_t closeUpsLeftOut = 0;                   // regions without a close-up
};

class RepairPictureCollector {
public:
    static constexpr int kEnvelopeBuckets = 2048;
    static constexpr std::size_t kMaxCloseUps = 48;

    explicit RepairPictureCollector(int channels);

    // The next `frames` aligned frames (interleaved input and output, as the
    // change tracker saw them) and the tracker's region list after it saw them.
    void feed(const float* input, const float* output, std::int64_t frames,
              const std::vector<ChangedRegion>& regions);
    // After the tracker's finish(), with its final region list.
    void finish(const std::vector<ChangedRegion>& regions);
    RepairPictures take();

private:
    void addNewRegions(const std::vector<ChangedRegion>& regions);

    int channels_;
    WaveformEnvelope envelope_;
    RegionCloseUps closeUps_;
    std::size_t regionsSeen_ = 0;
};
