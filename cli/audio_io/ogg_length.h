// The length an Ogg Vorbis or Opus stream announces, and the damage its pages
// show.
//
// libsndfile (through libogg) skips a page whose checksum fails and stops at
// a stream cut short without a word, so a damaged Ogg file decodes to fewer
// frames with no error. Every page is walked here: its checksum, its
// sequence number, and the end-of-stream flag of the last one. The frames
// announced are the last granule position of the first logical stream
// (minus the pre-skip for Opus, in 48 kHz units: see AnnouncedLength).
#pragma once

#include "audio_io/announced_length.h"
#include "audio_io/byte_fields.h"

AnnouncedLength oggLength(ByteReader& in);
