// The Sarnovellite Restore effect without a plug-in format: what a VST 2
// adapter, an LV2 plug-in or a test drives.
//
// Audio: stereo, 32-bit float, any number of frames per call, at the rate
// given to the constructor or to prepare(). The output is the input repaired
// by a RestoreEngine (or, with Output set to "Removed", input minus repaired)
// and delayed by exactly latencyFrames(); the first latencyFrames() frames
// after construction, prepare() or reset() are silence. Inputs and outputs
// may be the same arrays. A call with frames <= 0 touches no array. The
// output does not depend on how the stream is cut into calls.
//
// Parameters: the normalised values of restore_parameters.h. Each is kept as
// a relaxed atomic; process() hands the engine the settings they map to at
// its start, and the engine applies a change from its next internal hop.
// A value outside [0, 1] is stored clamped, NaN is ignored; an index the
// table does not list is ignored and reads 0.
//
// Latency: 82 ms of frames at the current rate (3616 at 44.1 kHz), the same
// for every setting; it changes only with prepare().
//
// Lifecycle and threads: construction and prepare() allocate the engine for
// a rate; they run off the audio thread and never overlap process() or
// reset() (a VST 2 host calls setSampleRate while the effect is switched
// off). process() and reset() run on the audio thread, never overlapping,
// and allocate nothing, take no lock and make no system call. The parameter
// functions and latencyFrames() may be called from any thread at any time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class RestoreEngine;

namespace sarnovellite::effect {

class RestoreProcessor {
public:
    static constexpr std::int32_t kChannels = 2;

    explicit RestoreProcessor(double sampleRate);
    ~RestoreProcessor();
    RestoreProcessor(const RestoreProcessor&) = delete;
    RestoreProcessor& operator=(const RestoreProcessor&) = delete;

    // Rebuilds the engine for a new rate (a rate that is not a positive
    // finite number keeps the current one); parameters are kept. Allocates.
    void prepare(double sampleRate);
    double sampleRate() const { return rate; }

    void process(const float* inputLeft, const float* inputRight, float* outputLeft, float* outputRight,
                 std::int32_t frames);
    // Empties the engine (the switch-on of a plug-in); keeps the parameters.
    void reset();

    void setParameter(std::int32_t index, float normalised);
    float parameter(std::int32_t index) const;
    // The display text into text[size]; empty for an unlisted index.
    void parameterDisplay(std::int32_t index, char* text, std::size_t size) const;

    std::int32_t latencyFrames() const { return latency.load(std::memory_order_relaxed); }

private:
    static constexpr std::int32_t kParameterCount = 5;

    void applySettings();

    std::atomic<float> values[kParameterCount];
    std::unique_ptr<RestoreEngine> engine;
    double rate = 0.0;
    std::atomic<std::int32_t> latency{0};
};

}  // namespace sarnovellite::effect
