#include "restore/robust_scale.h"

#include <algorithm>
#include <cmath>

namespace {
// Up to this many values, selection by counting ranks beats nth_element: the
// comparisons have no branches and run in vector lanes, where nth_element's
// partitioning mispredicts about every other one.
constexpr int32_t kCountingLimit = 96;

// The value that sorting v[0..n-1] would put at position k (the same one
// nth_element finds, ties included): the v[i] with fewer than k + 1 values
// below it and more than k at or below it.
float selectByRank(const float* v, int32_t n, int32_t k) {
    for (int32_t i = 0; i < n; ++i) {
        const float x = v[i];
        int32_t below = 0, atOrBelow = 0;
        for (int32_t j = 0; j < n; ++j) {
            below += v[j] < x ? 1 : 0;
            atOrBelow += v[j] <= x ? 1 : 0;
        }
        if (below <= k && k < atOrBelow) return x;
    }
    return v[k];  // not reached for finite values
}
}  // namespace

float robustScale(const float* v, int32_t n, float* scratch) {
    if (n <= 0) return 0.0f;
    for (int32_t i = 0; i < n; ++i) scratch[i] = std::fabs(v[i]);
    if (n <= kCountingLimit) return 1.4826f * selectByRank(scratch, n, n / 2);
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
    if (n <= kCountingLimit) return selectByRank(v, n, n / 2);
    std::nth_element(v, v + n / 2, v + n);
    return v[n / 2];
}
