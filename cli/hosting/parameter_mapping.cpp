#include "hosting/parameter_mapping.h"

namespace table = sarnovellite::effect::sarnovellite_parameters;

float sensitivityParameterValue(int sensitivity) {
    return sarnovellite::effect::normalisedFor(table::kSensitivityInfo, sensitivity);
}

float clickGapParameterValue(int gapSamples) {
    return sarnovellite::effect::normalisedFor(table::kClickGapInfo, gapSamples);
}
