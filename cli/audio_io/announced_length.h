// How many frames a sound file's header says it holds.
//
// libsndfile trims the length of a WAV or AIFF file cut short to the bytes
// that are there, so a file truncated in transfer would pass as a shorter
// one. Its header still announces the full length; this reads it, so the
// frames decoded can be checked against it.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

// The frame count announced by the header of the file at `path`, opened by
// libsndfile as `info`: from the data chunk of WAV, WAVEX and RF64 files and
// the COMM chunk of AIFF files, libsndfile's count for other formats. -1 when
// unknown: a pipe, a header written by a streaming encoder, a FLAC stream
// without a total.
std::int64_t announcedFrames(const std::string& path, const SF_INFO& info);
