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
