#include "hosting/parameter_mapping.h"

float sensitivityParameterValue(int sensitivity) {
    const int level = sensitivity - 1;
    if (level >= 4) return 1.0f;
    return static_cast<float>((level + 0.5) / 4.0);
}

float clickGapParameterValue(int gapSamples) {
    if (gapSamples >= 64) return 1.0f;
    return static_cast<float>((gapSamples - 8 + 0.5) / 56.0);
}
