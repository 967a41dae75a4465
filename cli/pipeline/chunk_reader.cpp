#include "pipeline/chunk_reader.h"

#include <algorithm>
#include <cmath>

#include "audio_io/pcm16.h"
#include "audio_io/sound_file.h"
#include "base/tool_error.h"

namespace {

// Bytes per sample of the FLAC MD5 over the values libsndfile hands out for
// `format`; 0 when they are not the stream's own values (20-bit audio comes
// out shifted to 24 bits).
int md5BytesFor(int format, int storedBits) {
    if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC) return 0;
    const int subtype = format & SF_FORMAT_SUBMASK;
    if (subtype == SF_FORMAT_PCM_S8 && storedBits == 8) return 1;
    if (subtype == SF_FORMAT_PCM_16 && storedBits == 16) return 2;
    if (subtype == SF_FORMAT_PCM_24 && storedBits == 24) return 3;
    return 0;
}

}  // namespace

ChunkReader::ChunkReader(SNDFILE* file, int format, int channels, std::int64_t chunkFrames,
                         const std::string& path, const AnnouncedLength& announced, bool acceptDamage)
    : file_(file),
      path_(path),
      channels_(channels),
      chunk_(chunkFrames),
      toUnit_(integerSampleScale(format) != 0.0 ? integerSampleScale(format) : 1.0),
      announced_(announced.frames),
      bounded_(announced.bounds && announced.frames >= 0),
      structuralDamage_(announced.damage),
      acceptDamage_(acceptDamage),
      lastFrame_(static_cast<std::size_t>(channels), 0.0f),
      pcm16_(readsAsPcm16(format) ? static_cast<std::size_t>(chunkFrames * channels) : 0) {
    md5Bytes_ = announced.hasMd5 ? md5BytesFor(format, announced.md5BitsPerSample) : 0;
    if (md5Bytes_ > 0) {
        md5_.emplace();
        storedMd5_ = announced.md5;
        md5Scratch_.resize(static_cast<std::size_t>(chunkFrames * channels * md5Bytes_));
    }
}

std::int64_t ChunkReader::readChunk(double* samples, float* effectInput) {
    std::int64_t got = 0;
    std::optional<std::string> endReason;  // set when the input ends in this chunk
    while (!endReason && !ended_ && got < chunk_) {
        // An exact length ends the reading: what follows is no audio.
        const std::int64_t wanted =
            bounded_ ? std::min(chunk_ - got, announced_ - framesRead_ - got) : chunk_ - got;
        if (wanted <= 0) {
            endReason = "";
            break;
        }
        const sf_count_t n = pcm16_.empty() ? sf_readf_double(file_, samples + got * channels_, wanted)
                                            : sf_readf_short(file_, pcm16_.data() + got * channels_, wanted);
        got += std::max<sf_count_t>(n, 0);
        // Some decoders hand out the frames before a corrupt one and report
        // the error with them; others only end early.
        const bool failed = sf_error(file_) != SF_ERR_NO_ERROR;
        if (n <= 0 || failed) endReason = failed ? sf_strerror(file_) : "";
    }
    if (md5_) addToChecksum(samples, got * channels_);
    if (endReason) endOfInput(framesRead_ + got, *endReason);
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

// FLAC's MD5 covers the samples as little-endian signed integers of the
// stream's width, interleaved.
void ChunkReader::addToChecksum(const double* samples, std::int64_t count) {
    unsigned char* out = md5Scratch_.data();
    for (std::int64_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::int32_t>(
            pcm16_.empty() ? std::lrint(samples[i]) : static_cast<long>(pcm16_[static_cast<std::size_t>(i)]));
        for (int b = 0; b < md5Bytes_; ++b) *out++ = static_cast<unsigned char>(value >> (8 * b));
    }
    md5_->update(md5Scratch_.data(), static_cast<std::size_t>(out - md5Scratch_.data()));
}

void ChunkReader::endOfInput(std::int64_t framesRead, std::string decoderError) {
    ended_ = true;
    if (decoderError.empty()) decoderError = structuralDamage_;
    const bool complete = announced_ < 0 || framesRead >= announced_;
    if (decoderError.empty() && complete && md5_) {
        // Only a stream read to its end has the whole checksum.
        if (md5_->finish() != storedMd5_)
            decoderError = "its samples do not match the MD5 stored in the file";
        md5_.reset();
    }
    if (decoderError.empty() && complete) return;
    damage_ = "read " + std::to_string(framesRead);
    if (announced_ >= 0) damage_ += " of " + std::to_string(announced_);
    damage_ += " frames";
    if (!decoderError.empty()) damage_ += " (" + decoderError + ")";
    if (!acceptDamage_) {
        throw ToolError(ExitStatus::processingFailed, "input " + path_ + ": damaged: " + damage_ +
                                                          "; --accept-damaged processes what can be read");
    }
}
