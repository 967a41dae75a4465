// Quality of lossy outputs (Ogg Vorbis, Opus, MP3).
//
// libsndfile encodes at its default quality unless told otherwise, so a
// 260 kb/s Vorbis input came out at 120 kb/s. A lossy output from a lossy
// input is encoded close to the input's bitrate instead: Vorbis at the
// quality whose nominal bitrate (in its identification header) matches the
// input's, Opus and MP3 (average bitrate mode) at the input's average
// bitrate. --quality 0..10 (10 best) sets the level for any lossy output.
#pragma once

#include <sndfile.h>

#include <string>

// Vorbis, Opus, MPEG layers: re-encoding changes every sample.
bool isLossyEncoding(int format);

// Sets the encoder of `out` (open for writing as `outInfo`, nothing written
// yet): quality 0..10 when given (>= 0), else matched to the input at
// `inputPath` (opened as `inInfo`) when both are lossy; else leaves the
// library's default.
void chooseLossyQuality(SNDFILE* out, const SF_INFO& outInfo, const std::string& inputPath,
                        const SF_INFO& inInfo, int quality);
