#include "effect/sarnovellite_processor.h"

#include "dsp/primitive_dispatch.h"
#include "effect/parameters/sarnovellite_parameters.h"
#include "effect/stereo_interleave.h"
#include "engine/tqc_stream_engine.h"

namespace sarnovellite::effect {

namespace {

namespace table = sarnovellite_parameters;
constexpr auto kRelaxed = std::memory_order_relaxed;

}  // namespace

SarnovelliteProcessor::SarnovelliteProcessor()
    : spareValue(table::kSpareInfo.defaultNormalised),
      sensitivityLevel(0),
      sensitivityValue(0.0f),
      clickGapSamples(0),
      clickGapValue(0.0f),
      sliceLength(kSliceFrames),
      channelCount(kChannels) {
    SelectPrimitiveClass();  // a missing processor class is reported to the user there
    interleaveBuffer = std::make_unique<float[]>(static_cast<std::size_t>(sliceLength) * channelCount);
    engine = std::make_unique<TQCStreamEngine>(sliceLength, channelCount);
    setParameter(table::kSensitivity, table::kSensitivityInfo.defaultNormalised);
    setParameter(table::kClickGap, table::kClickGapInfo.defaultNormalised);
}

SarnovelliteProcessor::~SarnovelliteProcessor() = default;

void SarnovelliteProcessor::process(const float* inputLeft, const float* inputRight, float* outputLeft,
                                    float* outputRight, std::int32_t frames) {
    float* buffer = interleaveBuffer.get();
    if (frames <= 0) {
        engine->process(0, buffer, buffer);
        return;
    }
    std::int32_t remaining = frames;
    std::int32_t offset = 0;
    do {
        const std::int32_t n = sliceLength < remaining ? sliceLength : remaining;
        interleaveStereo(inputLeft + offset, inputRight + offset, buffer, n);
        engine->process(channelCount * n * static_cast<std::int32_t>(sizeof(float)), buffer, buffer);
        deinterleaveStereo(buffer, outputLeft + offset, outputRight + offset, n);
        remaining -= n;
        offset += n;
    } while (remaining > 0);
}

void SarnovelliteProcessor::reset() { engine->reset(); }

void SarnovelliteProcessor::setParameter(std::int32_t index, float value) {
    switch (index) {
        case table::kSensitivity: {
            const std::int32_t level = steppedValue(table::kSensitivityInfo, value);
            sensitivityValue.store(value, kRelaxed);
            sensitivityLevel.store(level, kRelaxed);
            engine->detector().setSensitivity(level);
            break;
        }
        case table::kClickGap: {
            const std::int32_t gap = steppedValue(table::kClickGapInfo, value);
            clickGapValue.store(value, kRelaxed);
            clickGapSamples.store(gap, kRelaxed);
            engine->detector().setClickGap(gap);
            break;
        }
        case table::kSpare:
            spareValue.store(value, kRelaxed);
            break;
        default:
            break;
    }
}

float SarnovelliteProcessor::parameter(std::int32_t index) const {
    switch (index) {
        case table::kSensitivity:
            return sensitivityValue.load(kRelaxed);
        case table::kClickGap:
            return clickGapValue.load(kRelaxed);
        default:
            return spareValue.load(kRelaxed);
    }
}

void SarnovelliteProcessor::parameterDisplay(std::int32_t index, char* text, std::size_t size) const {
    if (size == 0) return;
    switch (index) {
        case table::kSensitivity:
            formatValue(table::kSensitivityInfo, sensitivityLevel.load(kRelaxed), text, size);
            break;
        case table::kClickGap:
            formatValue(table::kClickGapInfo, clickGapSamples.load(kRelaxed), text, size);
            break;
        case table::kSpare:
            formatValue(table::kSpareInfo, steppedValue(table::kSpareInfo, spareValue.load(kRelaxed)), text,
                        size);
            break;
        default:
            *text = '\0';
            break;
    }
}

}  // namespace sarnovellite::effect
