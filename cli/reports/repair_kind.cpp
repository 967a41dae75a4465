#include "reports/repair_kind.h"

const char* repairKindName(std::int64_t lengthFrames, int sampleRate) {
    // Compared in frames times 1000 against milliseconds times the rate, so
    // the limits hold exactly at every sample rate.
    const std::int64_t scaled = lengthFrames * 1000;
    if (scaled <= static_cast<std::int64_t>(sampleRate)) return "click";
    if (scaled <= 5 * static_cast<std::int64_t>(sampleRate)) return "long click";
    return "scratch";
}
