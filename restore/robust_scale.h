#pragma once

#include <cstdint>

// 1.4826 * median |v[0..n-1]|: the standard deviation of Gaussian data, but
// barely moved by the few huge values that clicks put into a model error.
// scratch must hold n floats; n = 0 gives 0. Allocates nothing.
float robustScale(const float* v, int32_t n, float* scratch);
// The same over every stride-th sample (v[0], v[stride], ...): a quarter of
// the work at stride 4, ample for a scale over thousands of samples.
float robustScaleStrided(const float* v, int32_t n, int32_t stride, float* scratch);

// The robust scale of each whole segment of `length` samples of v[0..n-1]
// (segment j covers [j * length, (j + 1) * length)); writes n / length values
// and returns how many. scratch must hold length floats.
int32_t segmentScales(const float* v, int32_t n, int32_t length, float* out, float* scratch);

// Median of v[0..n-1] (the upper one for even n), possibly reordering v; 0 for n = 0.
float medianInPlace(float* v, int32_t n);
