// The effects of one file on a thread of their own, a few chunks behind the
// reading and ahead of the matching and writing, which stay on the calling
// thread.
//
// Reading and writing together cost about what the effects cost, so on two
// cores a file takes about half the time it takes on one. next() reads chunks
// into a fixed ring of kDepth slots as they come free, the effect thread runs
// each through the channel pairs, and next() hands them out in order with the
// input frames and the effect's output side by side; nothing allocates while
// a file streams. The last chunk is the one that brings the effect's output
// level with the input's end (the latency flushed): after it, every input
// frame has its output.
//
// Threads: construct, call next() and destroy on one thread (the consumer);
// the reader is used there only. The pairs belong to the effect thread from
// construction until next() has returned null or thrown. An exception from
// the reader (a damaged input) or from the effect thread (a failing plug-in)
// is thrown by next(), the latter after every chunk before it was handed out.
// Destroying the stage early stops and joins the effect thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <semaphore>
#include <thread>
#include <vector>

#include "hosting/channel_pairs.h"
#include "pipeline/chunk_reader.h"

struct StagedChunk {
    std::int64_t frames = 0;       // input frames read into this chunk
    std::vector<double> samples;   // those frames, at unit scale
    std::vector<float> fed;        // the whole chunk as the effect gets it
    std::vector<float> processed;  // the effect's output for it
    bool last = false;
    std::exception_ptr failure;  // set by the effect thread instead of output
};

class EffectStage {
public:
    EffectStage(ChunkReader& reader, ChannelPairs& pairs, int channels, std::int64_t chunkFrames);
    ~EffectStage();
    EffectStage(const EffectStage&) = delete;
    EffectStage& operator=(const EffectStage&) = delete;

    // The next chunk, valid until the following call; null after the last.
    const StagedChunk* next();

private:
    static constexpr int kDepth = 3;

    void readAhead();
    void runEffects();
    void stop();

    ChunkReader& reader_;
    ChannelPairs& pairs_;
    std::int64_t chunk_;
    int latency_;
    StagedChunk slots_[kDepth];
    // Chunks read and not yet processed, and processed and not yet taken.
    // stop() may add one wake-up beyond the slots.
    std::counting_semaphore<kDepth + 1> toEffects_{0};
    std::counting_semaphore<kDepth + 1> processed_{0};
    std::atomic<bool> cancelled_{false};
    // Consumer side only.
    std::int64_t fedTotal_ = 0;  // frames in the chunks read, the flush included
    int read_ = 0;               // chunks read so far
    int taken_ = 0;              // chunks handed out so far, the one held included
    bool readAll_ = false;       // the last chunk is read
    bool finished_ = false;      // the last chunk or a failure was handed out
    std::thread thread_;
};
