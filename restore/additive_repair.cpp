#include "restore/additive_repair.h"

#include <algorithm>
#include <cmath>

AdditiveRepair::AdditiveRepair(int32_t maxLength, int32_t maxOrder)
    : solver(maxLength, maxOrder),
      loadings(static_cast<size_t>(maxLength)),
      variance(static_cast<size_t>(maxLength)),
      expected(static_cast<size_t>(maxLength)) {}

bool AdditiveRepair::repair(const float* x, int32_t from, int32_t length, const float* a, int32_t order,
                            double errorVariance, const float* observed, int32_t spread, Start start,
                            double* out) {
    if (!solver.solve(x, from, length, a, order, 0.0, nullptr, out)) return false;
    if (!(errorVariance > 0.0)) return true;
    // The smallest click variance considered: far below the music's error,
    // where the sample is simply kept.
    const double floor = 1e-6 * errorVariance;
    // A long gap's steps cost length * order^2 each at a high order; one
    // step from the plain-EM start is nearly all of its gain.
    const int iterations = start == Start::moments ? kIterations : 1;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        solver.inverseDiagonal(length, order, variance.data());
        const bool moment = start == Start::moments && iteration == 0;
        for (int32_t i = 0; i < length; ++i) {
            const double click = observed[i] - out[i];
            const double v = errorVariance * variance[static_cast<size_t>(i)];
            expected[static_cast<size_t>(i)] = moment ? click * click - v : click * click + v;
        }
        for (int32_t i = 0; i < length; ++i) {
            const int32_t from = std::max(0, i - spread), to = std::min(length - 1, i + spread);
            double sum = 0.0;
            for (int32_t k = from; k <= to; ++k) sum += expected[static_cast<size_t>(k)];
            const double clickVariance = std::max(floor, sum / (to - from + 1));
            loadings[static_cast<size_t>(i)] = errorVariance / clickVariance;
        }
        if (!solver.resolveLoaded(length, order, loadings.data(), observed, out)) return false;
    }
    return true;
}
