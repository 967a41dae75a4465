#include "effect/zovoridureri.h"

#include <cstdio>
#include <cstring>

#include "dsp/primitive_dispatch.h"
#include "effect/stereo_interleave.h"
#include "engine/tqc_stream_engine.h"
#include "host/numeric_conversion.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr float kDefaultClickGapValue = 0.42857143f;  // (32 - 8) / 56, maps back to 32 samples
constexpr std::int32_t kDefaultClickGapSamples = 32;

constexpr VstInt32 kSensitivityIndex = 0;
constexpr VstInt32 kClickGapIndex = 2;
constexpr VstInt32 kSpareIndex = 3;

// The mapped products are exact in double for every float input; what does not
// fit an int32 (huge values, infinities, NaN) saturates instead of being
// undefined, so the detector's own range handling decides.
std::int32_t sensitivityLevelFor(float value) {
    return saturatingTruncateToInt32(static_cast<double>(value) * 4.0);
}

std::int32_t clickGapSamplesFor(float value) {
    return saturatingTruncateToInt32(static_cast<double>(value) * 56.0 + 8.0);
}

}  // namespace

ZOVOridureri::ZOVOridureri(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, 1),
      spareValue(1.0f),
      programName{},
      sensitivityLevel(0),
      sensitivityValue(0.0f),
      clickGapSamples(kDefaultClickGapSamples),
      clickGapValue(kDefaultClickGapValue),
      sliceLength(kSliceFrames),
      channelCount(kChannels) {
    SelectPrimitiveClass();  // a missing processor class is reported to the user there
    setNumInputs(channelCount);
    setNumOutputs(channelCount);
    setUniqueID(kUniqueId);
    canMono(true);
    canProcessReplacing(true);
    std::strcpy(programName, "Default");
    setupEngine();
}

ZOVOridureri::~ZOVOridureri() = default;

void ZOVOridureri::setupEngine() {
    interleaveBuffer = std::make_unique<float[]>(static_cast<std::size_t>(sliceLength) * channelCount);
    setInitialDelay(sliceLength);
    engine = std::make_unique<TQCStreamEngine>(sliceLength, channelCount);
    sensitivityValue.store(0.0f, kRelaxed);
    sensitivityLevel.store(0, kRelaxed);
    engine->detector().setSensitivity(0);
    clickGapValue.store(kDefaultClickGapValue, kRelaxed);
    clickGapSamples.store(kDefaultClickGapSamples, kRelaxed);
    engine->detector().setClickGap(kDefaultClickGapSamples);
}

// Every call reaches the detector, changed or not; it clamps the level and
// ignores a gap out of its range, while this object keeps what was computed.
void ZOVOridureri::setParameter(VstInt32 index, float value) {
    switch (index) {
        case kSensitivityIndex: {
            const std::int32_t level = sensitivityLevelFor(value);
            sensitivityValue.store(value, kRelaxed);
            sensitivityLevel.store(level, kRelaxed);
            engine->detector().setSensitivity(level);
            break;
        }
        case kClickGapIndex: {
            const std::int32_t gap = clickGapSamplesFor(value);
            clickGapValue.store(value, kRelaxed);
            clickGapSamples.store(gap, kRelaxed);
            engine->detector().setClickGap(gap);
            break;
        }
        case kSpareIndex:
            spareValue.store(value, kRelaxed);
            break;
        default:
            break;
    }
}

float ZOVOridureri::getParameter(VstInt32 index) {
    switch (index) {
        case kSensitivityIndex:
            return sensitivityValue.load(kRelaxed);
        case kClickGapIndex:
            return clickGapValue.load(kRelaxed);
        default:
            return spareValue.load(kRelaxed);
    }
}

void ZOVOridureri::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processReplacing(inputs, outputs, sampleFrames);
}

// Each slice is read into the interleave buffer before its output is written,
// so inputs and outputs may be the same arrays. A call with no frames (or a
// negative count) still reaches the engine once, with a byte count of 0.
void ZOVOridureri::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    float* buffer = interleaveBuffer.get();
    if (sampleFrames <= 0) {
        // Hosts may pass no buffers at all with an empty block: leave them alone.
        engine->process(0, buffer, buffer);
        return;
    }
    std::int32_t remaining = sampleFrames;
    std::int32_t offset = 0;
    do {
        const std::int32_t n = sliceLength < remaining ? sliceLength : remaining;
        interleaveStereo(inputs[0] + offset, inputs[1] + offset, buffer, n);
        engine->process(channelCount * n * static_cast<std::int32_t>(sizeof(float)), buffer, buffer);
        deinterleaveStereo(buffer, outputs[0] + offset, outputs[1] + offset, n);
        remaining -= n;
        offset += n;
    } while (remaining > 0);
}

void ZOVOridureri::setProgramName(char* name) {
    if (!name) return;
    const void* terminator = std::memchr(name, '\0', kProgramNameBytes - 1);
    const std::size_t length = terminator
                                   ? static_cast<std::size_t>(static_cast<const char*>(terminator) - name)
                                   : kProgramNameBytes - 1;
    std::memcpy(programName, name, length);
    programName[length] = '\0';
}

// The text operations write nothing into a null buffer (some hosts probe with
// one) and answer as when there is nothing to write.
void ZOVOridureri::getProgramName(char* name) {
    if (name) std::strcpy(name, programName);
}

void ZOVOridureri::getParameterLabel(VstInt32, char* label) {
    if (label) *label = '\0';
}

void ZOVOridureri::getParameterDisplay(VstInt32 index, char* text) {
    if (!text) return;
    switch (index) {
        case kSensitivityIndex:
            // Widened: a saturated level of INT32_MAX must not overflow the + 1.
            std::snprintf(text, 12, "%lld", static_cast<long long>(sensitivityLevel.load(kRelaxed)) + 1);
            break;
        case kClickGapIndex:
            std::snprintf(text, 12, "%d", static_cast<int>(clickGapSamples.load(kRelaxed)));
            break;
        case kSpareIndex:
            std::strcpy(text, "0");
            break;
        default:
            // An empty text, so a host that did not clear its buffer shows nothing.
            *text = '\0';
            break;
    }
}

void ZOVOridureri::getParameterName(VstInt32 index, char* text) {
    if (!text) return;
    switch (index) {
        case kSensitivityIndex:
            std::strcpy(text, "Sensitivity");
            break;
        case kClickGapIndex:
            std::strcpy(text, "Clickgap");
            break;
        default:
            std::strcpy(text, "Unused");
            break;
    }
}

void ZOVOridureri::setSampleRate(float rate) { AudioEffectX::setSampleRate(rate); }
void ZOVOridureri::setBlockSize(VstInt32 size) { AudioEffectX::setBlockSize(size); }
void ZOVOridureri::suspend() {}
void ZOVOridureri::resume() { engine->reset(); }

VstInt32 ZOVOridureri::getPlugCategory() { return kPlugCategEffect; }

bool ZOVOridureri::getEffectName(char* name) {
    if (!name) return false;
    std::strcpy(name, "Sarnovellite");
    return true;
}

bool ZOVOridureri::getVendorString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Thessmoore");
    return true;
}

bool ZOVOridureri::getProductString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Sarnovellite");
    return true;
}

VstInt32 ZOVOridureri::getVendorVersion() { return 1000; }
