// The sample format of header-less input (--raw RATE:CHANNELS:ENCODING):
// little-endian samples, read as if a header had said so.
#pragma once

struct RawInputFormat {
    int sampleRate = 0;  // 0: inputs have headers
    int channels = 0;
    int subtype = 0;  // SF_FORMAT_PCM_16, SF_FORMAT_FLOAT, ...
};
