#pragma once

#include <cstdint>

// 1.4826 * median |v[0..n-1]|: the standard deviation of Gaussian data, but
// barely moved by the few huge values that clicks put into a model error.
// scratch must hold n floats; n = 0 gives 0. Allocates nothing.
float robustScale(const float* v, int32_t n, float* scratch);
