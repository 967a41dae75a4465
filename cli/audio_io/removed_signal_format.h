// The container of the --removed file: always 64-bit float, in the container
// the file name's extension names (see capture/removed_signal.h). Checked when
// the options are read, so a wrong name is refused before any work.
#pragma once

#include <string>

// The libsndfile format for `path`, or 0 when its extension names no
// container that holds 64-bit float.
int removedSignalFormat(const std::string& path);

// True for a .wav name: its RF64 file is to stay plain WAV while it fits.
bool removedSignalIsWav(const std::string& path);
