// libFuzzer target: the announced-length reader (WAV family, AIFF, AU, W64,
// CAF, FLAC, every Ogg page) and the raw-input length, over any bytes.
// Beyond the sanitizers it checks what the reader promises: no size it
// reports exceeds what the file can hold.
#include <sstream>
#include <string>

#include "audio_io/announced_length.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    AnnouncedLength length = parseAnnouncedLength(stream, size);
    if (length.emptySizeFieldAt >= 0 && static_cast<std::size_t>(length.emptySizeFieldAt) + 4 > size)
        __builtin_trap();
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1 + (size > 0 ? data[0] % 8 : 0);
    info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
    settleAnnouncedLength(length, info, static_cast<std::int64_t>(size));
    // Header-less input: whole frames, the rest damage.
    AnnouncedLength raw;
    info.format = SF_FORMAT_RAW | (size > 1 && data[1] % 2 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
    settleAnnouncedLength(raw, info, static_cast<std::int64_t>(size));
    const std::int64_t width = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24 ? 3 : 2;
    if (raw.frames * width * info.channels > static_cast<std::int64_t>(size)) __builtin_trap();
    if (raw.damage.empty() != (static_cast<std::int64_t>(size) % (width * info.channels) == 0))
        __builtin_trap();
    return 0;
}
