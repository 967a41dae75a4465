// The signal-processing primitives as callers use them: one entry point per
// operation, each a bare jump through a process-wide slot that holds the
// variant of the selected processor class (see primitive_dispatch.h). Before
// any selection the slots hold the generic variants.
//
// Real FFT of length N = 2^order, 0 <= order <= 30:
//   X[k] = sum_n x[n] * exp(-2*pi*i*n*k/N),  k = 0..N/2.
// PackedSpectrum (N floats): [0] = X[0], [1] = X[N/2], [2k], [2k+1] = Re, Im X[k]
// for k = 1..N/2-1; for N = 2 it is [X[0], X[1]], for N = 1 it is [X[0]].
// The inverse reads a PackedSpectrum, takes Im X[0] = Im X[N/2] = 0 and
// X[N-k] = conj X[k]; unscaled, inverse(forward(x)) = N * x. The scaling flag
// the RealFftSpec was built with decides which direction is multiplied by its factor.
//
// src and dst either are the same array or do not overlap; an out-of-place call
// leaves src unchanged. `work` is an optional scratch buffer of spec->workSize
// bytes (any alignment); it may be null. With workSize 0 (every variant built
// here) a transform allocates nothing. On failure nothing but the status is
// written. Transforms may run concurrently on one spec with distinct dst/work.
#pragma once

#include <cstdint>

#include "dsp/fft_status.h"
#include "dsp/real_fft_spec.h"

// On StatusOk *out is the new spec; otherwise *out is left unwritten.
std::int32_t RealFftInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint);
std::int32_t RealFftFree(RealFftSpec* spec);
std::int32_t RealFftForwardInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work);
std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work);
std::int32_t RealFftInverseInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work);
std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work);

// Element-wise vector operations; complex values are (re, im) float pairs and
// `len` counts elements (complex values for complex arrays). Each returns
// StatusNullPointer for a null array, StatusSizeError for len < 1, else StatusOk.
std::int32_t ComplexPhase(const float* src, float* dst, std::int32_t len);      // atan2(im, re)
std::int32_t ComplexMagnitude(const float* src, float* dst, std::int32_t len);  // sqrt(re^2 + im^2)
std::int32_t PolarToComplex(const float* magnitude, const float* phase, float* dst, std::int32_t len);
std::int32_t PolarToSplit(const float* magnitude, const float* phase, float* re, float* im, std::int32_t len);
std::int32_t VectorAtan2(const float* y, const float* x, float* dst, std::int32_t len);
std::int32_t VectorCos(const float* src, float* dst, std::int32_t len);
std::int32_t VectorSin(const float* src, float* dst, std::int32_t len);
