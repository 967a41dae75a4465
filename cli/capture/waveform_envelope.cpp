#include "capture/waveform_envelope.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr EnvelopeBucket kEmpty{0.0f, 0.0f};

EnvelopeBucket merged(const EnvelopeBucket& a, const EnvelopeBucket& b) {
    return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

}  // namespace

WaveformEnvelope::WaveformEnvelope(int channels, int maxBuckets)
    : channels_(channels),
      maxBuckets_(static_cast<std::size_t>(std::max(2, maxBuckets & ~1))),
      open_(static_cast<std::size_t>(channels), kEmpty),
      buckets_(static_cast<std::size_t>(channels)) {
    for (auto& list : buckets_) list.reserve(maxBuckets_);
}

void WaveformEnvelope::feed(const float* interleaved, std::int64_t frames) {
    for (std::int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels_; ++c) {
            float value = interleaved[f * channels_ + c];
            if (!std::isfinite(value)) value = 0.0f;  // a NaN would poison the picture
            EnvelopeBucket& bucket = open_[static_cast<std::size_t>(c)];
            bucket = framesInBucket_ == 0 ? EnvelopeBucket{value, value} : merged(bucket, {value, value});
        }
        if (++framesInBucket_ == framesPerBucket_) closeBucket();
    }
}

void WaveformEnvelope::finish() {
    if (framesInBucket_ > 0) closeBucket();
}

void WaveformEnvelope::closeBucket() {
    if (buckets_.front().size() == maxBuckets_) {
        // The open bucket holds half a bucket of the new size: it goes on.
        halve();
        return;
    }
    for (int c = 0; c < channels_; ++c) {
        buckets_[static_cast<std::size_t>(c)].push_back(open_[static_cast<std::size_t>(c)]);
    }
    framesInBucket_ = 0;
}

void WaveformEnvelope::halve() {
    for (auto& list : buckets_) {
        for (std::size_t i = 0; i < list.size() / 2; ++i) list[i] = merged(list[2 * i], list[2 * i + 1]);
        list.resize(list.size() / 2);
    }
    framesPerBucket_ *= 2;
}
