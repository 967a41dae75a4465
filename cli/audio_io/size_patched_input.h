// A WAV file whose data chunk size was never filled in (0, with the audio
// after it, as a recorder that crashed leaves it), opened so that libsndfile
// reads the audio anyway.
//
// libsndfile takes a data size of 0 at its word and reads no frame; a size
// of 0xFFFFFFFF it takes as "unknown" and reads to the end of the file, as
// ffmpeg and sox read both. The file is read through libsndfile's virtual
// I/O with the four bytes of that field seen as 0xFFFFFFFF; the file itself
// is never written.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

class SizePatchedInput {
public:
    // Opens `path` read-only; `sizeFieldAt` is the offset of the data size
    // field. Throws nothing: open() returns nullptr on failure.
    SizePatchedInput(const std::string& path, std::int64_t sizeFieldAt);
    ~SizePatchedInput();
    SizePatchedInput(const SizePatchedInput&) = delete;
    SizePatchedInput& operator=(const SizePatchedInput&) = delete;

    // The libsndfile handle reading through this object, which must outlive it.
    SNDFILE* open(SF_INFO* info);

    // For the virtual I/O callbacks.
    sf_count_t length() const { return length_; }
    sf_count_t seek(sf_count_t offset, int whence);
    sf_count_t read(void* out, sf_count_t count);
    sf_count_t tell() const { return position_; }

private:
    int fd_ = -1;
    sf_count_t length_ = 0;
    sf_count_t position_ = 0;
    std::int64_t fieldAt_;
};
