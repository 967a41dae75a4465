#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "restore/restore_geometry.h"
#include "restore/restore_settings.h"

class ChannelRestorer;

// The model-based click, crackle and scratch remover: planar float audio in,
// the same audio repaired (or what was removed from it) out, delayed by a
// fixed latency.
//
// Stream contract:
//   - output frame n is input frame n - latency() repaired; the first
//     latency() frames after construction or reset() are silence (restored)
//     or zero (removed).
//   - the output does not depend on how the stream is cut into process()
//     calls (1 frame or 100 000 at a time give the same bits) and is the same
//     on every run: the engine works in fixed internal hops and has no
//     randomness.
//   - channels are analysed and repaired each on its own; 1 to kMaxChannels.
//   - latency(): 82 ms of frames at the constructed rate (RestoreGeometry),
//     the same for every setting, and fixed for the engine's life.
//   - any sample rate; lengths are derived from it clamped into 8..192 kHz.
//
// Non-finite input: a NaN or infinity (and any sample beyond +-1e6, which no
// audio holds) is passed through unchanged at its own position in the
// restored output (zero in the removed output), and is seen by the analysis
// as a zero, so it never reaches a repaired sample or a later hop's model.
// Output sample i is non-finite only where input sample i is.
//
// Threads and memory: everything is allocated in the constructor. process()
// and reset() run on the audio thread, never overlapping; they allocate
// nothing, take no lock and make no system call. setSettings() must not
// overlap process() (call it between process calls, on the audio thread);
// a change takes effect from the next internal hop.
class RestoreEngine {
public:
    static constexpr int32_t kMaxChannels = 8;

    // channels in [1, kMaxChannels]; throws std::invalid_argument otherwise,
    // std::bad_alloc when memory runs out.
    RestoreEngine(double sampleRate, int32_t channels, const RestoreSettings& settings = RestoreSettings{});
    ~RestoreEngine();
    RestoreEngine(const RestoreEngine&) = delete;
    RestoreEngine& operator=(const RestoreEngine&) = delete;

    // input[c] and output[c] hold frames samples for each channel c; output[c]
    // may equal input[c] (in place). frames <= 0 does nothing.
    void process(const float* const* input, float* const* output, int32_t frames);

    // Drops everything held; the output from here on is what a new engine
    // would give for the new input. Settings are kept.
    void reset();

    // Clamps every field into its range (see RestoreSettings).
    void setSettings(const RestoreSettings& settings);
    const RestoreSettings& settings() const { return current; }

    int32_t latency() const { return geometry.latency; }
    int32_t channels() const { return channelCount; }
    const RestoreGeometry& layout() const { return geometry; }
    // Regions repaired since construction or reset, over all channels.
    int64_t regionsRepaired() const { return repairedCount; }

private:
    struct Channel;
    void runHop();

    RestoreGeometry geometry;
    int32_t channelCount;
    RestoreSettings current;
    std::vector<std::unique_ptr<Channel>> channelState;
    int32_t phase = 0;  // frames of the current hop received
    int64_t repairedCount = 0;
};
