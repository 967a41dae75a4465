#include "dsp/aligned_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::int64_t kExtraBytes = kAlignedMemoryAlignment - 1 + static_cast<std::int64_t>(sizeof(void*));

}  // namespace

void* AlignedAlloc(std::int64_t size) {
    if (size <= 0) return nullptr;
    // On 32-bit builds a large table size would wrap the heap request.
    if (static_cast<std::uint64_t>(size) > static_cast<std::uint64_t>(SIZE_MAX) - kExtraBytes) return nullptr;
    void* heapBlock = std::malloc(static_cast<std::size_t>(size + kExtraBytes));
    if (heapBlock == nullptr) return nullptr;
    const std::uintptr_t lowest = reinterpret_cast<std::uintptr_t>(heapBlock) + sizeof(void*);
    const std::uintptr_t aligned =
        (lowest + (kAlignedMemoryAlignment - 1)) & ~std::uintptr_t(kAlignedMemoryAlignment - 1);
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &heapBlock, sizeof(void*));
    return reinterpret_cast<void*>(aligned);
}

void AlignedFree(void* p) {
    if (p == nullptr) return;
    void* heapBlock = nullptr;
    std::memcpy(&heapBlock, static_cast<char*>(p) - sizeof(void*), sizeof(void*));
    std::free(heapBlock);
}
