// Thin ownership and conversion helpers around libsndfile handles.
//
// Integer PCM is read and written with libsndfile's own normalisation off and
// scaled here by an exact power of two each way. Older libsndfile releases
// scale integer-to-float by 1/2^(n-1) but float-to-integer by 2^(n-1) - 1, so
// their round trip is not bit-exact; this one is, on any release. Other
// encodings keep libsndfile's normalisation.
#pragma once

#include <sndfile.h>

#include <string>

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// For integer PCM subtypes: the factor that maps the raw integer values
// libsndfile hands out unnormalised onto [-1, 1); 0 for every other subtype.
double integerSampleScale(int format);

// Switches normalisation off when integerSampleScale(format) != 0, and turns
// on clipping, so float values beyond full scale clip instead of wrapping.
void configureSampleConversion(SNDFILE* file, int format);

// Copies what a file holds beside its samples: text fields (title, artist,
// ...), the Broadcast WAV description and cart chunk, cue markers, instrument
// loops and the channel layout. Call before the first write to `to`; items its
// container cannot hold are left out silently. Sample positions are copied
// as they are, so they fit an output aligned with the input.
void copyMetadata(SNDFILE* from, SNDFILE* to, int channels);

// The format to write: the input's, unless the output name's extension names
// another container libsndfile knows (out.flac from in.wav gives FLAC). Then
// the input's sample encoding is kept when that container takes it, otherwise
// the nearest it does take (24-bit, 16-bit, float, Vorbis, MP3). Returns 0
// when no encoding fits. Unknown extensions keep the input's format (a name
// the user chose is checked with outputExtensionIsWritable first).
int chooseOutputFormat(int inputFormat, const std::string& outputPath, int channels, int sampleRate);

// False when the output name's extension names an audio container libsndfile
// cannot write (.m4a, .aac, .wma, ...): writing the input's format under that
// name would mislabel the file. Other names are fine: a known container is
// converted to, any other extension keeps the input's format.
bool outputExtensionIsWritable(const std::string& outputPath);

// ".aiff .au ... .wav": the extensions outputExtensionIsWritable accepts.
std::string writableExtensions();

// libsndfile writes nothing at all for a FLAC file without samples, a file
// no decoder opens. This writes the header-only FLAC stream in its place
// (the STREAMINFO block: rate, channels, bits, no samples); false on failure.
bool writeEmptyFlac(const std::string& path, int format, int channels, int sampleRate);

// "WAV float", "FLAC 16-bit", ... for messages.
std::string describeFormat(int format);
