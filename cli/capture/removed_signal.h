// The --removed file: what the effect took out, input minus output, aligned
// with the input, of its length and channel count. Listening to it tells
// whether music went with the clicks. "Output" is the effect's output before
// an integer output encoding rounds or clips it, so the file shows the
// effect's work, not the encoder's.
//
// Always 64-bit float (the difference of two 32-bit floats, or of an integer
// sample and a float, is exact in a double; nothing is clipped or rounded
// away), in the container the file name's extension names: .wav (as RF64 once
// it outgrows 4 GiB), .w64, .rf64, .aif/.aiff, .caf, .au. Samples the effect
// passed through are exactly 0. Written through a temporary file; appears
// only on commit().
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

#include "audio_io/removed_signal_format.h"
#include "audio_io/sound_file.h"
#include "base/pending_output.h"

class RemovedSignalWriter {
public:
    // Throws ToolError(ExitStatus::badOutput) when the file cannot be created.
    RemovedSignalWriter(const std::string& path, int channels, int sampleRate);

    // `frames` interleaved frames of the input and of the output written for
    // it, both scaled to [-1, 1). Throws ToolError on a failed write.
    void write(const double* input, const double* output, std::int64_t frames);
    void commit();

private:
    std::string path_;
    int channels_;
    PendingOutput pending_;
    std::unique_ptr<SNDFILE, SoundFileCloser> file_;
    std::unique_ptr<double[]> scratch_;
    std::int64_t scratchFrames_ = 0;
};
