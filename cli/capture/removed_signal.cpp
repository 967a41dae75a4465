#include "capture/removed_signal.h"

#include <algorithm>
#include <cmath>

#include "base/tool_error.h"

namespace {

constexpr std::int64_t kScratchFrames = 4096;

}  // namespace

RemovedSignalWriter::RemovedSignalWriter(const std::string& path, int channels, int sampleRate)
    : path_(path), channels_(channels), pending_(path) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = removedSignalFormat(path);
    if (info.format == 0 || !sf_format_check(&info)) {
        throw ToolError(ExitStatus::badOutput,
                        "removed signal " + path + ": cannot hold 64-bit float samples");
    }
    file_.reset(sf_open(pending_.temporaryPath().c_str(), SFM_WRITE, &info));
    if (!file_) {
        throw ToolError(ExitStatus::badOutput,
                        "removed signal " + path + ": cannot be created: " + sf_strerror(nullptr));
    }
    if (removedSignalIsWav(path)) sf_command(file_.get(), SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    scratchFrames_ = kScratchFrames;
    scratch_ = std::make_unique<double[]>(static_cast<std::size_t>(kScratchFrames * channels));
}

void RemovedSignalWriter::write(const double* input, const double* output, std::int64_t frames) {
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t count = std::min(frames - done, scratchFrames_);
        const std::int64_t offset = done * channels_;
        for (std::int64_t i = 0; i < count * channels_; ++i) {
            const double a = input[offset + i], b = output[offset + i];
            // A passed-through sample is 0 even when it is a NaN.
            scratch_[static_cast<std::size_t>(i)] = a == b || (std::isnan(a) && std::isnan(b)) ? 0.0 : a - b;
        }
        if (sf_writef_double(file_.get(), scratch_.get(), count) != count) {
            throw ToolError(ExitStatus::processingFailed,
                            "removed signal " + path_ + ": write failed: " + sf_strerror(file_.get()));
        }
        done += count;
    }
}

void RemovedSignalWriter::commit() {
    if (sf_close(file_.release()) != 0) {
        throw ToolError(ExitStatus::processingFailed, "removed signal " + path_ + ": could not be finished");
    }
    pending_.commit();
}
