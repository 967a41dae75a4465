// The input side of one file: reads it in chunks of whole host blocks, at
// the file's own precision for the output and rounded to float for the
// effect.
//
// Samples travel as doubles between the files, which holds every integer
// encoding and 64-bit float exactly. After the input ends, the effect is fed
// the input's last frame held: silence would put a step at the end of a file
// cut mid-sound, which the effect would take for a click and "repair" in the
// file's last samples. A held value has no step.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

class ChunkReader {
public:
    // `file` is open for reading with its sample conversion configured.
    ChunkReader(SNDFILE* file, int format, int channels, std::int64_t chunkFrames, const std::string& path);

    // Reads up to one chunk; returns the frames read (fewer only at the end).
    // Throws ToolError(processingFailed) when the decoder reports an error.
    std::int64_t readChunk();
    bool ended() const { return ended_; }
    std::int64_t framesRead() const { return framesRead_; }

    // The frames of the last readChunk, at unit scale.
    const double* samples() const { return samples_.data(); }
    // A whole chunk for the effect: the frames read, then the last frame held.
    const float* effectInput() const { return effectInput_.data(); }

private:
    SNDFILE* file_;
    std::string path_;
    int channels_;
    std::int64_t chunk_;
    double toUnit_;
    bool ended_ = false;
    std::int64_t framesRead_ = 0;
    std::vector<double> samples_;
    std::vector<float> effectInput_;
    std::vector<float> lastFrame_;
};
