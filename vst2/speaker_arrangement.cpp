// Speaker-arrangement utilities of AudioEffectX. An arrangement is allocated
// to its real size, 8 bytes of header plus one 112-byte speaker per channel,
// not to the eight speakers the declared struct shows.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "vst2/audio_effect_x.h"

namespace {

constexpr std::size_t kArrangementHeaderBytes = offsetof(VstSpeakerArrangement, speakers);
// Keeps header + speakers far inside every size_t, also on 32-bit builds.
constexpr VstInt32 kMaxArrangementChannels = 1 << 20;

}  // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channelCount) {
    if (!arrangement) return false;
    if (*arrangement) std::free(*arrangement);
    *arrangement = nullptr;
    if (channelCount < 0 || channelCount > kMaxArrangementChannels) return false;
    const std::size_t bytes =
        kArrangementHeaderBytes + sizeof(VstSpeakerProperties) * static_cast<std::size_t>(channelCount);
    auto* made = static_cast<VstSpeakerArrangement*>(std::calloc(1, bytes));
    if (!made) return false;
    made->numChannels = channelCount;
    *arrangement = made;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (arrangement && *arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from) return false;
    // A name without a terminator in its 64 bytes is cut, not read past.
    const void* terminator = std::memchr(from->name, '\0', sizeof(from->name) - 1);
    const std::size_t nameLength =
        terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - from->name)
                   : sizeof(from->name) - 1;
    std::memcpy(to->name, from->name, nameLength);
    to->name[nameLength] = '\0';
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!from) return false;
    if (!deallocateArrangement(to) || !allocateArrangement(to, from->numChannels)) return false;
    (*to)->type = from->type;
    // Through decayed pointers: the arrays really hold numChannels entries, not the declared eight.
    VstSpeakerProperties* target = (*to)->speakers;
    VstSpeakerProperties* source = from->speakers;
    for (VstInt32 i = 0; i < from->numChannels; ++i) {
        if (!copySpeaker(target + i, source + i)) return false;
    }
    return true;
}
