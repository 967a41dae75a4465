#pragma once

#include <cstdint>

// Every length the restorer uses, derived from the sample rate so that the
// behaviour in milliseconds is the same at 8 kHz and at 192 kHz.
//
// One channel is processed in hops. At each hop the analysis window holds
//   [0, context)                      finished output (repaired history),
//   [context, context + hop)          the core, finished by this hop,
//   [context + hop, window)           look-ahead, not yet final.
// A click is repaired by the hop whose core holds its first sample; it may
// reach into the look-ahead, which is long enough for the longest repair plus
// the model context after it. The latency is hop + lookahead frames.
struct RestoreGeometry {
    double sampleRate;      // the rate lengths are derived from, clamped into [8000, 192000]
    int32_t order;          // AR order of the block model (26 at 44.1 kHz)
    int32_t longGapOrder;   // highest AR order for long gaps (3 * order)
    int32_t hop;            // 50 ms
    int32_t lookahead;      // 32 ms
    int32_t context;        // 16 ms
    int32_t window;         // context + hop + lookahead
    int32_t latency;        // hop + lookahead: 82 ms
    int32_t longestRun;     // longest detected run accepted (20 ms)
    int32_t longestGap;     // most samples one repair replaces (run + widening)
    int32_t shortGap;       // up to this, the block model repairs (about 2 ms)
    int32_t background;     // span each side of a candidate for its local background (5 ms)
    int32_t widen;          // base widening each side (0.025 ms, at least 1)
    int32_t neighbourhood;  // samples each side that fit a long gap's own model (10 ms)
    int32_t segment;        // local scales are taken over segments of this (1 ms)
    int32_t crackleRun;
    int32_t clickSpread;  // half-span a click's variance is averaged over (0.15 ms)
    // Pitch periods searched for pulse trains (voiced speech, bowed and
    // reed tones): 2.5 to 14 ms, that is 400 Hz down to 71 Hz.
    int32_t shortestPeriod;
    int32_t longestPeriod;  // runs up to this count as crackle (0.25 ms)

    static RestoreGeometry forRate(double sampleRate);
    // Milliseconds to samples at this geometry's rate, rounded, at least 1.
    int32_t samples(double ms) const;
};
