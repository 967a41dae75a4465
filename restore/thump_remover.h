#pragma once

#include <cstdint>
#include <vector>

#include "restore/restore_geometry.h"

// The low-frequency thump a large click or scratch leaves behind (the stylus
// and arm ringing at their resonance): a decaying 20-100 Hz pulse of tens of
// ms that starts where the click ends. Modelled as
//     t[n] = exp(-n / tau) (a sin(w n) + b cos(w n)),
// a least-squares fit, linear in a and b, over a grid of frequencies and
// decay times, refined around the best, on the low band from 2 ms after the
// click's end (what is left of the click's own edge is there; the free phase
// absorbs where exactly the pulse began; the subtraction fades in over those
// 2 ms) (a second-order
// low-pass at 150 Hz; the basis goes through the same filter, so the fit sees
// no phase error). It is accepted only when it explains most of the low-band
// energy after the click and stands well above the low band the music had
// just before it: bass notes and kick drums continue, or begin, without a
// click before them and are not pulses of this shape.
//
// A fitted thump usually outlasts the analysis window: it is subtracted from
// the window as far as it reaches, and the rest is kept (in a few slots) and
// subtracted from the samples of later windows as they arrive. Everything is
// sized at construction; nothing allocates after it.
class ThumpRemover {
public:
    // Throws std::bad_alloc.
    explicit ThumpRemover(const RestoreGeometry& geometry);

    // Forgets every pending thump.
    void reset();

    // The window moved on by geometry.hop: subtracts the pending thumps from
    // the new samples [window - hop, window) and ages them.
    void advance(float* window);

    // Fits a thump starting at `from` (a click just repaired ended there) on
    // the repaired window x, with the music before `clickStart` as the low
    // band's reference; subtracts it from [from, window) and keeps the rest.
    // Returns whether one was accepted.
    bool remove(float* x, int32_t clickStart, int32_t from);

private:
    struct Pending {
        bool active;
        int32_t start;  // window position of the thump's first sample (may be negative)
        int32_t length;
        double a, b, omega, decay;
        int32_t fade;  // samples of raised-cosine fade-in
    };
    double lowPassInto(const float* in, int32_t n, float* out) const;  // returns energy
    double fit(int32_t n, double omega, double decay, double& a, double& b);
    void subtract(float* x, const Pending& t, int32_t from, int32_t to) const;

    RestoreGeometry g;
    double b0, b1, b2, a1, a2;  // the low-pass biquad
    int32_t fitSpan;            // most samples fitted after the click (60 ms)
    int32_t shortestFit;        // fewest samples worth fitting (10 ms)
    int32_t reference;          // music low band measured over this before the click (20 ms)
    int32_t skip;               // the fit leaves out the first 2 ms: the click's own end is there
    std::vector<float> low;     // low-passed signal after the click
    std::vector<float> before;  // low-passed signal before it
    std::vector<float> basisSin, basisCos, lowSin, lowCos;
    Pending pending[4];
};
