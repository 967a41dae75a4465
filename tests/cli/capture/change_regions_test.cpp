#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "capture/change_regions.h"

namespace {

// Straightforward reference: mark changed samples per channel, then walk each
// channel joining marks separated by fewer than `joinGap` unchanged samples.
std::vector<ChangedRegion> referenceRegions(const std::vector<float>& a, const std::vector<float>& b,
                                            int channels, long long joinGap) {
    std::vector<ChangedRegion> regions;
    const long long frames = static_cast<long long>(a.size()) / channels;
    for (int c = 0; c < channels; ++c) {
        long long start = -1, last = -1;
        for (long long f = 0; f < frames; ++f) {
            if (a[f * channels + c] == b[f * channels + c]) continue;
            if (start >= 0 && f - last - 1 < joinGap) {
                last = f;
                continue;
            }
            if (start >= 0) regions.push_back({c, start, last + 1});
            start = last = f;
        }
        if (start >= 0) regions.push_back({c, start, last + 1});
    }
    return regions;
}

auto key(const ChangedRegion& r) { return std::make_tuple(r.channel, r.start, r.end); }

TEST(ChangeRegionTracker, MatchesReferenceOverRandomChangesAndChunkings) {
    std::mt19937 random(1234);
    for (int trial = 0; trial < 200; ++trial) {
        const int channels = 1 + static_cast<int>(random() % 5);
        const long long frames = 1 + random() % 3000;
        std::vector<float> input(static_cast<std::size_t>(frames * channels));
        for (float& x : input) x = std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
        std::vector<float> output = input;
        const int changes = static_cast<int>(random() % 60);
        for (int k = 0; k < changes; ++k) {
            const long long at = random() % frames;
            const long long length = 1 + random() % 12;
            const int c = static_cast<int>(random() % channels);
            for (long long f = at; f < std::min(frames, at + length); ++f) output[f * channels + c] += 0.25f;
        }

        ChangeRegionTracker tracker(channels, true);
        for (long long done = 0; done < frames;) {
            const long long chunk = std::min<long long>(frames - done, 1 + random() % 700);
            tracker.feed(input.data() + done * channels, output.data() + done * channels, chunk);
            done += chunk;
        }
        tracker.finish();

        std::vector<ChangedRegion> expected =
            referenceRegions(input, output, channels, ChangeRegionTracker::kJoinGap);
        std::vector<ChangedRegion> got = tracker.regions();
        auto byKey = [](const ChangedRegion& x, const ChangedRegion& y) { return key(x) < key(y); };
        std::sort(expected.begin(), expected.end(), byKey);
        std::sort(got.begin(), got.end(), byKey);
        ASSERT_EQ(got.size(), expected.size()) << "trial " << trial;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(key(got[i]), key(expected[i])) << "trial " << trial;
        EXPECT_EQ(tracker.regionCount(), static_cast<long long>(expected.size()));

        long long changed = 0;
        for (std::size_t i = 0; i < input.size(); ++i) changed += input[i] != output[i];
        EXPECT_EQ(tracker.changedSamples(), changed);
    }
}

TEST(ChangeRegionTracker, CountsWithoutKeepingRegionsWhenAskedTo) {
    const std::vector<float> input(100, 0.0f);
    std::vector<float> output = input;
    output[10] = output[50] = 1.0f;
    ChangeRegionTracker tracker(1, false);
    tracker.feed(input.data(), output.data(), 100);
    tracker.finish();
    EXPECT_EQ(tracker.regionCount(), 2);
    EXPECT_TRUE(tracker.regions().empty());
}

}  // namespace
