// Byte-identical outputs for identical inputs and settings.
//
// libsndfile stamps the PEAK chunk of a float WAV, WAVEX, RF64 or AIFF file
// with the time of writing, so two runs over the same audio would give files
// whose checksums differ. The chunk itself (the peak of every channel) is
// worth keeping, so only its time stamp is set to 0 ("not known") in the
// finished file, before it is renamed into place. Nothing else libsndfile
// writes depends on the clock for these containers; dates the input carries
// (Broadcast WAV origination, text fields) are copied as they are.
// Ogg Vorbis/Opus streams get a serial number libsndfile draws from the
// clock, which this leaves alone: a lossy output is re-encoded anyway.
#pragma once

#include <string>

namespace sarnovellite::cli {

// Clears the PEAK time stamp of the file at `path` if it has one; false when
// the file could not be read or written.
bool clearPeakTimestamp(const std::string& path);

}  // namespace sarnovellite::cli
