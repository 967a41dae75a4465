// A regular file opened for libsndfile through its virtual I/O, hashing the
// bytes as libsndfile reads them, so a fixity record costs no second pass.
//
// Every byte is hashed once and in order: a read that continues where the
// hash stands is hashed as it passes; a seek ahead (to a chunk after the
// samples, say) has the bytes in between read and hashed first; bytes read
// again after a seek back are not hashed twice. finish() hashes what
// libsndfile never read and gives the digest of the whole file. Lives as long
// as the SNDFILE opened through it; used by one thread.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

#include "audio_io/sha256.h"

namespace sarnovellite::cli {

class HashingReader {
public:
    // nullptr from open() when the file cannot be opened (errno set).
    explicit HashingReader(const std::string& path);
    ~HashingReader();
    HashingReader(const HashingReader&) = delete;
    HashingReader& operator=(const HashingReader&) = delete;

    // sf_open_virtual on this file; nullptr as sf_open gives it.
    SNDFILE* open(SF_INFO* info);
    // The hex SHA-256 of the whole file; empty when it could not be read.
    std::string finish();

private:
    static sf_count_t fileLength(void* self);
    static sf_count_t seek(sf_count_t offset, int whence, void* self);
    static sf_count_t read(void* ptr, sf_count_t count, void* self);
    static sf_count_t write(const void* ptr, sf_count_t count, void* self);
    static sf_count_t tell(void* self);
    bool catchUp(std::int64_t upTo);

    int fd_ = -1;
    std::int64_t position_ = 0;
    std::int64_t hashedTo_ = 0;
    bool failed_ = false;
    Sha256 hash_;
};

}  // namespace sarnovellite::cli
