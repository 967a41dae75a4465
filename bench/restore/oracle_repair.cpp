#include "oracle_repair.h"

#include <algorithm>
#include <cmath>

#include "restore/additive_repair.h"
#include "restore/ar_model.h"
#include "restore/lsar_solver.h"
#include "restore/restore_geometry.h"

void oracleRepair(const std::vector<float>& clean, std::vector<float>& x, double rate,
                  const std::vector<OracleRegion>& regions, bool additive, int32_t spread) {
    const RestoreGeometry g = RestoreGeometry::forRate(rate);
    const int64_t frames = static_cast<int64_t>(x.size());
    const int64_t span = g.samples(25.0);
    LsarSolver solver(g.longestGap * 2, g.longGapOrder);
    AdditiveRepair additiveRepair(g.longestGap * 2, g.longGapOrder);
    std::vector<float> observed(static_cast<size_t>(2 * g.longestGap));
    std::vector<float> tapered, a(static_cast<size_t>(g.longGapOrder));
    std::vector<double> r(static_cast<size_t>(g.longGapOrder + 1)), ad(a.size()), work(2 * r.size()),
        out(static_cast<size_t>(2 * g.longestGap));
    for (const OracleRegion& reg : regions) {
        const int32_t m = static_cast<int32_t>(reg.end - reg.start);
        if (m < 1 || m > solver.maxLength()) continue;
        const int32_t order = m <= g.shortGap ? g.longGapOrder : std::min(g.longGapOrder, 3 * m + 2);
        const int64_t from = reg.start - span, to = reg.end + span;
        if (from < order || to + order > frames) continue;
        tapered.assign(static_cast<size_t>(to - from), 0.0f);
        const double n = static_cast<double>(to - from);
        for (int64_t i = from; i < to; ++i)
            tapered[static_cast<size_t>(i - from)] =
                static_cast<float>(clean[static_cast<size_t>(i)] *
                                   (0.5 - 0.5 * std::cos(6.283185307179586 * (i - from + 0.5) / n)));
        autocorrelation(tapered.data(), static_cast<int32_t>(tapered.size()), order, r.data());
        if (levinsonDurbin(r.data(), order, ad.data(), work.data()) < 0) continue;
        for (int32_t k = 0; k < order; ++k)
            a[static_cast<size_t>(k)] = static_cast<float>(ad[static_cast<size_t>(k)]);
        if (additive) {
            double errorPower = 0.0;
            for (int64_t n = from + order; n < to; ++n) {
                double e = clean[static_cast<size_t>(n)];
                for (int32_t k = 0; k < order; ++k)
                    e -= a[static_cast<size_t>(k)] * clean[static_cast<size_t>(n - k - 1)];
                errorPower += e * e;
            }
            errorPower /= static_cast<double>(to - from - order);
            for (int32_t i = 0; i < m; ++i)
                observed[static_cast<size_t>(i)] = x[static_cast<size_t>(reg.start + i)];
            if (!additiveRepair.repair(
                    x.data(), static_cast<int32_t>(reg.start), m, a.data(), order, errorPower,
                    observed.data(), spread,
                    m <= g.shortGap ? AdditiveRepair::Start::moments : AdditiveRepair::Start::expected,
                    out.data()))
                continue;
        } else if (!solver.solve(x.data(), static_cast<int32_t>(reg.start), m, a.data(), order, 0.0, nullptr,
                                 out.data())) {
            continue;
        }
        for (int32_t i = 0; i < m; ++i)
            x[static_cast<size_t>(reg.start + i)] = static_cast<float>(out[static_cast<size_t>(i)]);
    }
}
