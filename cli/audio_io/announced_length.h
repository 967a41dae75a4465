// How many frames a sound file's header or stream says it holds.
//
// libsndfile trims the length of a file cut short to the bytes that are
// there, so a file truncated in transfer would pass as a shorter one. Its
// header (or, in Ogg, the last page's granule position) still announces the
// full length; this reads it, so the frames decoded can be checked against
// it. The parser reads untrusted bytes: every size it meets is bounded by the
// real size of the file, and it never allocates by a claimed size.
#pragma once

#include <sndfile.h>

#include <array>
#include <cstdint>
#include <istream>
#include <string>

struct AnnouncedLength {
    // The frames announced; -1 when unknown: a pipe without a length in its
    // header, a FLAC stream without a total, a container not read here.
    std::int64_t frames = -1;
    // True when `frames` is exact and what follows the last frame is no audio
    // (uncompressed WAV, W64, AU, CAF): reading stops there, so trailing bytes
    // that a decoder would take for samples never become audio.
    bool bounds = false;
    // Damage seen in the stream's structure before any sample is decoded
    // ("Ogg page at byte 4096 fails its checksum"); empty when none.
    std::string damage;
    // A one-line remark for the user about how the length was found; empty
    // when the header simply states it.
    std::string note;
    // The byte offset of a WAV data chunk's size field that says 0 although
    // audio follows: libsndfile would read no frame, so the file is opened
    // with that field read as "unknown" (openWithSizeUnknown in
    // size_patched_input.h), and is read to its end. -1 when not needed.
    std::int64_t emptySizeFieldAt = -1;
    // Opus counts in 48 kHz units whatever it decodes to: `frames` is in
    // those units until scaled by announcedLength().
    bool opusUnits = false;
    // A FLAC stream's stored MD5 of its samples, when it has one (not all
    // zero), with the sample width it was computed at.
    bool hasMd5 = false;
    std::array<unsigned char, 16> md5{};
    int md5BitsPerSample = 0;
};

// Parses the header (and, for Ogg, every page) of a file of `fileSize` bytes.
// Recognises WAV, WAVEX, RF64, AIFF/AIFC, AU, W64, CAF, Ogg Vorbis/Opus and
// FLAC by their magic bytes; anything else gives frames == -1.
AnnouncedLength parseAnnouncedLength(std::istream& file, std::uint64_t fileSize);

// parseAnnouncedLength for the file at `path` when it is a regular file;
// nothing known for a pipe, a device or standard input ("-").
AnnouncedLength readAnnouncedLength(const std::string& path);

// Completes `length` once libsndfile has opened the input as `info`: Opus
// counts scaled to the rate it decodes at; for a stream, libsndfile's count
// from its header; for header-less (raw) input of `fileSize` bytes (-1 for a
// stream), the whole frames it holds, bytes beyond the last whole frame
// being damage.
void settleAnnouncedLength(AnnouncedLength& length, const SF_INFO& info, std::int64_t fileSize);
