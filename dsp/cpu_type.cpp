#include "dsp/cpu_type.h"

namespace {

constexpr std::uint32_t kExtendedRangeLeaf = 0x80000000u;
constexpr std::uint32_t kExtendedFeaturesLeaf = 0x80000001u;

bool Bit(std::uint32_t word, int bit) { return ((word >> bit) & 1u) != 0; }

bool IsGenuineIntel(const CpuidRegisters& vendor) {
    return vendor.ebx == 0x756e6547u && vendor.edx == 0x49656e69u && vendor.ecx == 0x6c65746eu;
}

}  // namespace

std::int32_t DecodeCpuType(const CpuidReadings& r) {
    if (!r.hasCpuid) return 0;
    const std::uint32_t family = (r.features.eax >> 8) & 0xFu;  // extended family deliberately ignored
    const bool mmx = Bit(r.features.edx, 23);
    const bool sse = Bit(r.features.edx, 25);
    const bool sse2 = Bit(r.features.edx, 26);
    const bool sse3 = Bit(r.features.ecx, 0);
    const bool hyperThreading = Bit(r.features.edx, 28) && ((r.features.ebx >> 16) & 0xFFu) > 1;
    const bool longMode = r.extendedRange.eax >= kExtendedFeaturesLeaf && Bit(r.extendedFeatures.edx, 29);

    if (IsGenuineIntel(r.vendor)) {
        switch (family) {
            case 7:
                return 16;
            case 15:
                if (!sse2) return 17;
                if (sse3) return longMode ? 32 : 8;
                return hyperThreading ? 7 : 6;
            case 5:
                return mmx ? 2 : 1;
            case 6:
                if (sse2) return 9;
                if (sse) return 5;
                return mmx ? 4 : 3;
            default:
                return 0;
        }
    }
    if (sse3) return 66;
    if (sse2) return 65;
    if (sse) return 64;
    return 0;
}

std::int32_t ClassOfCpuType(std::int32_t typeCode) {
    switch (typeCode) {
        case 5:
        case 16:
        case 17:
            return 1;
        case 6:
        case 7:
        case 9:
            return 2;
        case 8:
        case 32:
            return 3;
        default:
            return 0;
    }
}

CpuidReadings ReadCpuid() {
    CpuidReadings r;
    r.hasCpuid = CpuidInstructionAvailable();
    if (!r.hasCpuid) return r;
    r.vendor = ExecuteCpuid(0);
    r.features = ExecuteCpuid(1);
    r.extendedRange = ExecuteCpuid(kExtendedRangeLeaf);
    if (r.extendedRange.eax >= kExtendedFeaturesLeaf)
        r.extendedFeatures = ExecuteCpuid(kExtendedFeaturesLeaf);
    return r;
}

std::int32_t DetectCpuType() { return DecodeCpuType(ReadCpuid()); }

std::int32_t CpuTypeToClass() { return ClassOfCpuType(DetectCpuType()); }
