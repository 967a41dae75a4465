#include "pipeline/file_processor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "audio_io/announced_length.h"
#include "audio_io/extra_metadata.h"
#include "audio_io/lossy_quality.h"
#include "audio_io/size_patched_input.h"
#include "audio_io/sound_file.h"
#include "audio_io/standard_output.h"
#include "base/pending_output.h"
#include "base/tool_error.h"
#include "base/tool_version.h"
#include "hosting/channel_pairs.h"
#include "pipeline/aligned_writer.h"
#include "pipeline/chunk_reader.h"
#include "pipeline/effect_stage.h"

namespace fs = std::filesystem;

namespace {

using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Frames per file read; rounded to whole host blocks.
constexpr int kReadFrames = 8192;
// How often the output's disk writes are started: every 256 KiB of 16-bit
// stereo.
constexpr int kChunksPerWriteback = 8;

struct InputFile {
    std::unique_ptr<SizePatchedInput> patched;  // read through by `file` when set
    SoundFile file;
    SF_INFO info{};
    AnnouncedLength length;
};

// The size of a regular file; -1 for a pipe, a device or standard input.
std::int64_t regularFileSize(const std::string& path) {
    std::error_code ec;
    if (path == "-" || !fs::is_regular_file(path, ec)) return -1;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

// The output when it is not a file to be replaced but a stream to write
// into: standard output, or a device, FIFO or socket (also through a link).
bool isStreamOutput(const std::string& path) {
    struct stat st {};
    if (path == "-") return true;
    return stat(path.c_str(), &st) == 0 &&
           (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

// A descriptor opened here for a stream output, closed after the handle
// writing to it.
struct StreamDescriptor {
    int fd = -1;
    bool owned = false;
    ~StreamDescriptor() {
        if (owned && fd >= 0) close(fd);
    }
};

std::string inputError(const std::string& path) {
    std::error_code ec;
    if (path == "-") return "input -: standard input: " + std::string(sf_strerror(nullptr));
    if (!fs::exists(path, ec)) return "input " + path + ": no such file";
    if (fs::is_directory(path, ec)) return "input " + path + ": is a folder";
    return "input " + path + ": " + sf_strerror(nullptr);
}

InputFile openInput(const std::string& path, const RawInputFormat& raw, bool acceptDamaged) {
    InputFile input;
    if (raw.sampleRate > 0) {
        input.info.samplerate = raw.sampleRate;
        input.info.channels = raw.channels;
        input.info.format = SF_FORMAT_RAW | raw.subtype | SF_ENDIAN_LITTLE;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw ToolError(ExitStatus::badInput, inputError(path));
    if (raw.sampleRate <= 0) input.length = readAnnouncedLength(path);
    // Damage the structure shows (an Ogg page that fails its checksum) needs
    // no decoding to be known; decoders are not asked to open what they may
    // choke on.
    if (!input.length.damage.empty() && !acceptDamaged) {
        throw ToolError(ExitStatus::processingFailed, "input " + path + ": damaged: " + input.length.damage +
                                                          "; --accept-damaged processes what can be read");
    }
    if (input.length.emptySizeFieldAt >= 0) {
        input.patched = std::make_unique<SizePatchedInput>(path, input.length.emptySizeFieldAt);
        input.file.reset(input.patched->open(&input.info));
    } else {
        input.file.reset(sf_open(path.c_str(), SFM_READ, &input.info));
    }
    if (!input.file && !input.length.damage.empty()) {
        // A stream libsndfile will not even open, whose pages show why.
        throw ToolError(ExitStatus::processingFailed,
                        "input " + path + ": damaged: " + input.length.damage + "; it cannot be read");
    }
    if (!input.file) throw ToolError(ExitStatus::badInput, inputError(path));
    if (input.info.channels < 1 || input.info.samplerate < 1) {
        throw ToolError(ExitStatus::badInput, "input " + path + ": has no channels or no sample rate");
    }
    configureSampleConversion(input.file.get(), input.info.format);
    settleAnnouncedLength(input.length, input.info, regularFileSize(path));
    return input;
}

SF_INFO outputInfoFor(const SF_INFO& inInfo, const std::string& inputPath, const std::string& outputPath,
                      bool streamed) {
    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = inInfo.channels;
    outInfo.format = streamed
                         ? standardOutputFormat(inInfo.format)
                         : chooseOutputFormat(inInfo.format, outputPath, inInfo.channels, inInfo.samplerate);
    if (outInfo.format == 0 || !sf_format_check(&outInfo)) {
        throw ToolError(ExitStatus::badInput, "input " + inputPath + ": its format (" +
                                                  describeFormat(inInfo.format) + ") cannot be written as " +
                                                  outputPath);
    }
    return outInfo;
}

// A file is written under its temporary name; a stream (standard output, a
// device, a FIFO) directly, since there is nothing to rename in a pipe and a
// device must never be replaced by a file.
SoundFile createOutput(const PendingOutput* pending, SF_INFO& outInfo, const std::string& outputPath,
                       StreamDescriptor& stream) {
    std::string reason;
    SoundFile out;
    if (pending) {
        out.reset(sf_open(pending->temporaryPath().c_str(), SFM_WRITE, &outInfo));
        if (!out) reason = sf_strerror(nullptr);
    } else {
        stream.fd =
            outputPath == "-" ? STDOUT_FILENO : open(outputPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        stream.owned = outputPath != "-";
        if (stream.fd < 0) {
            reason = std::strerror(errno);
        } else {
            out.reset(openStreamOutput(stream.fd, outInfo, reason));
        }
    }
    if (!out)
        throw ToolError(ExitStatus::badOutput, "output " + outputPath + ": cannot be created: " + reason);
    configureSampleConversion(out.get(), outInfo.format);
    return out;
}

void finishOutput(SoundFile& out, PendingOutput* pending, const std::string& outputPath,
                  const SF_INFO& outInfo, std::int64_t frames) {
    bool finished = sf_close(out.release()) == 0;
    if (pending && finished && frames == 0 && (outInfo.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC) {
        finished =
            writeEmptyFlac(pending->temporaryPath(), outInfo.format, outInfo.channels, outInfo.samplerate);
    }
    if (!finished) {
        throw ToolError(ExitStatus::processingFailed,
                        "output " + outputPath + ": could not be finished: " + sf_strerror(nullptr));
    }
    if (pending) pending->commit();
}

// Copies what the input holds beside its samples, adds this run to a
// Broadcast WAV's coding history, and returns what could not be carried.
std::vector<std::string> carryMetadata(const InputFile& input, const std::string& inputPath, SNDFILE* out,
                                       const SF_INFO& outInfo, const ProcessSettings& settings) {
    copyMetadata(input.file.get(), out, input.info.channels);
    appendCodingHistory(input.file.get(), out, outInfo,
                        "sarnovellite " + toolVersion() + " click removal; sensitivity " +
                            std::to_string(settings.sensitivity) + "; click gap " +
                            std::to_string(settings.clickGap));
    // Reading chunk data seeks in the input: a pipe would lose its samples.
    std::error_code ec;
    if (inputPath == "-" || !fs::is_regular_file(inputPath, ec)) return {};
    std::vector<std::string> notCarried =
        copyUninterpretedChunks(inputPath, input.info.format, out, outInfo.format);
    for (std::string& item : flacItemsNotCarried(inputPath, input.info.format))
        notCarried.push_back(std::move(item));
    return notCarried;
}

// Reads the whole input, feeds it through the effect and hands every output
// chunk to the writer, until each input frame has its aligned output. The
// effect runs on a thread of its own, between the reading and the writing
// here. The disk writes start as the output grows, so that the flush at the end
// waits for little.
void streamThrough(ChunkReader& reader, ChannelPairs& pairs, AlignedWriter& writer, PendingOutput* pending,
                   int channels, std::int64_t chunk, double secondsPerFrame,
                   const sarnovellite::cli::AudioProgress& progress) {
    EffectStage stage(reader, pairs, channels, chunk);
    for (int chunks = 1; const StagedChunk* staged = stage.next(); ++chunks) {
        writer.pushInput(staged->samples.data(), staged->frames);
        writer.acceptOutput(staged->processed.data());
        progress(static_cast<double>(staged->frames) * secondsPerFrame);
        if (pending && chunks % kChunksPerWriteback == 0) pending->startWriteback();
    }
    writer.finish();
}

FileOutcome outcomeOf(const std::string& inputPath, const std::string& outputPath, const SF_INFO& inInfo,
                      std::int64_t frames, const ChangeRegionTracker& tracker, int latency) {
    FileOutcome outcome;
    outcome.regions.input = inputPath;
    outcome.regions.output = outputPath;
    outcome.regions.sampleRate = inInfo.samplerate;
    outcome.regions.channels = inInfo.channels;
    outcome.regions.frames = frames;
    outcome.regions.regions = tracker.regions();
    std::sort(outcome.regions.regions.begin(), outcome.regions.regions.end(),
              [](const ChangedRegion& a, const ChangedRegion& b) {
                  return a.channel != b.channel ? a.channel < b.channel : a.start < b.start;
              });
    outcome.regionCount = tracker.regionCount();
    outcome.changedSamples = tracker.changedSamples();
    outcome.latencyFrames = latency;
    return outcome;
}

}  // namespace

void checkOutputPath(const std::string& inputPath, const std::string& outputPath) {
    struct stat in {};
    struct stat out {};
    if (outputPath == "-" || stat(outputPath.c_str(), &out) != 0) return;
    if (S_ISDIR(out.st_mode))
        throw ToolError(ExitStatus::badOutput, "output " + outputPath + ": is a folder");
    if (!S_ISREG(out.st_mode) && !S_ISCHR(out.st_mode) && !S_ISFIFO(out.st_mode) && !S_ISSOCK(out.st_mode)) {
        throw ToolError(
            ExitStatus::badOutput,
            "output " + outputPath + ": is a block device, neither a file to replace nor a stream");
    }
    if (stat(inputPath.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        throw ToolError(ExitStatus::badOutput,
                        "output " + outputPath + ": is the input file; refusing to overwrite it");
    }
}

FileOutcome processFile(const std::string& inputPath, const std::string& outputPath,
                        const ProcessSettings& settings, const sarnovellite::cli::AudioProgress& progress) {
    const auto started = std::chrono::steady_clock::now();
    checkOutputPath(inputPath, outputPath);
    InputFile input = openInput(inputPath, settings.rawInput, settings.acceptDamaged);
    std::vector<std::string> notices;
    if (!input.length.note.empty())
        notices.push_back("sarnovellite: note: input " + inputPath + ": " + input.length.note);
    const int channels = input.info.channels;
    const bool streamed = isStreamOutput(outputPath);
    SF_INFO outInfo = outputInfoFor(input.info, inputPath, outputPath, streamed);

    // Effects first: a plug-in that refuses should not leave a temporary file.
    const int block = settings.blockSize;
    ChannelPairs pairs(settings, input.info.samplerate, channels);

    std::optional<PendingOutput> pending;
    if (!streamed) pending.emplace(outputPath);
    StreamDescriptor stream;
    SoundFile out = createOutput(pending ? &*pending : nullptr, outInfo, outputPath, stream);
    chooseLossyQuality(out.get(), outInfo, inputPath, input.info, settings.quality);
    std::vector<std::string> notCarried = carryMetadata(input, inputPath, out.get(), outInfo, settings);

    std::optional<RemovedSignalWriter> removed;
    if (!settings.removedPath.empty()) removed.emplace(settings.removedPath, channels, input.info.samplerate);
    std::optional<RepairPictureCollector> pictures;
    if (settings.keepPictures) pictures.emplace(channels);

    const std::int64_t chunk = static_cast<std::int64_t>(block) * std::max(1, kReadFrames / block);
    ChunkReader reader(input.file.get(), input.info.format, channels, chunk, inputPath, input.length,
                       settings.acceptDamaged);
    AlignedWriter writer({out.get(), outInfo.format, outputPath}, channels, pairs.latencyFrames(), chunk,
                         settings.keepLatency, settings.keepRegions,
                         {removed ? &*removed : nullptr, pictures ? &*pictures : nullptr});
    streamThrough(reader, pairs, writer, pending ? &*pending : nullptr, channels, chunk,
                  1.0 / input.info.samplerate, progress);
    if (pairs.nonFiniteSamples() > 0) {
        notices.push_back("sarnovellite: warning: output " + outputPath + ": plug-in " +
                          settings.plugin->path() + " wrote " + std::to_string(pairs.nonFiniteSamples()) +
                          " non-finite samples (NaN or infinity) for " + inputPath);
    }
    if (removed) removed->commit();
    finishOutput(out, pending ? &*pending : nullptr, outputPath, outInfo, reader.framesRead());

    FileOutcome outcome = outcomeOf(inputPath, outputPath, input.info, reader.framesRead(), writer.tracker(),
                                    pairs.latencyFrames());
    outcome.damage = reader.damage();
    outcome.clippedSamples = writer.clippedSamples();
    outcome.reencoded = isLossyEncoding(outInfo.format);
    outcome.metadataNotCarried = std::move(notCarried);
    outcome.notices = std::move(notices);
    if (!settings.keepRegions) outcome.regions.regions.clear();
    if (pictures) outcome.pictures = pictures->take();
    outcome.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}
