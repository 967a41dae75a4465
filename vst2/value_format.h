// Eight-character display texts for parameter values.
//
// Every function writes a zero-terminated text of at most 8 characters, so the
// caller's buffer needs 9 bytes. Digits are truncated, never rounded.
//
// formatFloat8: sign, integer digits, point and as many fraction digits as fit
//   in eight characters ("1.500000", "-0.25000", "44100.00", "1234567.").
//   An integer part that fills all eight characters is shown without the point
//   ("12345678", "-1234567"), so no digit is ever dropped. Positive values above
//   99999999 and negative ones below -9999999 give "Huge!", infinities too;
//   NaN gives "NaN".
// formatLong8: "%7d", cut after eight characters; 100000000 and above "Huge!".
//
// Pure functions: any thread, no allocation.
#pragma once

#include <cstdint>

void formatFloat8(float value, char* text);
void formatLong8(std::int32_t value, char* text);
