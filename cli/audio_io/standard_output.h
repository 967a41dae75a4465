// Audio on standard output, for `sarnovellite IN -` in a pipe.
//
// libsndfile cannot write WAV to a pipe (it wants to go back and fill in the
// lengths), so a WAV stream is written here as a header with the lengths
// left unknown (0xFFFFFFFF, as ffmpeg and sox write them), followed by raw
// little-endian samples through libsndfile. AU, whose length field may say
// "unknown", is written by libsndfile itself.
#pragma once

#include <sndfile.h>

// The format to stream for an input of `inputFormat`: AU stays AU; anything
// else becomes WAV, keeping its encoding when WAV holds it (PCM 8 to 32 bits,
// float, double), else as float.
int standardOutputFormat(int inputFormat);

// Opens standard output for `info` (a format from standardOutputFormat),
// writing the WAV header first; nullptr when it cannot be.
SNDFILE* openStandardOutput(const SF_INFO& info);
