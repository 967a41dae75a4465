#pragma once

#include <cstdint>

#include "restore/restore_geometry.h"

// A region to repair: samples [start, end) of the analysis window.
struct RepairRegion {
    int32_t start;
    int32_t end;
    float peak;  // largest |statistic| inside, in units of the threshold's scale
};

// Turns a matched-filter statistic into regions to repair.
//
// A run is a stretch where |d| stays above half the threshold (gaps of up to
// `bridge` samples below it are bridged) holding at least one sample above the
// threshold. A run is a click only if
//   - it is no longer than the longest click asked for: a longer burst of
//     model error is a change in the music (a transient), not damage;
//   - its peak stands above the threshold times the largest of three scales:
//     the window's, and the local backgrounds just before and just after the
//     run (read from `reference`, the same statistic on a copy with the
//     clicks already found taken out). A drum hit or a plosive leaves the
//     signal less predictable after it, and is weighed against that;
//   - it is not one of a pulse train: voiced speech and many instruments put
//     an impulse into the model error every pitch period; a peak with peaks
//     of comparable size one period before and one period after is music;
//   - the signal after it is about as predictable as before it (a click or a
//     scratch returns to the music it interrupted; an onset does not), and
//     neither side is digital silence (the start or the cut of a sound).
// A run's edges are refined first: the click starts where the forward error
// first alarms inside it and ends where the backward error last does (the
// matched filter spreads evidence over the model's span both ways); a run
// with no such pair is a side lobe and is dropped. The hop whose core holds
// the refined start owns the click.
// Regions are then widened (more for longer ones: repairs that are too narrow
// leave a residual tick) and merged when closer than the model order.
// The whitened views of one window, all defined on [validBegin, validEnd).
struct DetectionInput {
    const float* statistic;  // matched filter d
    const float* reference;  // d on a copy with the clicks found so far taken out
    const float* forward;    // forward error
    const float* backward;   // backward error
    float forwardScale;      // robust scales of the two errors
    float backwardScale;
    // Robust scales of reference over whole segments of geometry.segment
    // samples, segment j starting at segmentOrigin + j * geometry.segment.
    const float* segmentScale;
    int32_t segmentOrigin;
    int32_t segmentCount;
};

struct DetectionLimits {
    int32_t firstStart;  // a click must start in [firstStart, lastStart)
    int32_t lastStart;
    int32_t validBegin;  // d and reference are defined on [validBegin, validEnd)
    int32_t validEnd;
    int32_t longestRun;   // runs longer than this are left alone
    float scale;          // the window's robust scale of d
    float threshold;      // in units of scale
    float crackleFactor;  // threshold multiplier for runs up to geometry.crackleRun
};

class ClickDetector {
public:
    // scratch: at least geometry.background / geometry.segment + 1 floats, owned by the caller.
    ClickDetector(const RestoreGeometry& geometry, float* scratch) : g(geometry), scratch(scratch) {}

    // Whether any sample of the statistic that find() scans stands above the
    // threshold: without one, find() returns 0 whatever the other inputs.
    bool anyAlarm(const float* statistic, const DetectionLimits& limits) const;

    // Writes at most capacity regions, in order, not overlapping; returns how many.
    int32_t find(const DetectionInput& input, const DetectionLimits& limits, RepairRegion* out,
                 int32_t capacity) const;

private:
    // Runs that began before firstStart belong to the previous hop; the scan
    // starts early enough to see where they end.
    int32_t scanBegin(const DetectionLimits& l) const {
        return l.validBegin > l.firstStart - l.longestRun ? l.validBegin : l.firstStart - l.longestRun;
    }
    int32_t scanEnd(const DetectionLimits& l) const {
        return l.lastStart + g.order < l.validEnd ? l.lastStart + g.order : l.validEnd;
    }
    float background(const DetectionInput& input, int32_t from, int32_t to) const;
    bool periodic(const float* d, int32_t at, float peak, int32_t begin, int32_t end) const;
    RestoreGeometry g;
    float* scratch;
};
