// Synthetic performers: each writes one kind of music onto a stereo bus, over
// the bus's whole length, from its own random generator (so a seed fixes the
// performance). Levels are rough; the clip normalises afterwards.
//
// They aim at what stresses a declicker, not at beauty: glottal pulses and
// plosive bursts, hammer attacks on inharmonic partials, dense detuned
// ensembles with vibrato, drum hits with instant onsets.
#pragma once

#include <cstddef>
#include <vector>

#include "bench/quality/random.h"

struct Bus {
    int rate;
    std::vector<double> left, right;

    Bus(int sampleRate, std::size_t frames) : rate(sampleRate), left(frames), right(frames) {}
    std::size_t frames() const { return left.size(); }
    // Adds `mono` from frame `at` on, panned from -1 (left) to 1 (right) at
    // constant power; the far channel is delayed by up to 0.3 ms.
    void place(const std::vector<double>& mono, std::size_t at, double pan, double gain);
};

void speech(Bus& bus, Random& random);
void piano(Bus& bus, Random& random);
void orchestra(Bus& bus, Random& random);
// handPercussion: claps, toms and shakers instead of a kit's kick and snare.
void drums(Bus& bus, Random& random, bool handPercussion);
void sustainedTones(Bus& bus, Random& random);
void pluckedGuitar(Bus& bus, Random& random);
void bassLine(Bus& bus, Random& random);
