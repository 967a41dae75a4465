#include "dsp/tqc_real_fft.h"

#include "dsp/fft_status.h"
#include "dsp/primitives.h"

TQCRealFFT::TQCRealFFT(std::int32_t /*length*/) {}

TQCRealFFT::~TQCRealFFT() { freeSpec(); }

void TQCRealFFT::setLength(std::int32_t n) {
    if (n == length_) return;
    length_ = n;
    order_ = 0;
    for (std::int32_t rest = n; rest > 1; rest /= 2) ++order_;
    if (spec_ != nullptr) RealFftFree(spec_);
    // Left null when building fails, so a released spec is never used again.
    spec_ = nullptr;
    RealFftInitAlloc(&spec_, order_, FftScaleInverse, 1);
}

bool TQCRealFFT::prepare(std::int32_t n) {
    if (n < 1) return false;
    if (n != length_ || spec_ == nullptr) {
        // A released or never-built spec is rebuilt even for an unchanged length.
        if (spec_ == nullptr) length_ = 0;
        setLength(n);
    }
    return true;
}

void TQCRealFFT::forward(const float* src, float* dst, std::int32_t n) {
    if (!prepare(n)) return;
    RealFftForward(src, dst, spec_, nullptr);
    dst[n] = dst[1];
    dst[n + 1] = 0.0f;
    dst[1] = 0.0f;
}

void TQCRealFFT::inverse(float* src, float* dst, std::int32_t n) {
    // The spec must be for n: a spec of another length would write past dst.
    if (!prepare(n)) return;
    src[1] = src[n];
    RealFftInverse(src, dst, spec_, nullptr);
}

void TQCRealFFT::freeSpec() {
    if (spec_ != nullptr) RealFftFree(spec_);
    spec_ = nullptr;
    length_ = 0;
    order_ = 0;
}

void TQCRealFFT::forwardInPlace(float* buf, std::int32_t n) {
    if (!prepare(n)) return;
    RealFftForwardInPlace(buf, spec_, nullptr);
    buf[n] = buf[1];
    buf[n + 1] = 0.0f;
    buf[1] = 0.0f;
}

void TQCRealFFT::inverseInPlace(float* buf, std::int32_t n) {
    if (!prepare(n)) return;
    buf[1] = buf[n];
    RealFftInverseInPlace(buf, spec_, nullptr);
}
