// Building and releasing a RealFftSpec with the table layout of real_fft_spec.h.
//
// Shared by the processor-class variants: their RealFftInitAlloc and
// RealFftFree forward here. Building allocates and evaluates sines, so it
// belongs to the first transform of a length, never to every transform.
#pragma once

#include <cstdint>

#include "dsp/real_fft_spec.h"

// Statuses, checked in this order: out null -> StatusNullPointer; order outside
// 0..30 -> StatusFftOrderError; record allocation -> StatusNoMemory; flag not
// 1, 2, 4 or 8 -> StatusFftFlagError; table allocation -> StatusNoMemory.
// Every failure releases what was built and leaves *out unwritten.
std::int32_t BuildRealFftSpec(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint);

// null -> StatusNullPointer; id other than live -> StatusContextMismatch and
// nothing is freed; otherwise marks it released and, when it owns its memory,
// frees the tables and the record.
std::int32_t ReleaseRealFftSpec(RealFftSpec* spec);
