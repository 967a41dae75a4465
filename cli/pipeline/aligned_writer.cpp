#include "pipeline/aligned_writer.h"

#include <algorithm>

#include "audio_io/pcm16.h"
#include "audio_io/sound_file.h"
#include "base/tool_error.h"

namespace {

// The value to write for one sample: the file's own value where the effect
// passed the sample through, so 64-bit float and 32-bit integer samples the
// effect did not touch keep the precision the effect's 32-bit floats lack.
double sampleToWrite(double original, float fed, float processed) {
    const bool bothNaN = fed != fed && processed != processed;
    return processed == fed || bothNaN ? original : static_cast<double>(processed);
}

// Only float encodings can hold a NaN; any other turns it into an
// arbitrary value (a full-scale click in integer PCM) or refuses it (FLAC).
bool holdsNaN(int format) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

// Float encodings keep overshoot, and so do the lossy codecs, which encode
// floats; every other encoding holds integers and clips at full scale.
bool clipsAtFullScale(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS:
        case SF_FORMAT_MPEG_LAYER_I:
        case SF_FORMAT_MPEG_LAYER_II:
        case SF_FORMAT_MPEG_LAYER_III:
            return false;
        default:
            return true;
    }
}

}  // namespace

AlignedWriter::AlignedWriter(const OutputTarget& target, int channels, int latency, std::int64_t chunkFrames,
                             bool keepLatency, bool keepRegions, AlignedObservers observers)
    : target_(target),
      channels_(channels),
      latency_(latency),
      chunk_(chunkFrames),
      keepLatency_(keepLatency),
      outputHoldsNaN_(holdsNaN(target.format)),
      writeScale_(integerSampleScale(target.format)),
      clipsAtFullScale_(clipsAtFullScale(target.format)),
      observers_(observers),
      pendingInput_(channels, latency + chunkFrames),
      tracker_(channels, keepRegions || observers.pictures != nullptr),
      alignedAsFed_(static_cast<std::size_t>(chunkFrames * channels)),
      outputFrames_(alignedAsFed_.size()),
      pcm16_(writesAsPcm16(target.format) ? alignedAsFed_.size() : 0) {}

void AlignedWriter::pushInput(const double* frames, std::int64_t count) {
    pendingInput_.push(frames, count);
    readTotal_ += count;
}

void AlignedWriter::acceptOutput(const float* processed) {
    const std::int64_t from = std::max(fedTotal_, static_cast<std::int64_t>(latency_));
    const std::int64_t to = std::min(fedTotal_ + chunk_, latency_ + readTotal_);
    if (from < to) writeAligned(processed + (from - fedTotal_) * channels_, to - from);
    if (keepLatency_) writeRaw(processed);
    fedTotal_ += chunk_;
}

void AlignedWriter::writeAligned(const float* processed, std::int64_t count) {
    // The queued input is read in place, in at most two runs where its ring
    // wraps.
    while (count > 0) {
        std::int64_t run = 0;
        const double* original = pendingInput_.oldest(count, run);
        writeAlignedRun(original, processed, run);
        pendingInput_.drop(run);
        processed += run * channels_;
        count -= run;
    }
}

void AlignedWriter::writeAlignedRun(const double* original, const float* processed, std::int64_t count) {
    const auto samples = static_cast<std::size_t>(count * channels_);
    float* const fed = alignedAsFed_.data();
    double* const out = outputFrames_.data();
    // Written without branches so that it runs on whole vectors.
    for (std::size_t i = 0; i < samples; ++i) {
        fed[i] = static_cast<float>(original[i]);
        out[i] = sampleToWrite(original[i], fed[i], processed[i]);
    }
    tracker_.feed(fed, processed, count);
    if (observers_.pictures) observers_.pictures->feed(fed, processed, count, tracker_.regions());
    alignedTotal_ += count;
    if (observers_.removed) observers_.removed->write(original, out, count);
    if (!keepLatency_) writeFrames(out, count);
}

void AlignedWriter::finish() {
    tracker_.finish();
    if (observers_.pictures) observers_.pictures->finish(tracker_.regions());
}

void AlignedWriter::writeRaw(const float* processed) {
    const std::int64_t rawEnd = std::min(fedTotal_ + chunk_, readTotal_);
    if (rawEnd <= fedTotal_) return;
    std::copy_n(processed, static_cast<std::size_t>((rawEnd - fedTotal_) * channels_), outputFrames_.begin());
    writeFrames(outputFrames_.data(), rawEnd - fedTotal_);
}

// Scaling by a power of two in double is exact, so integer values survive.
void AlignedWriter::writeFrames(double* frames, std::int64_t count) {
    if (count <= 0) return;
    const std::int64_t samples = count * channels_;
    const bool zeroNaN = !outputHoldsNaN_;
    const bool scaled = writeScale_ != 0.0;
    const double toInteger = scaled ? 1.0 / writeScale_ : 1.0;
    // Only integer encodings are scaled, and they hold no NaN: a float
    // output's samples, NaN payloads included, go out untouched.
    for (std::int64_t i = 0; i < samples; ++i) {
        double sample = frames[i];
        if (zeroNaN) sample = sample == sample ? sample : 0.0;
        if (scaled) sample *= toInteger;
        frames[i] = sample;
    }
    if (clipsAtFullScale_) countClipped(frames, samples);
    sf_count_t written = 0;
    if (!pcm16_.empty()) {
        integerUnitsToPcm16(frames, pcm16_.data(), samples);
        written = sf_writef_short(target_.file, pcm16_.data(), count);
    } else {
        written = sf_writef_double(target_.file, frames, count);
    }
    if (written != count) {
        // Encoders can refuse samples without setting an error code.
        const std::string reason = sf_error(target_.file) != SF_ERR_NO_ERROR
                                       ? sf_strerror(target_.file)
                                       : "the encoder refused the samples";
        throw ToolError(ExitStatus::processingFailed, "output " + target_.path + ": write failed: " + reason);
    }
}

// Integer samples clip where their rounded value leaves the encoding's range;
// other integer encodings take samples normalised to [-1, 1]. The range ends
// at 2^k - 1 (odd) and -2^k (even), so with rounding to nearest, ties to even,
// a sample rounds outside exactly when it reaches half a step beyond an end:
// plain comparisons, with no rounding per sample, and no branches.
void AlignedWriter::countClipped(const double* samples, std::int64_t count) {
    // Counted in a double, which holds these counts exactly, since a double
    // comparison cannot feed an integer count on SSE2 vectors.
    double clipped = 0.0;
    if (writeScale_ != 0.0) {
        const double top = 1.0 / writeScale_ - 0.5;
        const double bottom = -1.0 / writeScale_ - 0.5;
        for (std::int64_t i = 0; i < count; ++i)
            clipped += samples[i] >= top || samples[i] < bottom ? 1.0 : 0.0;
    } else {
        for (std::int64_t i = 0; i < count; ++i) clipped += samples[i] > 1.0 || samples[i] < -1.0 ? 1.0 : 0.0;
    }
    clipped_ += static_cast<std::int64_t>(clipped);
}
