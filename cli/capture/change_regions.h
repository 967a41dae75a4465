// Repaired regions, derived by comparing the processed audio with the input it
// is aligned to, sample by sample and channel by channel.
//
// A sample counts as changed when its processed value differs from the input
// value (as floats, before any conversion back to an integer format). A region
// is a run of changed samples; runs separated by fewer than kJoinGap unchanged
// samples are joined, since a repair can pass through the original value on
// its way. Positions are frame indices in the input, `end` exclusive.
#pragma once

#include <cstdint>
#include <vector>

struct ChangedRegion {
    int channel;
    std::int64_t start;
    std::int64_t end;  // exclusive
};

class ChangeRegionTracker {
public:
    static constexpr std::int64_t kJoinGap = 8;

    // keepRegions false: only count (memory stays flat however many regions).
    ChangeRegionTracker(int channels, bool keepRegions);

    // `frames` interleaved frames of the input and of the aligned output,
    // continuing where the previous call ended.
    void feed(const float* input, const float* output, std::int64_t frames);
    // Closes the regions still open at the end of the stream.
    void finish();

    std::int64_t regionCount() const { return regionCount_; }
    std::int64_t changedSamples() const { return changedSamples_; }
    // Ordered by end, then channel (the order in which regions close).
    const std::vector<ChangedRegion>& regions() const { return regions_; }

private:
    struct OpenRun {
        bool open = false;
        std::int64_t start = 0;
        std::int64_t lastChanged = 0;
    };
    void close(int channel);
    bool anyRunOpen() const;
    void feedFrame(const float* input, const float* output, std::int64_t frame);

    int channels_;
    bool keepRegions_;
    std::int64_t position_ = 0;
    std::int64_t regionCount_ = 0;
    std::int64_t changedSamples_ = 0;
    std::vector<OpenRun> runs_;
    std::vector<ChangedRegion> regions_;
};
