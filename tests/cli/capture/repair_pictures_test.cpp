// The HTML report's decimated data against brute force over random streams
// fed in random chunk sizes, as the file processor feeds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "capture/change_regions.h"
#include "capture/repair_pictures.h"

namespace {

TEST(WaveformEnvelope, BucketsHoldTheMinAndMaxOfTheirFramesWithinTheBound) {
    std::mt19937 random(3);
    for (const std::int64_t frames : {1LL, 63LL, 64LL, 65LL, 100003LL}) {
        SCOPED_TRACE(frames);
        const int channels = 3, maxBuckets = 64;
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        std::vector<float> signal(static_cast<std::size_t>(frames * channels));
        for (float& v : signal) v = value(random);
        WaveformEnvelope envelope(channels, maxBuckets);
        for (std::int64_t at = 0; at < frames;) {
            const std::int64_t count = std::min<std::int64_t>(frames - at, 1 + random() % 5000);
            envelope.feed(signal.data() + at * channels, count);
            at += count;
        }
        envelope.finish();
        const std::int64_t per = envelope.framesPerBucket();
        const std::size_t buckets = static_cast<std::size_t>((frames + per - 1) / per);
        EXPECT_LE(buckets, static_cast<std::size_t>(maxBuckets));
        if (frames > maxBuckets) {
            EXPECT_GT(buckets, static_cast<std::size_t>(maxBuckets / 2));
        }
        for (int c = 0; c < channels; ++c) {
            ASSERT_EQ(envelope.channel(c).size(), buckets);
            for (std::size_t b = 0; b < buckets; ++b) {
                float low = 2.0f, high = -2.0f;
                for (std::int64_t f = b * per; f < std::min<std::int64_t>((b + 1) * per, frames); ++f) {
                    low = std::min(low, signal[f * channels + c]);
                    high = std::max(high, signal[f * channels + c]);
                }
                ASSERT_EQ(envelope.channel(c)[b].low, low) << "bucket " << b;
                ASSERT_EQ(envelope.channel(c)[b].high, high) << "bucket " << b;
            }
        }
    }
}

TEST(RepairPictureCollector, KeepsTheLongestRegionsWithTheirTrueSamples) {
    std::mt19937 random(7);
    const int channels = 2;
    const std::int64_t frames = 400000;
    std::vector<float> input(static_cast<std::size_t>(frames * channels));
    std::uniform_real_distribution<float> value(-0.5f, 0.5f);
    for (float& v : input) v = value(random);
    std::vector<float> output = input;
    for (int k = 0; k < 300; ++k) {  // changes of 1 to 2000 frames, some far longer than an excerpt
        const std::int64_t length = k % 50 == 0 ? 1000 + random() % 1000 : 1 + random() % 120;
        const std::int64_t start = random() % (frames - length);
        const int channel = static_cast<int>(random() % channels);
        for (std::int64_t f = start; f < start + length; ++f) output[f * channels + channel] += 0.25f;
    }
    ChangeRegionTracker tracker(channels, true);
    RepairPictureCollector collector(channels);
    for (std::int64_t at = 0; at < frames;) {
        const std::int64_t count = std::min<std::int64_t>(frames - at, 1 + random() % 9000);
        tracker.feed(input.data() + at * channels, output.data() + at * channels, count);
        collector.feed(input.data() + at * channels, output.data() + at * channels, count, tracker.regions());
        at += count;
    }
    tracker.finish();
    collector.finish(tracker.regions());
    const RepairPictures pictures = collector.take();

    const std::size_t regions = tracker.regions().size();
    ASSERT_GT(regions, RepairPictureCollector::kMaxCloseUps);
    ASSERT_EQ(pictures.closeUps.size(), RepairPictureCollector::kMaxCloseUps);
    EXPECT_EQ(static_cast<std::size_t>(pictures.closeUpsLeftOut), regions - pictures.closeUps.size());
    std::vector<std::int64_t> lengths;
    for (const ChangedRegion& r : tracker.regions()) lengths.push_back(r.end - r.start);
    std::sort(lengths.rbegin(), lengths.rend());
    for (std::size_t i = 0; i < pictures.closeUps.size(); ++i) {
        const RegionCloseUp& c = pictures.closeUps[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.region.end - c.region.start, lengths[i]);  // longest first
        ASSERT_EQ(c.before.size(), c.after.size());
        ASSERT_FALSE(c.before.empty());
        EXPECT_LE(c.before.size(), static_cast<std::size_t>(RegionCloseUps::kMaxExcerpt));
        for (std::size_t k = 0; k < c.before.size(); ++k) {
            const auto at = static_cast<std::size_t>(
                (c.firstFrame + static_cast<std::int64_t>(k)) * channels + c.region.channel);
            ASSERT_EQ(c.before[k], input[at]);
            ASSERT_EQ(c.after[k], output[at]);
        }
        // The excerpt shows the region's start, or for a region longer than an
        // excerpt, part of it.
        const std::int64_t excerptEnd = c.firstFrame + static_cast<std::int64_t>(c.before.size());
        EXPECT_LT(c.firstFrame, c.region.end);
        EXPECT_GT(excerptEnd, c.region.start);
        if (lengths[i] < RegionCloseUps::kMaxExcerpt / 2) {
            EXPECT_LE(c.firstFrame, c.region.start);
            EXPECT_GE(excerptEnd, c.region.end);
        }
    }
}

}  // namespace
