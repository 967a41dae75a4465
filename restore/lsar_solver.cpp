#include "restore/lsar_solver.h"

#include <cmath>

LsarSolver::LsarSolver(int32_t maxLength, int32_t maxOrder)
    : lengthCapacity(maxLength),
      orderCapacity(maxOrder),
      taps(static_cast<size_t>(maxOrder + 1)),
      tapCorrelation(static_cast<size_t>(maxOrder + 1)),
      knownError(static_cast<size_t>(maxLength + maxOrder)),
      band(static_cast<size_t>(maxLength) * static_cast<size_t>(maxOrder + 1)),
      knownRhs(static_cast<size_t>(maxLength)),
      rhs(static_cast<size_t>(maxLength)),
      inverseBand(static_cast<size_t>(maxLength) * static_cast<size_t>(maxOrder + 1)) {}

// Row-wise banded Cholesky of T(i, j) = tapCorrelation[|i - j|] + loading [i == j].
// Row i keeps L(i, k) for k in [i - order, i] at column k - i + order.
bool LsarSolver::factorise(int32_t length, int32_t order, double loading, const double* loadings) {
    const int32_t width = order + 1;
    for (int32_t i = 0; i < length; ++i) {
        double* rowI = band.data() + static_cast<size_t>(i) * width;
        const int32_t first = i - order > 0 ? i - order : 0;
        for (int32_t k = i - order; k < first; ++k) rowI[k - i + order] = 0.0;
        for (int32_t j = first; j <= i; ++j) {
            const double* rowJ = band.data() + static_cast<size_t>(j) * width;
            double sum = tapCorrelation[static_cast<size_t>(i - j)] +
                         (i == j ? loading + (loadings ? loadings[i] : 0.0) : 0.0);
            const double* li = rowI + (first - i + order);
            const double* lj = rowJ + (first - j + order);
            for (int32_t k = 0; k < j - first; ++k) sum -= li[k] * lj[k];
            if (j < i) {
                rowI[j - i + order] = sum / rowJ[order];
            } else {
                if (!(sum > 0.0)) return false;
                rowI[order] = std::sqrt(sum);
            }
        }
    }
    return true;
}

bool LsarSolver::solve(const float* x, int32_t start, int32_t length, const float* a, int32_t order,
                       double loading, const float* observed, double* out) {
    return solveWith(x, start, length, a, order, loading, nullptr, observed, out);
}

bool LsarSolver::solveLoaded(const float* x, int32_t start, int32_t length, const float* a, int32_t order,
                             const double* loadings, const float* observed, double* out) {
    return solveWith(x, start, length, a, order, 0.0, loadings, observed, out);
}

bool LsarSolver::resolveLoaded(int32_t length, int32_t order, const double* loadings, const float* observed,
                               double* out) {
    if (length < 1 || length > lengthCapacity || order < 1 || order > orderCapacity) return false;
    return finish(length, order, 0.0, loadings, observed, out);
}

bool LsarSolver::solveWith(const float* x, int32_t start, int32_t length, const float* a, int32_t order,
                           double loading, const double* loadings, const float* observed, double* out) {
    return prepare(x, start, length, a, order) && finish(length, order, loading, loadings, observed, out);
}

