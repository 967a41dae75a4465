#pragma once

#include <cstdint>
#include <vector>

// Least-squares AR interpolation of one gap (Janssen, Veldhuis and Vries).
//
// Given x around a gap [start, start + length) and a model a[0..order-1], the
// gap's samples u minimise
//     sum over n in [start, start + length + order) of e[n]^2  +  loading * |u - y|^2,
// where e is the prediction error of the signal with u in the gap and y is
// what was observed there. loading = 0 is plain replacement (the damaged
// samples carry no information); loading > 0 is the additive click model,
// observed = music + click with a click variance of (error variance / loading),
// so a small click is estimated and subtracted rather than the samples
// replaced. The normal equations are banded (bandwidth order), symmetric
// positive definite and Toeplitz plus the loading: banded Cholesky in double
// costs about length * order^2 / 2.
//
// x must be readable on [start - order, start + length + order); the samples
// inside the gap are ignored (observed holds what the loading pulls towards).
// Sizes are fixed at construction (maxLength, maxOrder); solve() allocates
// nothing. One solver per thread; between calls it keeps only the last gap's
// system, for resolveLoaded and inverseDiagonal.
class LsarSolver {
public:
    // Throws std::bad_alloc.
    LsarSolver(int32_t maxLength, int32_t maxOrder);

    // Writes the estimate into out[0..length-1]. Returns false (out undefined)
    // when length or order are outside the constructed range or the system is
    // not numerically positive definite.
    bool solve(const float* x, int32_t start, int32_t length, const float* a, int32_t order, double loading,
               const float* observed, double* out);
    // The same with a loading of its own per sample (loadings[0..length-1],
    // each >= 0): a click whose size varies along the region (a decaying
    // ring) pulls each sample as hard as its own variance says.
    bool solveLoaded(const float* x, int32_t start, int32_t length, const float* a, int32_t order,
                     const double* loadings, const float* observed, double* out);
    // After a solve (either kind) of this same gap with this same model and
    // surroundings: the system again with new loadings, without recomputing
    // what the known samples contribute (the same result as solveLoaded).
    bool resolveLoaded(int32_t length, int32_t order, const double* loadings, const float* observed,
                       double* out);
    // After a successful solve: the diagonal of the inverse of the system
    // matrix (times the prediction-error variance, each sample's posterior
    // variance), in out[0..length-1]. Costs about length * order^2.
    void inverseDiagonal(int32_t length, int32_t order, double* out);

    int32_t maxLength() const { return lengthCapacity; }
    int32_t maxOrder() const { return orderCapacity; }

private:
    bool factorise(int32_t length, int32_t order, double loading, const double* loadings);
    bool solveWith(const float* x, int32_t start, int32_t length, const float* a, int32_t order,
                   double loading, const double* loadings, const float* observed, double* out);
    bool prepare(const float* x, int32_t start, int32_t length, const float* a, int32_t order);
    bool finish(int32_t length, int32_t order, double loading, const double* loadings, const float* observed,
                double* out);
    int32_t lengthCapacity;
    int32_t orderCapacity;
    std::vector<double> taps;            // 1, -a[0], ..., -a[order-1]
    std::vector<double> tapCorrelation;  // sum_k taps[k] taps[k + lag]
    std::vector<double> knownError;      // error with the gap zeroed, over [start, start + length + order)
    std::vector<double> band;            // row i: L(i, i - order .. i), diagonal last
    std::vector<double> knownRhs;        // what the known samples put into the normal equations
    std::vector<double> rhs;
    std::vector<double> inverseBand;  // row i: Z(i, i .. i + order) of the inverse
};
