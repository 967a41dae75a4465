// LSAR interpolation against a dense least-squares solve in double: the
// banded Cholesky must give the minimiser of the prediction-error energy
// (plus the additive model's loading) over random AR data, gaps and orders.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "restore/lsar_solver.h"

namespace {

// A stable random AR(order) model: poles drawn inside radius 0.85, expanded
// in double (rounded to float, a high order's polynomial may not be stable).
std::vector<double> randomModel(int order, std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    // Polynomial with real coefficients from conjugate pole pairs (and one real pole if odd).
    std::vector<double> poly{1.0};
    auto multiply = [&](std::vector<double> factor) {
        std::vector<double> next(poly.size() + factor.size() - 1, 0.0);
        for (size_t i = 0; i < poly.size(); ++i)
            for (size_t j = 0; j < factor.size(); ++j) next[i + j] += poly[i] * factor[j];
        poly = next;
    };
    while (static_cast<int>(poly.size()) + 1 <= order) {  // degree + 2 <= order
        const double r = 0.4 + 0.45 * u(rng), w = 3.14159 * u(rng);
        multiply({1.0, -2.0 * r * std::cos(w), r * r});
    }
    if (static_cast<int>(poly.size()) - 1 < order) multiply({1.0, -(0.9 * u(rng) - 0.45)});
    std::vector<double> a(static_cast<size_t>(order));
    for (int k = 0; k < order; ++k) a[static_cast<size_t>(k)] = -poly[static_cast<size_t>(k + 1)];
    return a;
}

std::vector<float> arProcess(const std::vector<double>& a, int length, std::mt19937& rng) {
    std::normal_distribution<double> noise(0.0, 0.01);
    std::vector<double> x(static_cast<size_t>(length + 500), 0.0);
    const int p = static_cast<int>(a.size());
    for (int n = p; n < length + 500; ++n) {
        double v = noise(rng);
        for (int k = 1; k <= p; ++k) v += a[static_cast<size_t>(k - 1)] * x[static_cast<size_t>(n - k)];
        x[static_cast<size_t>(n)] = v;
    }
    return std::vector<float>(x.begin() + 500, x.end());
}

// Dense normal equations of min |M u + b|^2 + loading |u - y|^2, solved by
// Gaussian elimination with partial pivoting.
std::vector<double> denseSolve(const std::vector<float>& x, int start, int m, const std::vector<float>& a,
                               double loading, const std::vector<float>& y) {
    const int p = static_cast<int>(a.size());
    std::vector<double> c(static_cast<size_t>(p + 1));
    c[0] = 1.0;
    for (int k = 1; k <= p; ++k)
        c[static_cast<size_t>(k)] = -static_cast<double>(a[static_cast<size_t>(k - 1)]);
    const int rows = m + p;
    std::vector<std::vector<double>> M(static_cast<size_t>(rows),
                                       std::vector<double>(static_cast<size_t>(m), 0.0));
    std::vector<double> b(static_cast<size_t>(rows), 0.0);
    for (int r = 0; r < rows; ++r) {
        const int n = start + r;
        for (int k = 0; k <= p; ++k) {
            const int at = n - k;
            if (at >= start && at < start + m)
                M[static_cast<size_t>(r)][static_cast<size_t>(at - start)] = c[static_cast<size_t>(k)];
            else
                b[static_cast<size_t>(r)] += c[static_cast<size_t>(k)] * x[static_cast<size_t>(at)];
        }
    }
    std::vector<std::vector<double>> A(static_cast<size_t>(m),
                                       std::vector<double>(static_cast<size_t>(m + 1), 0.0));
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < m; ++j)
            for (int r = 0; r < rows; ++r) A[i][j] += M[r][i] * M[r][j];
        A[i][i] += loading;
        for (int r = 0; r < rows; ++r) A[i][m] -= M[r][i] * b[r];
        A[i][m] += loading * y[static_cast<size_t>(i)];
    }
    for (int col = 0; col < m; ++col) {
        int pivot = col;
        for (int r = col + 1; r < m; ++r)
            if (std::fabs(A[r][col]) > std::fabs(A[pivot][col])) pivot = r;
        std::swap(A[col], A[pivot]);
        for (int r = col + 1; r < m; ++r) {
            const double f = A[r][col] / A[col][col];
            for (int j = col; j <= m; ++j) A[r][j] -= f * A[col][j];
        }
    }
    std::vector<double> u(static_cast<size_t>(m));
    for (int i = m - 1; i >= 0; --i) {
        double s = A[i][m];
        for (int j = i + 1; j < m; ++j) s -= A[i][j] * u[static_cast<size_t>(j)];
        u[static_cast<size_t>(i)] = s / A[i][i];
    }
    return u;
}

