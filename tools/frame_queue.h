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
        : channels_(channels), capacity_(capacityFrames), samples_(static_cast<std::size_t>(capacityFrames * channels)) {}

    void push(const double* frames, std::int64_t count) {
        for (std::int64_t f = 0; f < count; ++f) {
            std::copy_n(frames + f * channels_, channels_, &samples_[static_cast<std::size_t>(((head_ + size_) % capacity_) * channels_)]);
            ++size_;
        }
    }
    void pop(double* frames, std::int64_t count) {
        for (std::int64_t f = 0; f < count; ++f) {
            std::copy_n(&samples_[static_cast<std::size_t>(head_ * channels_)], channels_, frames + f * channels_);
            head_ = (head_ + 1) % capacity_;
            --size_;
        }
    }

private:
    int channels_;
    std::int64_t capacity_;
    std::int64_t head_ = 0;
    std::int64_t size_ = 0;
    std::vector<double> samples_;
};
