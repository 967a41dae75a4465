#pragma once

#include <cstdint>
#include <vector>

// The repair half of the engine given the exact damage: every region is
// filled by least-squares AR interpolation with a model fitted on the CLEAN
// signal around it (an upper bound for the model's quality), in order, each
// using the ones before it as repaired. Short regions (up to about 2 ms) use
// the engine's block order, longer ones an order of min(3m + 2, 3 p). A dev
// tool: it allocates freely.
struct OracleRegion {
    int64_t start, end;
};

// additive: the engine's additive click model (see additive_repair.h) with
// the clean model's prediction-error variance, click variances averaged over
// spread samples each side, instead of replacement.
void oracleRepair(const std::vector<float>& clean, std::vector<float>& damaged, double rate,
                  const std::vector<OracleRegion>& regions, bool additive = false, int32_t spread = 0);
