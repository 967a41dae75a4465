#pragma once

#include <cstdint>

// Autoregressive model kernels on float signals. A model of order p is its
// coefficients a[0..p-1]: x[n] ~ a[0] x[n-1] + ... + a[p-1] x[n-p]. The
// prediction-error filter is A(z) = 1 - sum a[k-1] z^-k.
//
// Everything works on caller-owned buffers and allocates nothing; the loops
// run over n for each coefficient so that they vectorise without reordering
// any sum (results are the same whatever the call pattern).

// Dot product of two float arrays, summed in eight fixed lanes.
float dotProduct(const float* a, const float* b, int32_t n);

// r[k] = sum_n x[n] x[n - k] for k = 0..maxLag over x[0..n-1] (zero outside).
void autocorrelation(const float* x, int32_t n, int32_t maxLag, double* r);

// Levinson-Durbin on r[0..p]: writes a[0..p-1] and returns the prediction
// error power (>= 0). r[0] is loaded by a small relative floor first so that
// silence and single tones give a stable model. If the recursion meets a
// reflection coefficient of magnitude >= 1 (rounding on a degenerate input)
// the model stops at the order reached and the rest of a is zero. Returns a
// negative value when r[0] is not positive or not finite (no model; a zeroed).
// work must hold 2 * (p + 1) doubles.
double levinsonDurbin(const double* r, int32_t p, double* a, double* work);

// Forward error e[n] = x[n] - sum a[k-1] x[n-k] for n in [from, to); x must be
// readable from from - p. Writes e[from..to-1] only.
void forwardError(const float* x, int32_t from, int32_t to, const float* a, int32_t p, float* e);

// Backward error b[n] = x[n] - sum a[k-1] x[n+k] for n in [from, to): the
// same model run from the future; x must be readable up to to - 1 + p.
void backwardError(const float* x, int32_t from, int32_t to, const float* a, int32_t p, float* b);

// Matched filter of a forward error: d[n] = e[n] - sum a[k-1] e[n+k] for n in
// [from, to); e must be readable up to to - 1 + p. d = A(1/z) A(z) x, which
// puts an isolated impulse's evidence at its own position.
void matchedFilter(const float* e, int32_t from, int32_t to, const float* a, int32_t p, float* d);

// sum of squares of the prediction-error filter's taps: 1 + sum a[k]^2.
float errorFilterGain(const float* a, int32_t p);
