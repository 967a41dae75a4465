// The clean material: synthetic clips made from a seed, and excerpts of real
// recordings from a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/quality/audio.h"

struct Clip {
    std::string name;  // "piano-48k", or the real file's name without its extension
    Audio clean;
};

struct ClipRequest {
    std::string kind;  // one of syntheticKinds()
    int rate;
};

// speech, piano, orchestra, drums, percussion, tones, quiet, mix.
const std::vector<std::string>& syntheticKinds();

// The default corpus: every kind once, at 44.1, 48 and 96 kHz between them.
// Only the tones are at 96 kHz: adeclick takes minutes for drums at 96 kHz.
std::vector<ClipRequest> defaultClips();

// Parses "drums,piano:96000,..." (rate in Hz, default the kind's in defaultClips()).
// Throws std::invalid_argument on an unknown kind or rate.
std::vector<ClipRequest> parseClips(const std::string& list);

// Stereo, `seconds` long, from `seed`: performers on a bus, a small room with
// different reflections per channel (so the channels are correlated but not
// equal), a noise floor near -78 dBFS, and a level for the kind: about
// -20 dBFS RMS, "quiet" near -30 dBFS, "mix" loud (-11 dBFS RMS, soft-limited).
Clip synthesise(const ClipRequest& request, double seconds, std::uint64_t seed);

// Clips from every file under `folder` that libsndfile reads (sorted by path),
// as stereo (mono doubled, beyond two channels cut): a file of at least half
// of `seconds` gives an excerpt of at most `seconds` from a third of the way
// in; shorter ones (single drum hits, notes, words) are joined back to back,
// in order, into clips of up to `seconds` at one rate. Other files are skipped.
std::vector<Clip> realExcerpts(const std::string& folder, double seconds);
