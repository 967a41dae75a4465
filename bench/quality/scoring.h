// Scores a contender's output against the clean original. Everything is pooled
// over all clips a contender processed: energies are summed before any dB.
//
// Per event and channel: gain = 10 log10(sum (damaged - clean)^2 /
// sum (output - clean)^2) over the event widened by 4 samples each side;
// fixed at >= 10 dB, made worse below -1 dB.
#pragma once

#include <cstddef>

#include "bench/quality/audio.h"
#include "bench/quality/damage.h"

constexpr std::size_t kEventWidening = 4;
constexpr double kFixedDb = 10.0, kWorseDb = -1.0;
// On clean input a sample counts as changed beyond this (about -120 dBFS, far
// above float rounding); changed runs closer than kRegionGapSeconds are one region.
constexpr double kChangedThreshold = 1e-6;
constexpr double kRegionGapSeconds = 0.002;

struct KindTally {
    std::size_t events = 0, fixed = 0, worse = 0;
    void add(const KindTally& o) { events += o.events, fixed += o.fixed, worse += o.worse; }
};

struct Tally {
    KindTally kinds[kDamageKinds];
    double signal = 0, errorBefore = 0, errorAfter = 0;    // whole files
    double maskSignal = 0, maskBefore = 0, maskAfter = 0;  // inside the exact masks
    double outsideChange = 0;                              // (output - damaged)^2 outside
    std::size_t outsideSamples = 0;                        // the widened events
    std::size_t cleanSamples = 0, cleanChanged = 0, cleanRegions = 0;
    double cleanSeconds = 0;

    // `output` must have the damaged file's rate, channels and length.
    void addRepair(const Audio& clean, const Damaged& damaged, const Audio& output);
    void addClean(const Audio& clean, const Audio& output);
    void add(const Tally& other);

    KindTally all() const;
};

// 10 log10(num / den), +inf for den == 0 < num, and NaN when both are 0.
double decibels(double num, double den);
double percent(std::size_t part, std::size_t whole);
