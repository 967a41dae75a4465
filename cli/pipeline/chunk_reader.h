// The input side of one file: reads it in chunks of whole host blocks, at
// the file's own precision for the output and rounded to float for the
// effect.
//
// Samples travel as doubles between the files, which holds every integer
// encoding and 64-bit float exactly. After the input ends, the effect is fed
// the input's last frame held: silence would put a step at the end of a file
// cut mid-sound, which the effect would take for a click and "repair" in the
// file's last samples. A held value has no step.
//
// Every frame is accounted for: a decoder error, fewer frames than the
// header announced, damage in the stream's structure (AnnouncedLength) or a
// FLAC stream whose samples do not match its stored MD5 makes the input
// damaged. That throws ToolError(processingFailed) naming the frames read of
// those announced, unless damage is accepted: then reading stops there and
// damage() says why. Where the announced length is exact (bounds), reading
// stops at it: bytes after the last frame are no audio.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio_io/announced_length.h"
#include "audio_io/md5.h"

class ChunkReader {
public:
    // `file` is open for reading with its sample conversion configured.
    ChunkReader(SNDFILE* file, int format, int channels, std::int64_t chunkFrames, const std::string& path,
                const AnnouncedLength& announced, bool acceptDamage);

    // Reads up to one chunk into `samples` (the frames read, at unit scale)
    // and `effectInput` (a whole chunk for the effect: the frames read, then
    // the last frame held); returns the frames read, fewer only at the end.
    // Both arrays hold chunkFrames * channels values.
    std::int64_t readChunk(double* samples, float* effectInput);
    bool ended() const { return ended_; }
    std::int64_t framesRead() const { return framesRead_; }
    // Empty for an intact input; else "read N of M frames (reason)".
    const std::string& damage() const { return damage_; }

private:
    void endOfInput(std::int64_t framesRead, std::string decoderError);
    void addToChecksum(const double* samples, std::int64_t count);

    SNDFILE* file_;
    std::string path_;
    int channels_;
    std::int64_t chunk_;
    double toUnit_;
    std::int64_t announced_;
    bool bounded_;
    std::string structuralDamage_;
    std::optional<Md5> md5_;  // set while a FLAC stream's stored MD5 is being checked
    std::array<unsigned char, 16> storedMd5_{};
    int md5Bytes_ = 0;  // bytes per sample the checksum covers
    std::vector<unsigned char> md5Scratch_;
    bool acceptDamage_;
    bool ended_ = false;
    std::string damage_;
    std::int64_t framesRead_ = 0;
    std::vector<float> lastFrame_;
    std::vector<short> pcm16_;  // the stored values of 16-bit PCM; empty for other encodings
};
