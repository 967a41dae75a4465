// 32-byte aligned heap blocks for FFT records and tables.
//
// AlignedAlloc(size) returns a block of at least `size` bytes whose address is a
// multiple of 32, or null when size <= 0, when the size cannot be represented
// for the heap, or when the heap fails. The heap's own pointer is kept in the
// pointer-sized word just below the returned address, so the extra room asked
// of the heap is 31 + sizeof(void*) bytes. AlignedFree(p) ignores null and
// otherwise takes a pointer returned by AlignedAlloc.
//
// Any thread may call these; they are not for the audio path except through the
// transform tables built on first use.
#pragma once

#include <cstdint>

constexpr std::int64_t kAlignedMemoryAlignment = 32;

void* AlignedAlloc(std::int64_t size);
void AlignedFree(void* p);
