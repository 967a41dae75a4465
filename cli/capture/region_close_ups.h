// Short before/after excerpts around repaired regions, captured while the
// file streams past, for the largest `maxCloseUps` regions only.
//
// The last kHistoryFrames frames of input and output are kept in a ring.
// When a region closes, its excerpt (the region with up to its own length of
// context on each side, at least kMinContext frames, at most kMaxExcerpt
// frames in all) is taken once the frames after it have arrived. A region
// longer than the ring shows the part the ring still holds. Memory is bounded
// by the ring and maxCloseUps excerpts, whatever the file's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "capture/change_regions.h"

struct RegionCloseUp {
    ChangedRegion region;
    std::int64_t firstFrame = 0;  // input frame of before[0] and after[0]
    std::vector<float> before;    // the input, region's channel only
    std::vector<float> after;     // the output, same frames
};

class RegionCloseUps {
public:
    static constexpr std::int64_t kMinContext = 48;
    static constexpr std::int64_t kMaxExcerpt = 1024;
    static constexpr std::int64_t kHistoryFrames = 4 * kMaxExcerpt;

    RegionCloseUps(int channels, std::size_t maxCloseUps);

    // Regions the change tracker closed on the frames about to be fed (in the
    // order it closed them), then those frames, interleaved and aligned.
    void addClosedRegions(const ChangedRegion* regions, std::size_t count);
    void feed(const float* input, const float* output, std::int64_t frames);
    // Takes the excerpts still waiting for frames that will not come.
    void finish();

    // The kept excerpts, largest regions first, and how many regions were
    // passed over because larger ones filled the places.
    std::vector<RegionCloseUp> takeLargestFirst();
    std::int64_t passedOver() const { return passedOver_; }

private:
    struct Waiting {
        ChangedRegion region;
        std::int64_t from;
        std::int64_t to;
    };
    bool wouldKeep(std::int64_t length) const;
    void capture(const Waiting& waiting);
    void takeDue();

    int channels_;
    std::size_t maxCloseUps_;
    std::int64_t position_ = 0;  // frames fed so far
    std::vector<float> ringIn_;
    std::vector<float> ringOut_;
    std::vector<Waiting> waiting_;
    std::int64_t nextDue_ = std::numeric_limits<std::int64_t>::max();  // the smallest `to` waiting
    std::vector<RegionCloseUp> kept_;
    std::int64_t passedOver_ = 0;
};
