#include "effect/stereo_interleave.h"

// Plain loops: the compiler turns them into vector shuffles where the
// build allows it.
void interleaveStereo(const float* left, const float* right, float* destination, std::int32_t frames) {
    for (std::int32_t i = 0; i < frames; ++i) {
        destination[2 * i] = left[i];
        destination[2 * i + 1] = right[i];
    }
}

void deinterleaveStereo(const float* source, float* left, float* right, std::int32_t frames) {
    for (std::int32_t i = 0; i < frames; ++i) {
        left[i] = source[2 * i];
        right[i] = source[2 * i + 1];
    }
}