// Prediction-error energy over [start, start + m + p) with u in the gap, plus
// the loading term: what both solvers minimise.
double objective(const std::vector<float>& x, int start, const std::vector<double>& u,
                 const std::vector<float>& a, double loading, const std::vector<float>& y) {
    const int p = static_cast<int>(a.size()), m = static_cast<int>(u.size());
    auto value = [&](int at) {
        return at >= start && at < start + m ? u[static_cast<size_t>(at - start)]
                                             : static_cast<double>(x[static_cast<size_t>(at)]);
    };
    double energy = 0.0;
    for (int n = start; n < start + m + p; ++n) {
        double e = value(n);
        for (int k = 1; k <= p; ++k) e -= a[static_cast<size_t>(k - 1)] * value(n - k);
        energy += e * e;
    }
    for (int i = 0; i < m; ++i) {
        const double d = u[static_cast<size_t>(i)] - y[static_cast<size_t>(i)];
        energy += loading * d * d;
    }
    return energy;
}

TEST(Lsar, MatchesTheDenseLeastSquaresSolveOnRandomArData) {
    std::mt19937 rng(20240611);
    LsarSolver solver(400, 80);
    int cases = 0;
    for (int order : {1, 4, 10, 26, 40, 80}) {
        for (int m : {1, 2, 7, 30, 120, 400}) {
            for (double loading : {0.0, 0.3, 25.0}) {
                const auto model = randomModel(order, rng);
                auto x = arProcess(model, m + 2 * order + 50, rng);
                const std::vector<float> a(model.begin(), model.end());
                float peak = 0.0f;
                for (float v : x) peak = std::max(peak, std::fabs(v));
                ASSERT_TRUE(std::isfinite(peak) && peak > 0.0f) << "test model unstable, order " << order;
                for (float& v : x) v /= peak;  // high orders have a large gain
                const int start = order + 20;
                std::vector<float> observed(static_cast<size_t>(m));
                for (int i = 0; i < m; ++i)
                    observed[static_cast<size_t>(i)] = x[static_cast<size_t>(start + i)] + 0.05f;
                for (int i = 0; i < m; ++i) x[static_cast<size_t>(start + i)] = 1e3f;  // must be ignored
                std::vector<double> banded(static_cast<size_t>(m));
                ASSERT_TRUE(solver.solve(x.data(), start, m, a.data(), order, loading, observed.data(),
                                         banded.data()))
                    << "order " << order << " gap " << m << " loading " << loading;
                const auto dense = denseSolve(x, start, m, a, loading, observed);
                // Both minimise the same energy. On resonant high-order models
                // the minimiser is ill-conditioned (either solve may be the
                // closer one), so the banded solve must reach the dense
                // solve's energy everywhere, and its samples where the model
                // is moderate.
                const double banded_energy = objective(x, start, banded, a, loading, observed);
                const double dense_energy = objective(x, start, dense, a, loading, observed);
                EXPECT_LE(banded_energy, dense_energy * (1.0 + 1e-6))
                    << banded_energy << " " << dense_energy << " order " << order << " gap " << m
                    << " loading " << loading;
                if (order <= 26) {
                    double scale = 1e-12, worst = 0.0;
                    for (int i = 0; i < m; ++i) {
                        scale = std::max(scale, std::fabs(dense[static_cast<size_t>(i)]));
                        worst = std::max(
                            worst, std::fabs(dense[static_cast<size_t>(i)] - banded[static_cast<size_t>(i)]));
                    }
                    EXPECT_LT(worst, 1e-6 * scale)
                        << "order " << order << " gap " << m << " loading " << loading;
                }
                ++cases;
            }
        }
    }
    EXPECT_EQ(cases, 108);
}

