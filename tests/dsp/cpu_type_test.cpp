// Processor type codes and classes from identification register values.
#include <gtest/gtest.h>

#include "dsp/cpu_type.h"

namespace {

constexpr std::uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26, kHtt = 1u << 28;
constexpr std::uint32_t kSse3 = 1u << 0;

struct Processor {
    bool intel = true;
    std::uint32_t family = 6;
    std::uint32_t edx = 0;  // leaf 1
    std::uint32_t ecx = 0;  // leaf 1
    std::uint32_t logicalPerPackage = 1;
    std::uint32_t highestExtendedLeaf = 0x80000008u;
    bool longMode = false;
    std::uint32_t extendedFamily = 0;  // bits 20..27, which decoding ignores
};

CpuidReadings Readings(const Processor& p) {
    CpuidReadings r;
    r.hasCpuid = true;
    if (p.intel) {
        r.vendor = {0x16, 0x756e6547u, 0x6c65746eu, 0x49656e69u};  // "Genu" "ntel" "ineI" in ebx, ecx, edx
    } else {
        r.vendor = {0x16, 0x68747541u, 0x444d4163u, 0x69746e65u};  // AuthenticAMD
    }
    r.features.eax = (p.family << 8) | (p.extendedFamily << 20) | 0x5u;
    r.features.ebx = p.logicalPerPackage << 16;
    r.features.ecx = p.ecx;
    r.features.edx = p.edx;
    r.extendedRange.eax = p.highestExtendedLeaf;
    r.extendedFeatures.edx = p.longMode ? (1u << 29) : 0u;
    return r;
}

std::int32_t Code(const Processor& p) { return DecodeCpuType(Readings(p)); }

TEST(CpuType, IntelRowsOfTheCodeTable) {
    struct Row {
        Processor processor;
        std::int32_t code;
        const char* what;
    };
    const std::uint32_t all = kMmx | kSse | kSse2;
    const Row rows[] = {
        {{.family = 7, .edx = all}, 16, "family 7"},
        {{.family = 15, .edx = kMmx | kSse}, 17, "family 15 without SSE2"},
        {{.family = 15, .edx = all, .ecx = kSse3, .longMode = true}, 32, "family 15 SSE3 64-bit"},
        {{.family = 15, .edx = all, .ecx = kSse3}, 8, "family 15 SSE3 32-bit"},
        {{.family = 15, .edx = all | kHtt, .logicalPerPackage = 2}, 7, "family 15 SSE2 hyper-threading"},
        {{.family = 15, .edx = all | kHtt, .logicalPerPackage = 1},
         6,
         "family 15 HTT bit but one logical processor"},
        {{.family = 15, .edx = all, .logicalPerPackage = 2},
         6,
         "family 15 two logical processors, no HTT bit"},
        {{.family = 5, .edx = kMmx}, 2, "family 5 MMX"},
        {{.family = 5}, 1, "family 5"},
        {{.family = 6, .edx = all}, 9, "family 6 SSE2"},
        {{.family = 6, .edx = kMmx | kSse}, 5, "family 6 SSE"},
        {{.family = 6, .edx = kMmx}, 4, "family 6 MMX"},
        {{.family = 6}, 3, "family 6"},
        {{.family = 4, .edx = all}, 0, "family 4"},
        {{.family = 0xF, .edx = all, .ecx = kSse3, .highestExtendedLeaf = 0x80000000u, .longMode = true},
         8,
         "64-bit flag ignored when leaf 0x80000001 is not reported"},
        {{.family = 6, .edx = all, .extendedFamily = 0x1}, 9, "extended family ignored"},
    };
    for (const Row& row : rows) EXPECT_EQ(Code(row.processor), row.code) << row.what;
}

TEST(CpuType, OtherVendorRowsOfTheCodeTable) {
    EXPECT_EQ(Code({.intel = false, .family = 15, .edx = kSse | kSse2, .ecx = kSse3, .longMode = true}), 66);
    EXPECT_EQ(Code({.intel = false, .edx = kSse | kSse2}), 65);
    EXPECT_EQ(Code({.intel = false, .edx = kSse}), 64);
    EXPECT_EQ(Code({.intel = false, .edx = kMmx}), 0);
}

TEST(CpuType, NoIdentificationInstructionGivesZero) {
    CpuidReadings r = Readings({.family = 6, .edx = kSse | kSse2});
    r.hasCpuid = false;
    EXPECT_EQ(DecodeCpuType(r), 0);
}

TEST(CpuType, ClassOfEveryCode) {
    for (std::int32_t code = -1; code <= 70; ++code) {
        std::int32_t expected = 0;
        if (code == 5 || code == 16 || code == 17) expected = 1;
        if (code == 6 || code == 7 || code == 9) expected = 2;
        if (code == 8 || code == 32) expected = 3;
        EXPECT_EQ(ClassOfCpuType(code), expected) << code;
    }
}

TEST(CpuType, ProcessorsMapToTheirClass) {
    const std::uint32_t all = kMmx | kSse | kSse2;
    EXPECT_EQ(ClassOfCpuType(Code({.family = 15, .edx = all, .ecx = kSse3, .longMode = true})), 3);
    EXPECT_EQ(ClassOfCpuType(Code({.family = 15, .edx = all, .ecx = kSse3})), 3);
    EXPECT_EQ(ClassOfCpuType(Code({.family = 6, .edx = all})), 2);
    EXPECT_EQ(ClassOfCpuType(Code({.family = 6, .edx = kMmx | kSse})), 1);
    EXPECT_EQ(ClassOfCpuType(Code({.family = 6, .edx = kMmx})), 0);
    EXPECT_EQ(ClassOfCpuType(Code({.intel = false, .edx = all, .ecx = kSse3})), 0);
}

TEST(CpuType, RunningProcessorIsReadConsistently) {
    const std::int32_t code = DetectCpuType();
    EXPECT_EQ(code, DecodeCpuType(ReadCpuid()));
    EXPECT_EQ(CpuTypeToClass(), ClassOfCpuType(code));
#if defined(__x86_64__)
    EXPECT_TRUE(ReadCpuid().hasCpuid);
#endif
}

}  // namespace
