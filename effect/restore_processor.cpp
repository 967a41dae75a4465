#include "effect/restore_processor.h"

#include <cmath>
#include <iterator>

#include "effect/parameters/restore_parameters.h"
#include "restore/restore_engine.h"

namespace sarnovellite::effect {

namespace {

namespace table = restore_parameters;
constexpr auto kRelaxed = std::memory_order_relaxed;

static_assert(std::size(table::kTable) == 5);

// What the engine is asked for, from the table's mappings of the stored values.
RestoreSettings settingsFor(const std::atomic<float>* values) {
    const auto value = [values](const ParameterInfo& info) {
        return mappedValue(info, values[info.index].load(kRelaxed));
    };
    RestoreSettings settings;
    settings.threshold = static_cast<float>(value(table::kThresholdInfo));
    settings.longestClickMs = static_cast<float>(value(table::kLongestClickInfo));
    settings.crackle = value(table::kCrackleInfo) != 0.0;
    settings.thump = value(table::kThumpInfo) != 0.0;
    settings.output =
        value(table::kOutputInfo) == table::kOutputRemoved ? RestoreOutput::removed : RestoreOutput::restored;
    return settings;
}

}  // namespace

RestoreProcessor::RestoreProcessor(double sampleRate) {
    for (const ParameterInfo& info : table::kTable)
        values[info.index].store(info.defaultNormalised, kRelaxed);
    prepare(std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : 44100.0);
}

RestoreProcessor::~RestoreProcessor() = default;

void RestoreProcessor::prepare(double sampleRate) {
    if (!(std::isfinite(sampleRate) && sampleRate > 0.0)) return;
    if (engine && sampleRate == rate) return;
    auto fresh = std::make_unique<RestoreEngine>(sampleRate, kChannels, settingsFor(values));
    engine = std::move(fresh);
    rate = sampleRate;
    latency.store(engine->latency(), kRelaxed);
}

// Cheap (a few clamps) and allocation-free, so it runs before every block;
// the same settings again change nothing in the engine.
void RestoreProcessor::applySettings() { engine->setSettings(settingsFor(values)); }

void RestoreProcessor::process(const float* inputLeft, const float* inputRight, float* outputLeft,
                               float* outputRight, std::int32_t frames) {
    applySettings();
    if (frames <= 0) return;
    const float* inputs[kChannels] = {inputLeft, inputRight};
    float* outputs[kChannels] = {outputLeft, outputRight};
    engine->process(inputs, outputs, frames);
}

void RestoreProcessor::reset() {
    applySettings();
    engine->reset();
}

void RestoreProcessor::setParameter(std::int32_t index, float normalised) {
    // Hosts send [0, 1]; anything else is pulled in, and NaN changes nothing.
    if (!findParameter(table::kTable, index) || std::isnan(normalised)) return;
    values[index].store(std::fmin(std::fmax(normalised, 0.0f), 1.0f), kRelaxed);
}

float RestoreProcessor::parameter(std::int32_t index) const {
    if (!findParameter(table::kTable, index)) return 0.0f;
    return values[index].load(kRelaxed);
}

void RestoreProcessor::parameterDisplay(std::int32_t index, char* text, std::size_t size) const {
    if (size == 0) return;
    const ParameterInfo* info = findParameter(table::kTable, index);
    if (!info) {
        *text = '\0';
        return;
    }
    formatValue(*info, mappedValue(*info, values[index].load(kRelaxed)), text, size);
}

}  // namespace sarnovellite::effect
