#pragma once

#include <cstdint>
#include <vector>

#include "restore/lsar_solver.h"

// The additive click model over one region: what was observed is y = x + c,
// the music x follows the AR model (prediction-error variance sigmaE^2), the
// click c is zero-mean with a variance of its own per sample. The estimate of
// x minimises
//     |A x|^2 / sigmaE^2 + sum_i (y_i - x_i)^2 / sigmaC_i^2
// over the region (the LSAR system plus a diagonal load). The click variances
// are estimated from the data by a few EM steps, each sigmaC_i^2 being the
// expected square of the click there (its estimate squared plus the
// posterior variance), averaged over a short span so that a ringing click's
// decay is followed but single samples do not collapse. A click far above
// the music comes out as a plain LSAR replacement; one below the
// interpolation error is mostly left in place instead of being traded for a
// larger interpolation error.
//
// Sizes are fixed at construction; repair() allocates nothing.
class AdditiveRepair {
public:
    // Throws std::bad_alloc.
    AdditiveRepair(int32_t maxLength, int32_t maxOrder);

    // How the first click variances are guessed from the replacement's
    // residual r = y - x_replaced:
    //   expected: r^2 plus the replacement's posterior variance (plain EM);
    //   moments:  r^2 minus the interpolation's own error variance, that is
    //             what of the residual the music cannot explain. A click
    //             smaller than the music's unpredictability then starts near
    //             zero and is left in place: on dense music most crackle is
    //             that small, and replacing it would add more error than it
    //             removes. Long gaps, whose interpolation error grows to the
    //             music's level in the middle, start from `expected`.
    enum class Start { expected, moments };

    // x, from, length, a, order as LsarSolver::solve; observed[0..length-1]
    // is y. spread: half-width, in samples, of the span the click variance is
    // averaged over. Writes the music estimate into out[0..length-1]; returns
    // false (out undefined) when a solve fails.
    bool repair(const float* x, int32_t from, int32_t length, const float* a, int32_t order,
                double errorVariance, const float* observed, int32_t spread, Start start, double* out);

    // EM steps from the `moments` start; the `expected` start (long gaps) takes one.
    static constexpr int kIterations = 3;

private:
    LsarSolver solver;
    std::vector<double> loadings;
    std::vector<double> variance;
    std::vector<double> expected;
};
