// The chunks of a WAV-family (RIFF, RF64) file, as the file's bytes lay them
// out, for copying the ones libsndfile does not interpret.
//
// libsndfile's own chunk iterator reports each chunk at its claimed size, so
// a chunk cut short or a few bytes of junk after the audio would be copied
// as a bogus chunk header in front of the output's data, and a claimed size
// of gigabytes would be allocated. Here a chunk counts only when its name is
// four printable characters and its body lies within the file; the walk
// stops at the first that is not, and says why.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

struct WavChunk {
    std::string id;           // "LIST", "iXML", ...
    std::uint64_t at = 0;     // offset of the body in the file
    std::uint64_t bytes = 0;  // body size, all within the file
};

struct WavChunkList {
    std::vector<WavChunk> chunks;  // in file order, the data chunk included
    // Empty when every byte up to the end of the file was a whole chunk;
    // else "malformed chunk at byte N (...)", for the one the walk stopped at.
    std::string malformed;
};

// Walks the chunks of the RIFF or RF64 file of `fileSize` bytes in `file`;
// nothing for other files.
WavChunkList listWavChunks(std::istream& file, std::uint64_t fileSize);
