#pragma once

// Signal generators and references shared by the engine tests and benchmarks.

#include <cstdint>
#include <vector>

namespace test_signals {

constexpr double kSampleRate = 44100.0;

// Sum of harmonics k = 1..harmonics of f0 with amplitude amp / k.
std::vector<float> harmonicTone(int length, double f0, int harmonics, double amp, double phase = 0.0);
// A glottal-pulse-like source through three formant resonators: strictly
// periodic (period 44100 / f0 samples) with a rich, vowel-like spectrum.
std::vector<float> sungVowel(int length, double f0, double amp, uint32_t seed);
// White noise of standard deviation sigma.
std::vector<float> whiteNoise(int length, double sigma, uint32_t seed);
// Music-like material: a few harmonic tones with slow amplitude changes.
std::vector<float> musicLike(int length, uint32_t seed);

struct Click {
    int position;  // first sample of the click
    int span;      // samples the click touches noticeably
};

// Adds a single-sample impulse of the given signed amplitude.
Click addImpulse(std::vector<float>& signal, int position, double amplitude);
// Adds a click whose envelope decays within about 3 samples.
Click addDampedClick(std::vector<float>& signal, int position, double amplitude);
// Adds a slow, ringing burst (a decaying resonance over ~length samples).
Click addRingingBurst(std::vector<float>& signal, int position, double amplitude, double frequency,
                      int length);

// Squared error of a against b over [from, to).
double squaredError(const std::vector<float>& a, const std::vector<float>& b, int from, int to);

// Circular autocorrelation by direct summation in double.
std::vector<double> naiveAutocorrelation(const float* x, int n);
// Real DFT bins 0..n/2 in double: re/im pairs.
void naiveRealDft(const double* x, int n, std::vector<double>& re, std::vector<double>& im);
// Inverse of bins 0..n/2 (imaginary parts of 0 and n/2 ignored), scaled 1/n.
void naiveInverseRealDft(const std::vector<double>& re, const std::vector<double>& im, int n, double* x);

}  // namespace test_signals
