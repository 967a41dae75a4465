#include "effect/stereo_interleave.h"

// Four frames per step lets the compiler keep the loop in registers; the tail
// goes one frame at a time.
void interleaveStereo(const float* left, const float* right, float* destination, std::int32_t frames) {
    std::int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        destination[2 * i + 0] = left[i + 0];
        destination[2 * i + 1] = right[i + 0];
        destination[2 * i + 2] = left[i + 1];
        destination[2 * i + 3] = right[i + 1];
        destination[2 * i + 4] = left[i + 2];
        destination[2 * i + 5] = right[i + 2];
        destination[2 * i + 6] = left[i + 3];
        destination[2 * i + 7] = right[i + 3];
    }
    for (; i < frames; ++i) {
        destination[2 * i] = left[i];
        destination[2 * i + 1] = right[i];
    }
}

void deinterleaveStereo(const float* source, float* left, float* right, std::int32_t frames) {
    std::int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        left[i + 0] = source[2 * i + 0];
        right[i + 0] = source[2 * i + 1];
        left[i + 1] = source[2 * i + 2];
        right[i + 1] = source[2 * i + 3];
        left[i + 2] = source[2 * i + 4];
        right[i + 2] = source[2 * i + 5];
        left[i + 3] = source[2 * i + 6];
        right[i + 3] = source[2 * i + 7];
    }
    for (; i < frames; ++i) {
        left[i] = source[2 * i];
        right[i] = source[2 * i + 1];
    }
}
