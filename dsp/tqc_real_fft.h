// TQCRealFFT: the detector's real-FFT object. It owns one RealFftSpec, built by
// the first forward() of a length (so that allocation happens once, on the
// thread that first transforms), and converts between the primitives'
// PackedSpectrum and the PaddedSpectrum layout:
//   PaddedSpectrum (N + 2 floats): [2k], [2k+1] = Re, Im X[k] for k = 0..N/2,
//   with [1] = 0 and [N+1] = 0 on output.
// The transform is unscaled forward and scaled by 1/N inverse, so
// inverse(forward(x)) = x. N is a power of two from 1 to 2^30; other lengths
// > 0 transform only their first 2^floor(log2 N) samples; N < 1 does nothing.
//
// Not thread-safe: one object belongs to one thread (the audio thread). No
// allocation happens except when a spec is (re)built. Statuses of the
// primitives are not reported.
#pragma once

#include <cstdint>

#include "dsp/real_fft_spec.h"

class TQCRealFFT {
public:
    explicit TQCRealFFT(std::int32_t length = 0);  // length unused; the spec is built by the first forward
    ~TQCRealFFT();                                 // releases the spec if still held
    TQCRealFFT(const TQCRealFFT&) = delete;
    TQCRealFFT& operator=(const TQCRealFFT&) = delete;

    // Rebuilds the spec when n differs from the current length.
    void setLength(std::int32_t n);
    // src: n samples; dst: n + 2 floats (PaddedSpectrum), unscaled.
    void forward(const float* src, float* dst, std::int32_t n);
    // src: n + 2 floats (PaddedSpectrum); src[1] is overwritten with src[n] and
    // src[n + 1] is never read. dst: n samples, scaled by 1/n.
    void inverse(float* src, float* dst, std::int32_t n);
    // Releases the spec; the next forward builds a new one.
    void freeSpec();
    // The same conversions on one buffer of n + 2 floats.
    void forwardInPlace(float* buf, std::int32_t n);
    void inverseInPlace(float* buf, std::int32_t n);

private:
    bool prepare(std::int32_t n);

    RealFftSpec* spec_ = nullptr;
    std::int32_t order_ = 0;
    std::int32_t length_ = 0;
};
