#pragma once

#include <cstdint>
#include <vector>

#include "restore/additive_repair.h"
#include "restore/click_detector.h"
#include "restore/lsar_solver.h"
#include "restore/restore_geometry.h"
#include "restore/thump_remover.h"

// What one hop of one channel is asked to do (from RestoreSettings, clamped).
struct HopSettings {
    float threshold;
    int32_t longestRun;  // samples
    bool crackle;
    bool thump;
};

// Detects and repairs the clicks of one channel, one analysis window at a
// time (see RestoreGeometry for the window's layout).
//
// processHop(window) repairs, in place, every click whose first sample lies
// in the core; repairs may reach into the look-ahead, never before the core.
// The window must hold finite samples of moderate size (the engine replaces
// anything else by zero before it gets here); a repair whose result is not
// finite is dropped. Steps:
//   1. fit an AR model to the whole window (Hann taper, Levinson-Durbin);
//   2. whiten it (forward error, matched filter) and find clicks against a
//      median-based scale;
//   3. if any: repair them in a copy by LSAR, refit the model on the copy,
//      and find the clicks again with the cleaner model and scale;
//   4. repair those in the window by the additive click model (see
//      AdditiveRepair): short ones with the block model, long ones with a
//      higher-order model fitted on their own neighbourhood.
//
//   5. after a large click, fit and subtract the low-frequency thump it
//      left (see ThumpRemover), also from later windows as they arrive.
//
// All buffers are sized at construction; processHop allocates nothing. The
// only signal state kept between calls is the rest of a thump still to be
// subtracted (the window itself is the history); reset() forgets it.
class ChannelRestorer {
public:
    // Throws std::bad_alloc.
    explicit ChannelRestorer(const RestoreGeometry& geometry);
    ChannelRestorer(const ChannelRestorer&) = delete;
    ChannelRestorer& operator=(const ChannelRestorer&) = delete;

    void reset() { thump.reset(); }

    // Returns the number of regions repaired.
    int32_t processHop(float* window, const HopSettings& settings);

    // The regions of the last processHop, in window positions (for tests).
    const RepairRegion* lastRegions() const { return finalRegions.data(); }

private:
    bool fitModel(const float* x, float* coefficients);
    void whiten(const float* x, const float* coefficients, float* error, float* statistic);
    float analyse(const float* x, const float* coefficients, float* error, float* statistic);
    DetectionLimits limits(float scale, const HopSettings& settings) const;
    int32_t detect(const float* reference, float scale, float errorScale, const HopSettings& settings,
                   std::vector<RepairRegion>& regions);
    void replaceRegions(float* x, const float* coefficients, const RepairRegion* regions, int32_t count);
    void repairShort(float* x, const RepairRegion& region, const float* coefficients, float errorScale);
    void repairLong(float* x, const RepairRegion& region);
    void removeThumps(float* x);
    int32_t tailEnd(const float* x, const RepairRegion& region, int32_t limit, float errorScale);
    bool writeBack(float* x, const RepairRegion& region, const double* values);

    RestoreGeometry g;
    std::vector<float> taper;
    std::vector<float> tapered;
    std::vector<double> correlation;
    std::vector<double> levinsonWork;
    std::vector<double> coefficientsDouble;
    std::vector<float> model;      // block model of the pass in progress
    std::vector<float> longModel;  // a long gap's own model
    std::vector<float> original;
    std::vector<float> cleaned;
    std::vector<float> error;
    std::vector<float> backward;
    std::vector<float> statistic;
    std::vector<float> referenceError;
    std::vector<float> reference;
    std::vector<float> scratch;
    std::vector<float> segmentScale;  // of the reference statistic
    int32_t segmentCount = 0;
    float levelFloor = 0.0f;  // smallest scale of the statistic for this window
    std::vector<float> observed;
    std::vector<double> estimate;
    std::vector<RepairRegion> firstRegions;
    std::vector<RepairRegion> finalRegions;
    int32_t finalCount = 0;
    LsarSolver solver;
    AdditiveRepair additive;
    ThumpRemover thump;
};
