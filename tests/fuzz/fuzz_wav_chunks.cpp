// libFuzzer target: the WAV chunk walk the uninterpreted-chunk copy relies
// on. Every chunk it lists must lie within the file and follow the one
// before it, whatever the bytes claim.
#include <sstream>
#include <string>

#include "audio_io/wav_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    const WavChunkList list = listWavChunks(stream, size);
    std::uint64_t end = 12;
    for (const WavChunk& chunk : list.chunks) {
        if (chunk.at < end + 8 || chunk.at > size || chunk.bytes > size - chunk.at) __builtin_trap();
        end = chunk.at + chunk.bytes;
    }
    return 0;
}
