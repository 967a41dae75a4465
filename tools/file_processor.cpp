#include "tools/file_processor.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "tools/change_regions.h"
#include "tools/hosted_effect.h"
#include "tools/parameter_mapping.h"
#include "tools/pending_output.h"
#include "tools/removed_signal.h"
#include "tools/sound_file.h"
#include "tools/tool_error.h"

namespace fs = std::filesystem;

namespace {

using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Latencies beyond this are taken as a broken record rather than honoured
// with a delay line of that size (2^24 frames is over 5 minutes at 48 kHz).
constexpr int kMaxLatencyFrames = 1 << 24;
// Frames per file read; rounded to whole host blocks.
constexpr int kReadFrames = 8192;

// Interleaved input frames, at the file's own precision, held back until the
// aligned output catches up with them.
class FrameQueue {
public:
    FrameQueue(int channels, std::int64_t capacityFrames)
        : channels_(channels), capacity_(capacityFrames), samples_(static_cast<std::size_t>(capacityFrames * channels)) {}

    void push(const double* frames, std::int64_t count) {
        for (std::int64_t f = 0; f < count; ++f) {
            std::copy_n(frames + f * channels_, channels_, &samples_[static_cast<std::size_t>(((head_ + size_) % capacity_) * channels_)]);
            ++size_;
        }
    }
    void pop(double* frames, std::int64_t count) {
        for (std::int64_t f = 0; f < count; ++f) {
            std::copy_n(&samples_[static_cast<std::size_t>(head_ * channels_)], channels_, frames + f * channels_);
            head_ = (head_ + 1) % capacity_;
            --size_;
        }
    }

private:
    int channels_;
    std::int64_t capacity_;
    std::int64_t head_ = 0;
    std::int64_t size_ = 0;
    std::vector<double> samples_;
};

// The value to write for one sample: the file's own value where the effect
// passed the sample through, so 64-bit float and 32-bit integer samples the
// effect did not touch keep the precision the effect's 32-bit floats lack.
double sampleToWrite(double original, float fed, float processed) {
    const bool bothNaN = fed != fed && processed != processed;
    return processed == fed || bothNaN ? original : static_cast<double>(processed);
}

// One effect instance per channel pair, and its planar scratch.
struct ChannelPair {
    std::unique_ptr<HostedEffect> effect;
    int left;
    int right;  // == left for a lone last channel
    std::vector<float> in[2];
    std::vector<float> out[2];
};

std::string inputError(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return "input " + path + ": no such file";
    if (fs::is_directory(path, ec)) return "input " + path + ": is a folder";
    return "input " + path + ": " + sf_strerror(nullptr);
}

}  // namespace

