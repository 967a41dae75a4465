// The waveform of a whole file reduced to a bounded number of min/max
// buckets per channel, built while streaming: when the buckets fill up,
// neighbours are merged in pairs and each bucket covers twice the frames.
// Memory stays the same for a minute and for a day of audio.
#pragma once

#include <cstdint>
#include <vector>

struct EnvelopeBucket {
    float low;
    float high;
};

class WaveformEnvelope {
public:
    // maxBuckets is even and at least 2; finished envelopes hold between
    // maxBuckets / 2 and maxBuckets buckets (fewer for short files).
    WaveformEnvelope(int channels, int maxBuckets);

    // `frames` interleaved frames, continuing where the previous call ended.
    void feed(const float* interleaved, std::int64_t frames);
    // Closes the last, partly filled bucket.
    void finish();

    std::int64_t framesPerBucket() const { return framesPerBucket_; }
    const std::vector<EnvelopeBucket>& channel(int c) const { return buckets_[static_cast<std::size_t>(c)]; }

private:
    void closeBucket();
    void halve();

    int channels_;
    std::size_t maxBuckets_;
    std::int64_t framesPerBucket_ = 1;
    std::int64_t framesInBucket_ = 0;
    std::vector<EnvelopeBucket> open_;                  // per channel
    std::vector<std::vector<EnvelopeBucket>> buckets_;  // per channel
};
