// A name for a repaired region that a person can act on, from its length
// alone: the tool sees what changed, not why the effect changed it.
//
//   "click"       up to 1 ms (a tick, a dust hit)
//   "long click"  over 1 ms up to 5 ms (a damped click, a short crackle burst)
//   "scratch"     over 5 ms (a scratch, a run of crackle repaired as one)
#pragma once

#include <cstdint>

const char* repairKindName(std::int64_t lengthFrames, int sampleRate);
