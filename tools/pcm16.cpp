#include "tools/pcm16.h"

#include <algorithm>

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

void integerUnitsToPcm16(const double* samples, short* values, std::int64_t count) {
    // Adding and taking away 1.5 * 2^52 leaves the nearest integer, ties to
    // even, for any value below 2^51: what lrint gives in the default
    // rounding mode.
    constexpr double kRoundingShift = 6755399441055744.0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double wide = std::min(std::max(samples[i] * 65536.0, -2147483648.0), 2147483647.0);
        const auto rounded = static_cast<std::int32_t>((wide + kRoundingShift) - kRoundingShift);
        values[i] = static_cast<short>(rounded >> 16);
    }
}
