// 16-bit PCM handed to and taken from libsndfile as the integers it stores.
//
// For this, the commonest encoding, libsndfile moves 16-bit samples between
// the file and the caller's array in one call, where doubles pass through its
// small conversion buffer a few kilobytes at a time. The conversions here give
// exactly the values libsndfile's own double conversion gives, so a file is
// the same either way; they are loops without branches, which run on vectors.
#pragma once

#include <sndfile.h>

#include <cstdint>

// Any 16-bit PCM file reads as its stored integers.
inline bool readsAsPcm16(int format) { return (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16; }

// The containers whose 16-bit PCM libsndfile writes with the conversion
// integerUnitsToPcm16 reproduces (its PCM code). FLAC rounds differently, so
// it and the rarer containers keep libsndfile's double conversion.
bool writesAsPcm16(int format);

// Stored values to samples at unit scale (value / 32768, exact) and, for the
// effect, the same rounded to float (also exact).
void pcm16ToUnit(const short* values, double* samples, float* asFloat, std::int64_t count);

// Samples in integer units (value * 32768) to what libsndfile's PCM code
// stores for them with clipping on: the value is taken to 32-bit range
// (times 65536), clipped there, rounded as lrint rounds (to nearest, ties to
// even) and shifted back, which rounds the 16-bit value down. NaN must have
// been replaced.
void integerUnitsToPcm16(const double* samples, short* values, std::int64_t count);
