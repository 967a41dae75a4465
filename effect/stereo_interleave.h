// The two sample copies between the host's per-channel arrays and the
// engine's interleaved frames (left sample, then right sample).
//
// Bit patterns are copied unchanged. `frames` <= 0 copies nothing. The
// interleaved buffer must not overlap the channel arrays; the channel arrays
// may be the host's own, also when inputs and outputs are the same arrays.
// Audio thread; no allocation.
#pragma once

#include <cstdint>

void interleaveStereo(const float* left, const float* right, float* destination, std::int32_t frames);
void deinterleaveStereo(const float* source, float* left, float* right, std::int32_t frames);
