// The Sarnovellite effect without a plug-in format: what a VST 2 adapter, an
// LV2 plug-in or a test drives.
//
// Audio: stereo, 32-bit float, any number of frames per call. process() cuts
// the frames into slices of at most kSliceFrames, interleaves each slice into
// the processor's own buffer, runs the TQCStreamEngine over it and writes the
// engine's repaired frames back: the output is the input delayed by exactly
// kLatencyFrames (the first kLatencyFrames frames after construction or reset
// are silence). Inputs and outputs may be the same arrays; each slice is read
// completely before its output is written. A call with frames <= 0 touches no
// array (hosts may pass none) and still reaches the engine once, with nothing.
//
// Parameters: the normalised values of sarnovellite_parameters.h. Every set
// reaches the detector, changed or not; the detector clamps the level and
// ignores a gap out of its range, while the processor keeps what was mapped.
//
// Lifecycle: construction selects the primitives' processor class (a missing
// class is reported to the user there, and processing goes on), builds the
// engine and sends it the default parameters. reset() empties and re-primes
// the engine and keeps the parameters: the switch-on of a plug-in (VST 2
// resume, LV2 activate). Switching off needs nothing.
//
// Threads: process() and reset() on the audio thread, never overlapping;
// the parameter functions from any thread at any time: every value is an
// atomic word accessed with relaxed ordering (each stands alone, and the
// detector picks a change up at its next window). Everything is allocated in
// the constructor; process() and reset() allocate nothing and take no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class TQCStreamEngine;

namespace sarnovellite::effect {

class SarnovelliteProcessor {
public:
    static constexpr std::int32_t kSliceFrames = 2048;
    static constexpr std::int32_t kChannels = 2;
    static constexpr std::int32_t kLatencyFrames = kSliceFrames;  // the engine's delay

    SarnovelliteProcessor();
    ~SarnovelliteProcessor();
    SarnovelliteProcessor(const SarnovelliteProcessor&) = delete;
    SarnovelliteProcessor& operator=(const SarnovelliteProcessor&) = delete;

    void process(const float* inputLeft, const float* inputRight, float* outputLeft, float* outputRight,
                 std::int32_t frames);
    void reset();

    // Indices and mappings as in sarnovellite_parameters.h; an index the table
    // does not list is ignored by setParameter and reads the spare value.
    void setParameter(std::int32_t index, float value);
    float parameter(std::int32_t index) const;
    // The display text into text[size]; empty for an unlisted index.
    void parameterDisplay(std::int32_t index, char* text, std::size_t size) const;

private:
    std::atomic<float> spareValue;
    std::atomic<std::int32_t> sensitivityLevel;
    std::atomic<float> sensitivityValue;
    std::unique_ptr<TQCStreamEngine> engine;
    std::atomic<std::int32_t> clickGapSamples;
    std::atomic<float> clickGapValue;
    std::int32_t sliceLength;
    std::unique_ptr<float[]> interleaveBuffer;
    std::int32_t channelCount;
};

}  // namespace sarnovellite::effect
