// A fixed-capacity FIFO of interleaved frames at the file's own precision.
//
// Input frames wait here until the effect's delayed output for them arrives;
// the capacity is set once (latency plus one chunk), so nothing allocates
// while a file streams. Pushing beyond the capacity is the caller's fault.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

class FrameQueue {
public:
    FrameQueue(int channels, std::int64_t capacityFrames)
        : channels_(channels),
          capacity_(capacityFrames),
          samples_(static_cast<std::size_t>(capacityFrames * channels)) {}

    // Whole runs are copied at once: at most two per call, split where the
    // ring wraps, instead of one small copy per frame.
    void push(const double* frames, std::int64_t count) {
        while (count > 0) {
            const std::int64_t tail = (head_ + size_) % capacity_;
            const std::int64_t run = std::min(count, capacity_ - tail);
            std::copy_n(frames, run * channels_, &samples_[static_cast<std::size_t>(tail * channels_)]);
            frames += run * channels_;
            size_ += run;
            count -= run;
        }
    }
    // The oldest frames in place, up to `count` of them: as many as lie in one
    // run before the ring wraps. They stay queued until drop().
    const double* oldest(std::int64_t count, std::int64_t& run) const {
        run = std::min({count, size_, capacity_ - head_});
        return &samples_[static_cast<std::size_t>(head_ * channels_)];
    }
    void drop(std::int64_t count) {
        head_ = (head_ + count) % capacity_;
        size_ -= count;
    }

private:
    int channels_;
    std::int64_t capacity_;
    std::int64_t head_ = 0;
    std::int64_t size_ = 0;
    std::vector<double> samples_;
};
