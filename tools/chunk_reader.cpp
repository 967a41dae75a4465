#include "tools/chunk_reader.h"

#include <algorithm>

#include "tools/sound_file.h"
#include "tools/tool_error.h"

ChunkReader::ChunkReader(SNDFILE* file, int format, int channels, std::int64_t chunkFrames,
                         const std::string& path, std::int64_t announcedFrames, bool acceptDamage)
    : file_(file),
      path_(path),
      channels_(channels),
      chunk_(chunkFrames),
      toUnit_(integerSampleScale(format) != 0.0 ? integerSampleScale(format) : 1.0),
      announced_(announcedFrames),
      acceptDamage_(acceptDamage),
      samples_(static_cast<std::size_t>(chunkFrames * channels)),
      effectInput_(samples_.size()),
      lastFrame_(static_cast<std::size_t>(channels), 0.0f) {}

std::int64_t ChunkReader::readChunk() {
    std::int64_t got = 0;
    while (!ended_ && got < chunk_) {
        const sf_count_t n = sf_readf_double(file_, samples_.data() + got * channels_, chunk_ - got);
        got += std::max<sf_count_t>(n, 0);
        // Some decoders hand out the frames before a corrupt one and report
        // the error with them; others only end early.
        const bool failed = sf_error(file_) != SF_ERR_NO_ERROR;
        if (n <= 0 || failed) endOfInput(framesRead_ + got, failed ? sf_strerror(file_) : "");
    }
    for (std::int64_t i = 0; i < got * channels_; ++i) {
        const auto at = static_cast<std::size_t>(i);
        samples_[at] *= toUnit_;
        effectInput_[at] = static_cast<float>(samples_[at]);
    }
    if (got > 0) std::copy_n(effectInput_.begin() + (got - 1) * channels_, channels_, lastFrame_.begin());
    for (std::int64_t f = got; f < chunk_; ++f)
        std::copy_n(lastFrame_.begin(), channels_, effectInput_.begin() + f * channels_);
    framesRead_ += got;
    return got;
}

void ChunkReader::endOfInput(std::int64_t framesRead, const std::string& decoderError) {
    ended_ = true;
    if (decoderError.empty() && (announced_ < 0 || framesRead >= announced_)) return;
    damage_ = "read " + std::to_string(framesRead);
    if (announced_ >= 0) damage_ += " of " + std::to_string(announced_);
    damage_ += " frames";
    if (!decoderError.empty()) damage_ += " (" + decoderError + ")";
    if (!acceptDamage_) {
        throw ToolError(ExitStatus::processingFailed, "input " + path_ + ": damaged: " + damage_ +
                                                          "; --accept-damaged processes what can be read");
    }
}
