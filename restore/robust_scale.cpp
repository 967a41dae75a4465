#include "restore/robust_scale.h"

#include <algorithm>
#include <cmath>

float robustScale(const float* v, int32_t n, float* scratch) {
    if (n <= 0) return 0.0f;
    for (int32_t i = 0; i < n; ++i) scratch[i] = std::fabs(v[i]);
    float* middle = scratch + n / 2;
    std::nth_element(scratch, middle, scratch + n);
    return 1.4826f * *middle;
}

float robustScaleStrided(const float* v, int32_t n, int32_t stride, float* scratch) {
    int32_t count = 0;
    for (int32_t i = 0; i < n; i += stride) scratch[count++] = std::fabs(v[i]);
    return 1.4826f * medianInPlace(scratch, count);
}

int32_t segmentScales(const float* v, int32_t n, int32_t length, float* out, float* scratch) {
    const int32_t count = length > 0 ? n / length : 0;
    for (int32_t j = 0; j < count; ++j) out[j] = robustScale(v + j * length, length, scratch);
    return count;
}

float medianInPlace(float* v, int32_t n) {
    if (n <= 0) return 0.0f;
    std::nth_element(v, v + n / 2, v + n);
    return v[n / 2];
}
