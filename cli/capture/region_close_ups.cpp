#include "capture/region_close_ups.h"

#include <algorithm>
#include <cstdint>

RegionCloseUps::RegionCloseUps(int channels, std::size_t maxCloseUps)
    : channels_(channels),
      maxCloseUps_(maxCloseUps),
      ringIn_(static_cast<std::size_t>(kHistoryFrames * channels)),
      ringOut_(static_cast<std::size_t>(kHistoryFrames * channels)) {
    kept_.reserve(maxCloseUps + 1);
}

bool RegionCloseUps::wouldKeep(std::int64_t length) const {
    if (kept_.size() < maxCloseUps_) return true;
    for (const RegionCloseUp& c : kept_) {
        if (c.region.end - c.region.start < length) return true;
    }
    return false;
}

void RegionCloseUps::addClosedRegions(const ChangedRegion* regions, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const ChangedRegion& r = regions[i];
        const std::int64_t length = r.end - r.start;
        if (!wouldKeep(length)) {
            ++passedOver_;
            continue;
        }
        const std::int64_t context = std::clamp(length, kMinContext, kMaxExcerpt / 2);
        const std::int64_t from = std::max<std::int64_t>(0, r.start - context);
        const std::int64_t to = std::min(r.end + context, from + kMaxExcerpt);
        waiting_.push_back({r, from, to});
    }
    // Excerpts whose frames are all in already (a region longer than the excerpt).
    takeDue();
}

void RegionCloseUps::takeDue() {
    nextDue_ = std::numeric_limits<std::int64_t>::max();
    std::size_t stillWaiting = 0;
    for (const Waiting& w : waiting_) {
        if (w.to <= position_) {
            capture(w);
        } else {
            waiting_[stillWaiting++] = w;
            nextDue_ = std::min(nextDue_, w.to);
        }
    }
    waiting_.resize(stillWaiting);
}

void RegionCloseUps::feed(const float* input, const float* output, std::int64_t frames) {
    for (std::int64_t f = 0; f < frames; ++f) {
        const auto slot = static_cast<std::size_t>((position_ % kHistoryFrames) * channels_);
        std::copy_n(input + f * channels_, channels_, ringIn_.begin() + static_cast<std::ptrdiff_t>(slot));
        std::copy_n(output + f * channels_, channels_, ringOut_.begin() + static_cast<std::ptrdiff_t>(slot));
        if (++position_ >= nextDue_) takeDue();
    }
}

void RegionCloseUps::finish() {
    for (Waiting& w : waiting_) {
        w.to = std::min(w.to, position_);
        capture(w);
    }
    waiting_.clear();
}

void RegionCloseUps::capture(const Waiting& waiting) {
    const std::int64_t length = waiting.region.end - waiting.region.start;
    if (!wouldKeep(length)) {
        ++passedOver_;
        return;
    }
    RegionCloseUp closeUp;
    closeUp.region = waiting.region;
    const std::int64_t oldestHeld = std::max<std::int64_t>(0, position_ - kHistoryFrames);
    std::int64_t from = waiting.from;
    std::int64_t to = waiting.to;
    if (from < oldestHeld) {
        // The region's start has left the ring: show its latest part instead.
        to = std::min(position_, std::max(to, waiting.region.end));
        from = std::max(oldestHeld, to - kMaxExcerpt);
    }
    closeUp.firstFrame = from;
    closeUp.before.reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, to - from)));
    closeUp.after.reserve(closeUp.before.capacity());
    for (std::int64_t frame = from; frame < to; ++frame) {
        const auto at =
            static_cast<std::size_t>((frame % kHistoryFrames) * channels_ + waiting.region.channel);
        closeUp.before.push_back(ringIn_[at]);
        closeUp.after.push_back(ringOut_[at]);
    }
    kept_.push_back(std::move(closeUp));
    if (kept_.size() > maxCloseUps_) {
        // Drop the smallest; among equals the latest, so earlier ones stay.
        auto smallest = kept_.begin();
        for (auto it = kept_.begin(); it != kept_.end(); ++it) {
            if (it->region.end - it->region.start <= smallest->region.end - smallest->region.start)
                smallest = it;
        }
        kept_.erase(smallest);
        ++passedOver_;
    }
}

std::vector<RegionCloseUp> RegionCloseUps::takeLargestFirst() {
    std::stable_sort(kept_.begin(), kept_.end(), [](const RegionCloseUp& a, const RegionCloseUp& b) {
        return a.region.end - a.region.start > b.region.end - b.region.start;
    });
    return std::move(kept_);
}
