#include "pipeline/chunk_reader.h"

#include <algorithm>

#include "audio_io/pcm16.h"
#include "audio_io/sound_file.h"
#include "base/tool_error.h"

ChunkReader::ChunkReader(SNDFILE* file, int format, int channels, std::int64_t chunkFrames,
                         const std::string& path, std::int64_t announcedFrames, bool acceptDamage)
    : file_(file),
      path_(path),
      channels_(channels),
      chunk_(chunkFrames),
      toUnit_(integerSampleScale(format) != 0.0 ? integerSampleScale(format) : 1.0),
      announced_(announcedFrames),
      acceptDamage_(acceptDamage),
      lastFrame_(static_cast<std::size_t>(channels), 0.0f),
      pcm16_(readsAsPcm16(format) ? static_cast<std::size_t>(chunkFrames * channels) : 0) {}

std::int64_t ChunkReader::readChunk(double* samples, float* effectInput) {
    std::int64_t got = 0;
    while (!ended_ && got < chunk_) {
        const sf_count_t n = pcm16_.empty()
                                 ? sf_readf_double(file_, samples + got * channels_, chunk_ - got)
                                 : sf_readf_short(file_, pcm16_.data() + got * channels_, chunk_ - got);
        got += std::max<sf_count_t>(n, 0);
        // Some decoders hand out the frames before a corrupt one and report
        // the error with them; others only end early.
        const bool failed = sf_error(file_) != SF_ERR_NO_ERROR;
        if (n <= 0 || failed) endOfInput(framesRead_ + got, failed ? sf_strerror(file_) : "");
    }
    if (!pcm16_.empty()) {
        pcm16ToUnit(pcm16_.data(), samples, effectInput, got * channels_);
    } else {
        for (std::int64_t i = 0; i < got * channels_; ++i) {
            samples[i] *= toUnit_;
            effectInput[i] = static_cast<float>(samples[i]);
        }
    }
    if (got > 0) std::copy_n(effectInput + (got - 1) * channels_, channels_, lastFrame_.begin());
    for (std::int64_t f = got; f < chunk_; ++f)
        std::copy_n(lastFrame_.begin(), channels_, effectInput + f * channels_);
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
