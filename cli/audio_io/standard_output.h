// Audio on standard output, for `sarnovellite IN -` in a pipe, and on any
// other output that is not a regular file (a device, a FIFO, a socket).
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

#include <string>

// Opens the stream `fd` for `info` (a format from standardOutputFormat),
// writing the WAV header first; nullptr when it cannot be, with the reason
// in `reason`. `fd` stays the caller's to close, after the handle.
SNDFILE* openStreamOutput(int fd, const SF_INFO& info, std::string& reason);