void checkOutputPath(const std::string& inputPath, const std::string& outputPath) {
    struct stat in {};
    struct stat out {};
    if (stat(outputPath.c_str(), &out) != 0) return;
    if (S_ISDIR(out.st_mode)) throw ToolError(ExitStatus::badOutput, "output " + outputPath + ": is a folder");
    if (stat(inputPath.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        throw ToolError(ExitStatus::badOutput, "output " + outputPath + ": is the input file; refusing to overwrite it");
    }
}

FileOutcome processFile(const std::string& inputPath, const std::string& outputPath, const ProcessSettings& settings,
                        ProgressDisplay& progress) {
    const auto started = std::chrono::steady_clock::now();
    checkOutputPath(inputPath, outputPath);

    SF_INFO inInfo{};
    std::error_code ec;
    if (fs::is_directory(inputPath, ec)) throw ToolError(ExitStatus::badInput, inputError(inputPath));
    SoundFile in(sf_open(inputPath.c_str(), SFM_READ, &inInfo));
    if (!in) throw ToolError(ExitStatus::badInput, inputError(inputPath));
    const int channels = inInfo.channels;
    if (channels < 1 || inInfo.samplerate < 1) {
        throw ToolError(ExitStatus::badInput, "input " + inputPath + ": has no channels or no sample rate");
    }
    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = channels;
    outInfo.format = chooseOutputFormat(inInfo.format, outputPath, channels, inInfo.samplerate);
    if (outInfo.format == 0 || !sf_format_check(&outInfo)) {
        throw ToolError(ExitStatus::badInput, "input " + inputPath + ": its format (" + describeFormat(inInfo.format) +
                                                  ") cannot be written as " + outputPath);
    }
    const double readScale = integerSampleScale(inInfo.format);
    const double writeScale = integerSampleScale(outInfo.format);
    configureSampleConversion(in.get(), inInfo.format);

    // Effects first: a plug-in that refuses should not leave a temporary file.
    const int block = settings.blockSize;
    std::vector<ChannelPair> pairs;
    for (int left = 0; left < channels; left += 2) {
        ChannelPair pair;
        pair.effect = std::make_unique<HostedEffect>(settings.plugin, inInfo.samplerate, block);
        pair.left = left;
        pair.right = left + 1 < channels ? left + 1 : left;
        for (int k = 0; k < 2; ++k) {
            pair.in[k].assign(static_cast<std::size_t>(block), 0.0f);
            pair.out[k].assign(static_cast<std::size_t>(block), 0.0f);
        }
        if (pair.effect->isSarnovellite()) {
            pair.effect->setParameter(kSensitivityParameter, sensitivityParameterValue(settings.sensitivity));
            pair.effect->setParameter(kClickGapParameter, clickGapParameterValue(settings.clickGap));
        }
        pairs.push_back(std::move(pair));
    }
    const int latency = pairs.front().effect->latencyFrames();
    for (const ChannelPair& pair : pairs) {
        if (latency < 0 || latency > kMaxLatencyFrames || pair.effect->latencyFrames() != latency) {
            throw ToolError(ExitStatus::badPlugin, "plug-in " + settings.plugin->path() + ": reports an unusable latency of " +
                                                       std::to_string(pair.effect->latencyFrames()) + " frames");
        }
    }

    PendingOutput pending(outputPath);
    SoundFile out(sf_open(pending.temporaryPath().c_str(), SFM_WRITE, &outInfo));
    if (!out) {
        throw ToolError(ExitStatus::badOutput, "output " + outputPath + ": cannot be created: " + sf_strerror(nullptr));
    }
    configureSampleConversion(out.get(), outInfo.format);
    copyMetadata(in.get(), out.get(), channels);
    std::optional<RemovedSignalWriter> removed;
    if (!settings.removedPath.empty()) removed.emplace(settings.removedPath, channels, inInfo.samplerate);

    const std::int64_t chunk = static_cast<std::int64_t>(block) * std::max(1, kReadFrames / block);
    const std::size_t chunkSamples = static_cast<std::size_t>(chunk * channels);
    // Samples travel as doubles between the files, which holds every integer
    // encoding and 64-bit float exactly; the effect gets them rounded to float.
    std::vector<double> inChunk(chunkSamples);
    std::vector<float> effectInput(chunkSamples);
    std::vector<float> outChunk(chunkSamples);
    std::vector<double> aligned(chunkSamples);
    std::vector<float> alignedAsFed(chunkSamples);
    std::vector<double> outputFrames(chunkSamples);
    FrameQueue pendingInput(channels, latency + chunk);
    ChangeRegionTracker tracker(channels, settings.keepRegions || settings.keepPictures);
    std::optional<RepairPictureCollector> pictures;
    if (settings.keepPictures) pictures.emplace(channels);

    std::int64_t readTotal = 0;     // input frames read so far
    std::int64_t fedTotal = 0;      // frames given to the effect, the flush included
    std::int64_t alignedTotal = 0;  // output frames matched with their input
    bool endOfInput = false;
    // The flush after the input repeats its last frame: silence would put a
    // step at the end of a file cut mid-sound, which the effect would take for
    // a click and "repair" in the file's last samples. A held value has no step.
    std::vector<float> lastFrame(static_cast<std::size_t>(channels), 0.0f);
    const double secondsPerFrame = 1.0 / inInfo.samplerate;

    // Only float encodings can hold a NaN; any other turns it into an
    // arbitrary value (a full-scale click in integer PCM) or refuses it (FLAC).
    const int outputSubtype = outInfo.format & SF_FORMAT_SUBMASK;
    const bool outputHoldsNaN = outputSubtype == SF_FORMAT_FLOAT || outputSubtype == SF_FORMAT_DOUBLE;
    // Scaling by a power of two in double is exact, so integer values survive.
    auto writeFrames = [&](double* frames, std::int64_t count) {
        if (count <= 0) return;
        if (!outputHoldsNaN) {
            for (std::int64_t i = 0; i < count * channels; ++i) {
                if (std::isnan(frames[i])) frames[i] = 0.0;
            }
        }
        if (writeScale != 0.0) {
            const double toInteger = 1.0 / writeScale;
            for (std::int64_t i = 0; i < count * channels; ++i) frames[i] *= toInteger;
        }
        if (sf_writef_double(out.get(), frames, count) != count) {
            // Encoders can refuse samples without setting an error code.
            const std::string reason = sf_error(out.get()) != SF_ERR_NO_ERROR ? sf_strerror(out.get())
                                                                              : "the encoder refused the samples";
            throw ToolError(ExitStatus::processingFailed, "output " + outputPath + ": write failed: " + reason);
        }
    };

    while (!(endOfInput && alignedTotal >= readTotal)) {
        std::int64_t got = 0;
        while (!endOfInput && got < chunk) {
            const sf_count_t n = sf_readf_double(in.get(), inChunk.data() + got * channels, chunk - got);
            if (n <= 0) {
                if (sf_error(in.get()) != SF_ERR_NO_ERROR) {
                    throw ToolError(ExitStatus::processingFailed,
                                    "input " + inputPath + ": read failed: " + sf_strerror(in.get()));
                }
                endOfInput = true;
            }
            got += std::max<sf_count_t>(n, 0);
        }
        const double toUnit = readScale != 0.0 ? readScale : 1.0;
        for (std::int64_t i = 0; i < got * channels; ++i) {
            const auto at = static_cast<std::size_t>(i);
            inChunk[at] *= toUnit;
            effectInput[at] = static_cast<float>(inChunk[at]);
        }
        if (got > 0) std::copy_n(effectInput.begin() + (got - 1) * channels, channels, lastFrame.begin());
        for (std::int64_t f = got; f < chunk; ++f) std::copy_n(lastFrame.begin(), channels, effectInput.begin() + f * channels);
        pendingInput.push(inChunk.data(), got);
        readTotal += got;

        for (std::int64_t start = 0; start < chunk; start += block) {
            for (ChannelPair& pair : pairs) {
                const float* src = effectInput.data() + start * channels;
                for (int f = 0; f < block; ++f) {
                    pair.in[0][f] = src[f * channels + pair.left];
                    pair.in[1][f] = src[f * channels + pair.right];
                }
                float* const ins[2] = {pair.in[0].data(), pair.in[1].data()};
                float* const outs[2] = {pair.out[0].data(), pair.out[1].data()};
                pair.effect->process(ins, outs, block);
                float* dst = outChunk.data() + start * channels;
                for (int f = 0; f < block; ++f) {
                    dst[f * channels + pair.left] = pair.out[0][f];
                    if (pair.right != pair.left) dst[f * channels + pair.right] = pair.out[1][f];
                }
            }
        }

        // Effect output frame p belongs to input frame p - latency.
        const std::int64_t from = std::max(fedTotal, static_cast<std::int64_t>(latency));
        const std::int64_t to = std::min(fedTotal + chunk, latency + readTotal);
        if (from < to) {
            const std::int64_t count = to - from;
            pendingInput.pop(aligned.data(), count);
            const float* processed = outChunk.data() + (from - fedTotal) * channels;
            const auto samples = static_cast<std::size_t>(count * channels);
            for (std::size_t i = 0; i < samples; ++i) alignedAsFed[i] = static_cast<float>(aligned[i]);
            tracker.feed(alignedAsFed.data(), processed, count);
            if (pictures) pictures->feed(alignedAsFed.data(), processed, count, tracker.regions());
            alignedTotal += count;
            for (std::size_t i = 0; i < samples; ++i) {
                outputFrames[i] = sampleToWrite(aligned[i], alignedAsFed[i], processed[i]);
            }
            if (removed) removed->write(aligned.data(), outputFrames.data(), count);
            if (!settings.keepLatency) writeFrames(outputFrames.data(), count);
        }
        if (settings.keepLatency) {
            const std::int64_t rawEnd = std::min(fedTotal + chunk, readTotal);
            if (rawEnd > fedTotal) {
                const auto samples = static_cast<std::size_t>((rawEnd - fedTotal) * channels);
                std::copy_n(outChunk.begin(), samples, outputFrames.begin());
                writeFrames(outputFrames.data(), rawEnd - fedTotal);
            }
        }
        fedTotal += chunk;
        progress.addAudio(static_cast<double>(got) * secondsPerFrame);
    }
    tracker.finish();
    if (pictures) pictures->finish(tracker.regions());

    const int closeStatus = sf_close(out.release());
    if (closeStatus != 0) {
        throw ToolError(ExitStatus::processingFailed, "output " + outputPath + ": could not be finished: " + sf_strerror(nullptr));
    }
    if (removed) removed->commit();
    pending.commit();

    FileOutcome outcome;
    outcome.regions.input = inputPath;
    outcome.regions.output = outputPath;
    outcome.regions.sampleRate = inInfo.samplerate;
    outcome.regions.channels = channels;
    outcome.regions.frames = readTotal;
    if (settings.keepRegions) outcome.regions.regions = tracker.regions();
    if (pictures) outcome.pictures = pictures->take();
    std::sort(outcome.regions.regions.begin(), outcome.regions.regions.end(), [](const ChangedRegion& a, const ChangedRegion& b) {
        return a.channel != b.channel ? a.channel < b.channel : a.start < b.start;
    });
    outcome.regionCount = tracker.regionCount();
    outcome.changedSamples = tracker.changedSamples();
    outcome.latencyFrames = latency;
    outcome.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}