// The model's tap correlations and the known samples' share of the normal
// equations' right-hand side.
bool LsarSolver::prepare(const float* x, int32_t start, int32_t length, const float* a, int32_t order) {
    if (length < 1 || length > lengthCapacity || order < 1 || order > orderCapacity) return false;
    taps[0] = 1.0;
    for (int32_t k = 1; k <= order; ++k) taps[static_cast<size_t>(k)] = -static_cast<double>(a[k - 1]);
    for (int32_t lag = 0; lag <= order; ++lag) {
        double sum = 0.0;
        for (int32_t k = 0; k + lag <= order; ++k)
            sum += taps[static_cast<size_t>(k)] * taps[static_cast<size_t>(k + lag)];
        tapCorrelation[static_cast<size_t>(lag)] = sum;
    }
    // Prediction error of the known samples alone (the gap taken as zero).
    const int32_t end = start + length;
    for (int32_t n = start; n < end + order; ++n) {
        double sum = 0.0;
        for (int32_t k = 0; k <= order; ++k) {
            const int32_t at = n - k;
            if (at < start || at >= end) sum += taps[static_cast<size_t>(k)] * static_cast<double>(x[at]);
        }
        knownError[static_cast<size_t>(n - start)] = sum;
    }
    for (int32_t i = 0; i < length; ++i) {
        double sum = 0.0;
        for (int32_t j = 0; j <= order; ++j)
            sum += taps[static_cast<size_t>(j)] * knownError[static_cast<size_t>(i + j)];
        knownRhs[static_cast<size_t>(i)] = sum;
    }
    return true;
}

bool LsarSolver::finish(int32_t length, int32_t order, double loading, const double* loadings,
                        const float* observed, double* out) {
    for (int32_t i = 0; i < length; ++i) {
        const double load = loading + (loadings ? loadings[i] : 0.0);
        rhs[static_cast<size_t>(i)] =
            -knownRhs[static_cast<size_t>(i)] + (load > 0.0 ? load * static_cast<double>(observed[i]) : 0.0);
    }
    // Rounding can make a strongly resonant model's system semidefinite; a
    // ridge far below any audible level then makes it factorisable.
    if (!factorise(length, order, loading, loadings) &&
        !factorise(length, order, loading + 1e-10 * tapCorrelation[0], loadings))
        return false;
    const int32_t width = order + 1;
    // L z = rhs, then L^T u = z.
    for (int32_t i = 0; i < length; ++i) {
        const double* row = band.data() + static_cast<size_t>(i) * width;
        const int32_t first = i - order > 0 ? i - order : 0;
        double sum = rhs[static_cast<size_t>(i)];
        for (int32_t k = first; k < i; ++k) sum -= row[k - i + order] * out[k];
        out[i] = sum / row[order];
    }
    for (int32_t i = length - 1; i >= 0; --i) {
        const int32_t last = i + order < length - 1 ? i + order : length - 1;
        double sum = out[i];
        for (int32_t k = i + 1; k <= last; ++k)
            sum -= band[static_cast<size_t>(k) * width + static_cast<size_t>(i - k + order)] * out[k];
        out[i] = sum / band[static_cast<size_t>(i) * width + static_cast<size_t>(order)];
    }
    for (int32_t i = 0; i < length; ++i)
        if (!std::isfinite(out[i])) return false;
    return true;
}

// Takahashi's recursion on the banded factor: Z = (L L^T)^-1 within the band,
// from the last row up, Z(i, j) = [i == j] / L(i, i)^2 - sum_k L(k, i) Z(k, j) / L(i, i)
// over k in (i, i + order].
void LsarSolver::inverseDiagonal(int32_t length, int32_t order, double* out) {
    const int32_t width = order + 1;
    auto L = [&](int32_t row, int32_t col) {  // row >= col, row - col <= order
        return band[static_cast<size_t>(row) * width + static_cast<size_t>(col - row + order)];
    };
    auto Z = [&](int32_t i, int32_t j) -> double& {  // i <= j <= i + order
        return inverseBand[static_cast<size_t>(i) * width + static_cast<size_t>(j - i)];
    };
    for (int32_t i = length - 1; i >= 0; --i) {
        const int32_t last = i + order < length - 1 ? i + order : length - 1;
        const double diagonal = L(i, i);
        for (int32_t j = last; j >= i; --j) {
            double sum = 0.0;
            for (int32_t k = i + 1; k <= last; ++k) sum += L(k, i) * (k <= j ? Z(k, j) : Z(j, k));
            Z(i, j) = ((i == j ? 1.0 / diagonal : 0.0) - sum) / diagonal;
        }
        out[i] = Z(i, i);
    }
}
