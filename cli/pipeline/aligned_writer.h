// The output side of one file: matches the effect's delayed output with the
// input frames it belongs to, tracks what changed, and writes the result.
//
// Effect output frame p belongs to input frame p - latency, so input frames
// wait in a queue until their output arrives. Written samples keep the
// file's own value where the effect passed them through (64-bit float and
// 32-bit integer samples keep the precision the effect's floats lack); NaN
// becomes 0 in encodings that cannot hold it; integer encodings get exact
// power-of-two scaling, and the samples they clip at full scale are counted.
// With keepLatency the raw effect output of the input's
// length is written instead. Throws ToolError(processingFailed) when a write
// fails.
//
// Optional observers of the aligned stream: the removed signal (input minus
// the value written, also with keepLatency) and the report's pictures.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/change_regions.h"
#include "capture/removed_signal.h"
#include "capture/repair_pictures.h"
#include "pipeline/frame_queue.h"

struct OutputTarget {
    SNDFILE* file;     // open for writing, sample conversion configured
    int format;        // its SF_FORMAT_*
    std::string path;  // the final name, for messages
};

struct AlignedObservers {
    RemovedSignalWriter* removed = nullptr;
    RepairPictureCollector* pictures = nullptr;
};

class AlignedWriter {
public:
    AlignedWriter(const OutputTarget& target, int channels, int latency, std::int64_t chunkFrames,
                  bool keepLatency, bool keepRegions, AlignedObservers observers = {});

    // Input frames at unit scale, in file order, before the effect gets them.
    void pushInput(const double* frames, std::int64_t count);
    // The effect's output for the next chunkFrames frames it was fed.
    void acceptOutput(const float* processed);
    // Closes the regions still open; call after the last output.
    void finish();

    const ChangeRegionTracker& tracker() const { return tracker_; }
    // Samples written beyond what the output encoding holds, so clipped.
    std::int64_t clippedSamples() const { return clipped_; }

private:
    void writeAligned(const float* processed, std::int64_t count);
    void writeAlignedRun(const double* original, const float* processed, std::int64_t count);
    void writeRaw(const float* processed);
    void writeFrames(double* frames, std::int64_t count);
    void countClipped(const double* samples, std::int64_t count);

    OutputTarget target_;
    int channels_;
    int latency_;
    std::int64_t chunk_;
    bool keepLatency_;
    bool outputHoldsNaN_;
    double writeScale_;
    bool clipsAtFullScale_;
    std::int64_t clipped_ = 0;
    std::int64_t readTotal_ = 0;     // input frames pushed so far
    std::int64_t fedTotal_ = 0;      // frames given to the effect, the flush included
    std::int64_t alignedTotal_ = 0;  // output frames matched with their input
    AlignedObservers observers_;
    FrameQueue pendingInput_;
    ChangeRegionTracker tracker_;
    std::vector<float> alignedAsFed_;
    std::vector<double> outputFrames_;
    std::vector<short> pcm16_;  // what 16-bit PCM stores; empty for other encodings
};
