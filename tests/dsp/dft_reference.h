// Double-precision references for the real FFT tests, independent of the code
// under test: a direct O(N^2) DFT for short lengths and a plain recursive
// radix-2 FFT for long ones (whose own accuracy is checked against the direct
// DFT in the tests).
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace dft_reference {

using Complex = std::complex<double>;

// Direct DFT of a complex sequence with exponent sign `sign` (-1 forward).
inline std::vector<Complex> DirectDft(const std::vector<Complex>& x, int sign) {
    const std::size_t n = x.size();
    std::vector<Complex> roots(n);
    for (std::size_t j = 0; j < n; ++j)
        roots[j] =
            std::polar(1.0, sign * 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n));
    std::vector<Complex> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        Complex sum = 0.0;
        for (std::size_t j = 0; j < n; ++j) sum += x[j] * roots[(j * k) % n];
        out[k] = sum;
    }
    return out;
}

inline void RecursiveFft(std::vector<Complex>& a, int sign) {
    const std::size_t n = a.size();
    if (n == 1) return;
    std::vector<Complex> even(n / 2), odd(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i) {
        even[i] = a[2 * i];
        odd[i] = a[2 * i + 1];
    }
    RecursiveFft(even, sign);
    RecursiveFft(odd, sign);
    for (std::size_t k = 0; k < n / 2; ++k) {
        const Complex t =
            std::polar(1.0, sign * 2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n)) *
            odd[k];
        a[k] = even[k] + t;
        a[k + n / 2] = even[k] - t;
    }
}

inline std::vector<Complex> Dft(const std::vector<Complex>& x, int sign) {
    if (x.size() <= 1024) return DirectDft(x, sign);
    std::vector<Complex> a = x;
    RecursiveFft(a, sign);
    return a;
}

// Spectrum X[0..N/2] of real samples (unscaled, negative exponent).
inline std::vector<Complex> RealSpectrum(const std::vector<float>& x) {
    std::vector<Complex> z(x.begin(), x.end());
    std::vector<Complex> full = Dft(z, -1);
    full.resize(x.size() / 2 + 1);
    return full;
}

// Samples of the real sequence whose spectrum is X[0..N/2] (unscaled, positive
// exponent), with Im X[0] = Im X[N/2] = 0 and X[N-k] = conj X[k].
inline std::vector<double> RealSamples(std::vector<Complex> half, std::size_t n) {
    half[0] = half[0].real();
    half[n / 2] = half[n / 2].real();
    std::vector<Complex> full(n);
    for (std::size_t k = 0; k <= n / 2; ++k) full[k] = half[k];
    for (std::size_t k = n / 2 + 1; k < n; ++k) full[k] = std::conj(half[n - k]);
    const std::vector<Complex> y = Dft(full, +1);
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = y[i].real();
    return out;
}

// The PackedSpectrum floats of X[0..N/2].
inline std::vector<double> Packed(const std::vector<Complex>& half, std::size_t n) {
    if (n == 1) return {half[0].real()};
    std::vector<double> p(n);
    p[0] = half[0].real();
    p[1] = half[n / 2].real();
    for (std::size_t k = 1; k < n / 2; ++k) {
        p[2 * k] = half[k].real();
        p[2 * k + 1] = half[k].imag();
    }
    return p;
}

// X[0..N/2] read from PackedSpectrum floats.
inline std::vector<Complex> Unpacked(const float* p, std::size_t n) {
    std::vector<Complex> half(n / 2 + 1);
    half[0] = p[0];
    if (n == 1) return half;
    half[n / 2] = p[1];
    for (std::size_t k = 1; k < n / 2; ++k) half[k] = Complex(p[2 * k], p[2 * k + 1]);
    return half;
}

// sqrt(sum |got - want|^2 / sum |want|^2).
template <class T>
double RelativeRmsError(const float* got, const std::vector<T>& want) {
    double err = 0.0, ref = 0.0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        const double d = static_cast<double>(got[i]) - static_cast<double>(want[i]);
        err += d * d;
        ref += static_cast<double>(want[i]) * static_cast<double>(want[i]);
    }
    return ref > 0.0 ? std::sqrt(err / ref) : std::sqrt(err);
}

inline std::vector<float> RandomSignal(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (float& v : x) v = dist(rng);
    return x;
}

}  // namespace dft_reference
