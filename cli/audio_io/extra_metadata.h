// What a file holds beside its samples that copyMetadata (sound_file.h) does
// not: chunks libsndfile does not interpret, the processing record of a
// Broadcast WAV, and a list of what could not be carried over.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

// Copies the chunks of a WAV-family input that libsndfile does not interpret
// itself (iXML, axml, LIST adtl cue labels, chna, unknown ones) into a
// WAV-family output, before the first write. Returns a name for each that
// could not be carried over ("iXML chunk"): all of them for other outputs.
// It seeks in `from`: only for inputs that are regular files.
std::vector<std::string> copyUninterpretedChunks(SNDFILE* from, int fromFormat, SNDFILE* to, int toFormat);

// What a FLAC file at `path` holds that libsndfile cannot carry: pictures and
// comments other than the text fields it knows ("FLAC picture",
// "comment REPLAYGAIN_TRACK_GAIN"). Empty for other files.
std::vector<std::string> flacItemsNotCarried(const std::string& path, int format);

// Appends one coding-history line recording this processing (`process`:
// tool, version and settings) to the Broadcast WAV description `to` got from
// `from`; does nothing when the input has none. Call after copyMetadata.
void appendCodingHistory(SNDFILE* from, SNDFILE* to, const SF_INFO& outInfo, const std::string& process);
