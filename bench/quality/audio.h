// Multichannel audio in double precision, and reading/writing it with libsndfile.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Audio {
    int rate = 44100;
    std::vector<std::vector<double>> channels;  // planar, all the same length

    std::size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
    double seconds() const { return static_cast<double>(frames()) / rate; }
};

Audio silence(int rate, int channelCount, std::size_t frames);

// Reads any file libsndfile reads, scaled to [-1, 1). Throws std::runtime_error.
Audio readAudio(const std::string& path);

// Writes 32-bit float WAV, so no contender sees quantisation the reference
// does not have. Throws std::runtime_error.
void writeAudio(const std::string& path, const Audio& audio);
