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
//     signal less predictable after it, and is weighed against that.
// Accepted runs are widened (more for longer runs: repairs that are too
// narrow leave a residual tick) and merged when closer than the model order.
struct DetectionLimits {
    int32_t firstStart;   // a region must start in [firstStart, lastStart)
    int32_t lastStart;
    int32_t validBegin;   // d and reference are defined on [validBegin, validEnd)
    int32_t validEnd;
    int32_t longestRun;   // runs longer than this are left alone
    float scale;          // the window's robust scale of d
    float threshold;      // in units of scale
    float crackleFactor;  // threshold multiplier for runs up to geometry.crackleRun
};

class ClickDetector {
public:
    // scratch: at least 2 * geometry.background floats, owned by the caller.
    ClickDetector(const RestoreGeometry& geometry, float* scratch) : g(geometry), scratch(scratch) {}

    // Writes at most capacity regions, in order, not overlapping; returns how many.
    int32_t find(const float* d, const float* reference, const DetectionLimits& limits, RepairRegion* out,
                 int32_t capacity) const;

private:
    float background(const float* reference, int32_t from, int32_t to) const;
    RestoreGeometry g;
    float* scratch;
};