// The additive model's per-sample loadings and its posterior variances: the
// banded solve must minimise the energy with each sample's own loading (the
// dense reference is checked through that energy's gradient, zero at the
// minimiser), and inverseDiagonal must give the diagonal of the inverse of
// the dense normal matrix (Gauss-Jordan in double).
TEST(Lsar, PerSampleLoadingsAndPosteriorVariancesMatchTheDenseSystem) {
    std::mt19937 rng(7);
    LsarSolver solver(60, 26);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int order : {3, 12, 26}) {
        for (int m : {1, 9, 60}) {
            const auto model = randomModel(order, rng);
            auto x = arProcess(model, m + 2 * order + 50, rng);
            const std::vector<float> a(model.begin(), model.end());
            const int start = order + 20;
            std::vector<float> observed(static_cast<size_t>(m));
            std::vector<double> loadings(static_cast<size_t>(m));
            for (int i = 0; i < m; ++i) {
                observed[static_cast<size_t>(i)] = x[static_cast<size_t>(start + i)] + 0.02f;
                loadings[static_cast<size_t>(i)] = u(rng) < 0.5 ? 0.0 : std::pow(10.0, 4.0 * u(rng) - 2.0);
            }
            std::vector<double> out(static_cast<size_t>(m)), diagonal(static_cast<size_t>(m));
            ASSERT_TRUE(solver.solveLoaded(x.data(), start, m, a.data(), order, loadings.data(),
                                           observed.data(), out.data()));
            solver.inverseDiagonal(m, order, diagonal.data());
            // Dense H = M^T M + diag(loadings) and g = H u - (M^T (-b) + loadings y).
            std::vector<double> c(static_cast<size_t>(order + 1));
            c[0] = 1.0;
            for (int k = 1; k <= order; ++k)
                c[static_cast<size_t>(k)] = -static_cast<double>(a[static_cast<size_t>(k - 1)]);
            const int rows = m + order;
            std::vector<std::vector<double>> M(static_cast<size_t>(rows), std::vector<double>(m, 0.0));
            std::vector<double> b(static_cast<size_t>(rows), 0.0);
            for (int r = 0; r < rows; ++r)
                for (int k = 0; k <= order; ++k) {
                    const int at = start + r - k;
                    if (at >= start && at < start + m)
                        M[r][at - start] = c[k];
                    else
                        b[r] += c[k] * x[static_cast<size_t>(at)];
                }
            std::vector<std::vector<double>> H(m, std::vector<double>(2 * m, 0.0));
            double gradient = 0.0, size = 1e-12;
            for (int i = 0; i < m; ++i) {
                double g = 0.0;
                for (int j = 0; j < m; ++j) {
                    for (int r = 0; r < rows; ++r) H[i][j] += M[r][i] * M[r][j];
                    g += H[i][j] * out[j];
                }
                H[i][i] += loadings[i];
                H[i][m + i] = 1.0;
                g += loadings[i] * (out[i] - observed[i]);
                for (int r = 0; r < rows; ++r) g += M[r][i] * b[r];
                gradient = std::max(gradient, std::fabs(g));
                size = std::max(size, std::fabs(out[i]) * (H[i][i] + 1.0));
            }
            EXPECT_LT(gradient, 1e-7 * size) << "order " << order << " gap " << m;
            for (int col = 0; col < m; ++col) {  // SPD: no pivoting needed
                const double pivot = H[col][col];
                for (int j = 0; j < 2 * m; ++j) H[col][j] /= pivot;
                for (int r = 0; r < m; ++r)
                    if (r != col) {
                        const double f = H[r][col];
                        for (int j = 0; j < 2 * m; ++j) H[r][j] -= f * H[col][j];
                    }
            }
            for (int i = 0; i < m; ++i)
                EXPECT_NEAR(diagonal[i], H[i][m + i], 1e-6 * std::fabs(H[i][m + i]))
                    << "order " << order << " gap " << m << " sample " << i;
        }
    }
}

TEST(Lsar, RefusesSizesBeyondItsConstruction) {
    LsarSolver solver(16, 8);
    std::vector<float> x(100, 0.1f), a(9, 0.1f);
    std::vector<double> out(32);
    EXPECT_FALSE(solver.solve(x.data(), 20, 17, a.data(), 8, 0.0, nullptr, out.data()));
    EXPECT_FALSE(solver.solve(x.data(), 20, 16, a.data(), 9, 0.0, nullptr, out.data()));
    EXPECT_FALSE(solver.solve(x.data(), 20, 0, a.data(), 8, 0.0, nullptr, out.data()));
}

}  // namespace
