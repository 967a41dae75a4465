#include "audio_io/pcm16.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool writesAsPcm16(int format) {
    if (!readsAsPcm16(format)) return false;
    switch (format & SF_FORMAT_TYPEMASK) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
        case SF_FORMAT_RF64:
        case SF_FORMAT_W64:
        case SF_FORMAT_AIFF:
        case SF_FORMAT_CAF:
        case SF_FORMAT_AU:
            return true;
        default:
            return false;
    }
}

void pcm16ToUnit(const short* values, double* samples, float* asFloat, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        samples[i] = values[i] * (1.0 / 32768.0);
        asFloat[i] = static_cast<float>(samples[i]);
    }
}

namespace {

// One value as libsndfile's PCM code converts it: to 32-bit range, clipped
// there, rounded in the current rounding mode (lrint), shifted back.
short integerUnitToPcm16(double sample) {
    const double wide = std::min(std::max(sample * 65536.0, -2147483648.0), 2147483647.0);
    return static_cast<short>(static_cast<std::int32_t>(std::lrint(wide)) >> 16);
}

}  // namespace

void integerUnitsToPcm16(const double* samples, short* values, std::int64_t count) {
    std::int64_t i = 0;
#if defined(__SSE2__)
    // Four at a time: cvtpd2dq rounds in the current rounding mode exactly as
    // lrint does, and the shift and the saturating pack change no value in
    // range.
    const __m128d scale = _mm_set1_pd(65536.0);
    const __m128d low = _mm_set1_pd(-2147483648.0);
    const __m128d high = _mm_set1_pd(2147483647.0);
    const auto wide = [&](const double* at) {
        const __m128d clipped = _mm_min_pd(_mm_max_pd(_mm_mul_pd(_mm_loadu_pd(at), scale), low), high);
        return _mm_srai_epi32(_mm_cvtpd_epi32(clipped), 16);
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i four = _mm_unpacklo_epi64(wide(samples + i), wide(samples + i + 2));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(values + i), _mm_packs_epi32(four, four));
    }
#endif
    for (; i < count; ++i) values[i] = integerUnitToPcm16(samples[i]);
}
