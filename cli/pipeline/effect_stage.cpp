#include "pipeline/effect_stage.h"

EffectStage::EffectStage(ChunkReader& reader, ChannelPairs& pairs, int channels, std::int64_t chunkFrames)
    : reader_(reader), pairs_(pairs), chunk_(chunkFrames), latency_(pairs.latencyFrames()) {
    const auto values = static_cast<std::size_t>(chunkFrames * channels);
    for (StagedChunk& slot : slots_) {
        slot.samples.resize(values);
        slot.fed.resize(values);
        slot.processed.resize(values);
    }
    thread_ = std::thread(&EffectStage::runEffects, this);
}

EffectStage::~EffectStage() { stop(); }

void EffectStage::stop() {
    if (!thread_.joinable()) return;
    cancelled_.store(true, std::memory_order_relaxed);
    // Wakes the effect thread if it waits for a chunk. It waits only when
    // every chunk read has been processed, so the count stays within bound.
    toEffects_.release();
    thread_.join();
}

void EffectStage::runEffects() {
    for (int done = 0;; ++done) {
        toEffects_.acquire();
        if (cancelled_.load(std::memory_order_relaxed)) return;
        StagedChunk& slot = slots_[done % kDepth];
        try {
            pairs_.process(slot.fed.data(), slot.processed.data(), chunk_);
        } catch (...) {
            slot.failure = std::current_exception();
        }
        // Decided before the slot is handed over: the consumer may refill it
        // at once.
        const bool stop = slot.last || slot.failure;
        processed_.release();
        if (stop) return;
    }
}

// Reads into every free slot; the slot handed out last is free again.
void EffectStage::readAhead() {
    while (!readAll_ && read_ - taken_ < kDepth) {
        StagedChunk& slot = slots_[read_ % kDepth];
        slot.frames = reader_.readChunk(slot.samples.data(), slot.fed.data());
        fedTotal_ += chunk_;
        slot.last = reader_.ended() && fedTotal_ >= latency_ + reader_.framesRead();
        readAll_ = slot.last;
        ++read_;
        toEffects_.release();
    }
}

const StagedChunk* EffectStage::next() {
    if (finished_) return nullptr;
    readAhead();
    processed_.acquire();
    StagedChunk& slot = slots_[taken_++ % kDepth];
    if (slot.failure || slot.last) {
        finished_ = true;
        thread_.join();
        if (slot.failure) std::rethrow_exception(slot.failure);
    }
    return &slot;
}
