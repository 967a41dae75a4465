// What a file holds beside its samples that copyMetadata (sound_file.h) does
// not: chunks libsndfile does not interpret, the processing record of a
// Broadcast WAV, and a list of what could not be carried over.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

// Copies the chunks of the WAV-family input file at `fromPath` that
// libsndfile does not interpret itself (iXML, axml, LIST adtl cue labels,
// chna, unknown ones) into a WAV-family output, before the first write; only
// chunks that are whole and well-formed (see wav_chunks.h). Returns a name for
// each that could not be carried over ("iXML chunk"): all of them for other
// outputs, and a malformed chunk that was dropped ("a LIST chunk at byte
// 1234 cut short (...), dropped"). Only for inputs that are regular files.
std::vector<std::string> copyUninterpretedChunks(const std::string& fromPath, int fromFormat, SNDFILE* to,
                                                 int toFormat);

// What a FLAC file at `path` holds that libsndfile cannot carry: pictures and
// comments other than the text fields it knows ("FLAC picture",
// "comment REPLAYGAIN_TRACK_GAIN"). Empty for other files.
std::vector<std::string> flacItemsNotCarried(const std::string& path, int format);

// Appends one coding-history line recording this processing (`process`:
// tool, version and settings) to the Broadcast WAV description `to` got from
// `from`; does nothing when the input has none. Call after copyMetadata.
void appendCodingHistory(SNDFILE* from, SNDFILE* to, const SF_INFO& outInfo, const std::string& process);
