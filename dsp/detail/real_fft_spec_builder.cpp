#include "dsp/detail/real_fft_spec_builder.h"

#include <cmath>
#include <cstring>

#include "dsp/aligned_memory.h"
#include "dsp/fft_status.h"

namespace {

// Table sizes in bytes, rounded down to a multiple of 16 as the heap requests
// have always been sized; each still exceeds what its table holds.
std::int64_t RoundDown16(std::int64_t bytes) { return bytes & ~std::int64_t(15); }

// sin(2*pi*i/N) for i = 0..N/4. Near the quarter wave the cosine of the
// complementary angle is evaluated instead, so both ends keep full precision.
void FillQuarterSine(float* sine, std::int64_t n) {
    const double step = 6.283185307179586 / static_cast<double>(n);
    const std::int64_t quarter = n / 4;
    for (std::int64_t i = 0; i <= quarter; ++i) {
        const double value = (i <= n / 8) ? std::sin(static_cast<double>(i) * step)
                                          : std::cos(static_cast<double>(quarter - i) * step);
        sine[i] = static_cast<float>(value);
    }
}

// sin(2*pi*k/N) for any k >= 0, read from the quarter-wave table.
float SineFromTable(const float* sine, std::int64_t n, std::int64_t k) {
    const std::int64_t quarter = n / 4;
    k %= n;
    const std::int64_t quadrant = k / quarter;
    const std::int64_t r = k % quarter;
    switch (quadrant) {
        case 0:
            return sine[r];
        case 1:
            return sine[quarter - r];
        case 2:
            return -sine[r];
        default:
            return -sine[quarter - r];
    }
}

std::int32_t ReverseBits(std::int32_t value, int bits) {
    std::int32_t reversed = 0;
    for (int b = 0; b < bits; ++b) reversed |= ((value >> b) & 1) << (bits - 1 - b);
    return reversed;
}

void FillBitReverseList(std::int32_t* list, std::int64_t m, int log2m) {
    const int middleBits = log2m - 2;
    const std::int32_t middleCount = static_cast<std::int32_t>(m / 4);
    std::int32_t* cursor = list;
    for (std::int32_t a = 0; a < middleCount; ++a) {
        const std::int32_t r = ReverseBits(a, middleBits);
        if (r == a) {
            *cursor++ = -(a + 1);
        } else if (r > a) {
            *cursor++ = a + 1;
            *cursor++ = r + 1;
        }
    }
    *cursor = 0;
}

void FillTwiddles(float* twiddles, const float* sine, std::int64_t n, std::int64_t m) {
    // W^(t*i) with W = exp(-2*pi*i/M) is angle 2*pi*(2*t*i)/N.
    for (std::int64_t i = 0; i <= m / 4; ++i) {
        for (std::int64_t t = 1; t <= 3; ++t) {
            const std::int64_t k = 2 * t * i;
            twiddles[6 * i + 2 * (t - 1)] = SineFromTable(sine, n, k + n / 4);
            twiddles[6 * i + 2 * (t - 1) + 1] = -SineFromTable(sine, n, k);
        }
    }
}

void FillSplitTables(float* forwardSplit, float* inverseSplit, const float* sine, std::int64_t n) {
    const std::int64_t quarter = n / 4;
    for (std::int64_t k = 0; k < quarter; ++k) {
        forwardSplit[2 * k] = 0.5f * sine[quarter - k];
        forwardSplit[2 * k + 1] = 0.5f - 0.5f * sine[k];
        inverseSplit[2 * k] = sine[quarter - k];
        inverseSplit[2 * k + 1] = -sine[k];
    }
}

void FreeTables(RealFftSpec* spec) {
    AlignedFree(spec->bitReverse);
    AlignedFree(spec->twiddles);
    AlignedFree(spec->largeTwiddles);
    AlignedFree(spec->largeLevels);
    AlignedFree(spec->forwardSplit);
    AlignedFree(spec->inverseSplit);
}

bool SetScaling(RealFftSpec* spec, std::int32_t flag, std::int64_t n) {
    const long double length = static_cast<long double>(n);
    switch (flag) {
        case FftScaleForward:
            spec->scaleForward = 1;
            spec->factor = static_cast<float>(1.0L / length);
            return true;
        case FftScaleInverse:
            spec->scaleInverse = 1;
            spec->factor = static_cast<float>(1.0L / length);
            return true;
        case FftScaleSqrt:
            spec->scaleForward = 1;
            spec->scaleInverse = 1;
            spec->factor = static_cast<float>(1.0L / std::sqrt(length));
            return true;
        case FftNoScale:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::int32_t BuildRealFftSpec(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint) {
    if (out == nullptr) return StatusNullPointer;
    if (order < 0 || order > kRealFftMaxOrder) return StatusFftOrderError;

    auto* spec = static_cast<RealFftSpec*>(AlignedAlloc(sizeof(RealFftSpec)));
    if (spec == nullptr) return StatusNoMemory;
    std::memset(spec, 0, sizeof(RealFftSpec));
    spec->id = kRealFftSpecLiveId;
    spec->order = order;
    spec->hint = hint;
    spec->ownsMemory = 1;

    const std::int64_t n = std::int64_t(1) << order;
    if (!SetScaling(spec, flag, n)) {
        AlignedFree(spec);
        return StatusFftFlagError;
    }
    spec->workSize = 0;
    if (order <= 3) {
        *out = spec;
        return StatusOk;
    }

    const std::int64_t m = n / 2;
    auto* sine = static_cast<float*>(AlignedAlloc(RoundDown16(n + 19)));
    spec->bitReverse = static_cast<std::int32_t*>(AlignedAlloc(RoundDown16(m + 19)));
    spec->twiddles = static_cast<float*>(AlignedAlloc(RoundDown16(8 * m + 23)));
    spec->forwardSplit = static_cast<float*>(AlignedAlloc(RoundDown16(2 * n + 15)));
    spec->inverseSplit = static_cast<float*>(AlignedAlloc(RoundDown16(2 * n + 15)));
    if (sine == nullptr || spec->bitReverse == nullptr || spec->twiddles == nullptr ||
        spec->forwardSplit == nullptr || spec->inverseSplit == nullptr) {
        AlignedFree(sine);
        FreeTables(spec);
        AlignedFree(spec);
        return StatusNoMemory;
    }

    FillQuarterSine(sine, n);
    FillBitReverseList(spec->bitReverse, m, order - 1);
    FillTwiddles(spec->twiddles, sine, n, m);
    FillSplitTables(spec->forwardSplit, spec->inverseSplit, sine, n);
    AlignedFree(sine);
    *out = spec;
    return StatusOk;
}

std::int32_t ReleaseRealFftSpec(RealFftSpec* spec) {
    if (spec == nullptr) return StatusNullPointer;
    if (spec->id != kRealFftSpecLiveId) return StatusContextMismatch;
    spec->id = 0;
    if (spec->ownsMemory == 1) {
        FreeTables(spec);
        AlignedFree(spec);
    }
    return StatusOk;
}
