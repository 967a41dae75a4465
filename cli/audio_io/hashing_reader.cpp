#include "audio_io/hashing_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace sarnovellite::cli {

namespace {

HashingReader& self(void* data) { return *static_cast<HashingReader*>(data); }

}  // namespace

HashingReader::HashingReader(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

HashingReader::~HashingReader() {
    if (fd_ >= 0) close(fd_);
}

SNDFILE* HashingReader::open(SF_INFO* info) {
    if (fd_ < 0) return nullptr;
    static SF_VIRTUAL_IO io{&HashingReader::fileLength, &HashingReader::seek, &HashingReader::read,
                            &HashingReader::write, &HashingReader::tell};
    return sf_open_virtual(&io, SFM_READ, info, this);
}

sf_count_t HashingReader::fileLength(void* data) {
    struct stat st {};
    return fstat(self(data).fd_, &st) == 0 ? st.st_size : -1;
}

sf_count_t HashingReader::seek(sf_count_t offset, int whence, void* data) {
    HashingReader& r = self(data);
    std::int64_t to = offset;
    if (whence == SEEK_CUR) to += r.position_;
    if (whence == SEEK_END) to += fileLength(data);
    if (to < 0) return -1;
    r.position_ = to;
    return to;
}

bool HashingReader::catchUp(std::int64_t upTo) {
    std::vector<char> buffer(1 << 16);
    while (!failed_ && hashedTo_ < upTo) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(upTo - hashedTo_, 1 << 16));
        const ssize_t n = pread(fd_, buffer.data(), want, hashedTo_);
        if (n <= 0) {
            failed_ = n < 0;
            return !failed_;  // the end of the file came first
        }
        hash_.update(buffer.data(), static_cast<std::size_t>(n));
        hashedTo_ += n;
    }
    return !failed_;
}

sf_count_t HashingReader::read(void* ptr, sf_count_t count, void* data) {
    HashingReader& r = self(data);
    if (r.position_ > r.hashedTo_) r.catchUp(r.position_);
    const ssize_t n = pread(r.fd_, ptr, static_cast<std::size_t>(count), r.position_);
    if (n < 0) return 0;
    const std::int64_t end = r.position_ + n;
    if (!r.failed_ && r.position_ <= r.hashedTo_ && end > r.hashedTo_) {
        r.hash_.update(static_cast<const char*>(ptr) + (r.hashedTo_ - r.position_),
                       static_cast<std::size_t>(end - r.hashedTo_));
        r.hashedTo_ = end;
    }
    r.position_ = end;
    return n;
}

sf_count_t HashingReader::write(const void*, sf_count_t, void*) { return 0; }

sf_count_t HashingReader::tell(void* data) { return self(data).position_; }

std::string HashingReader::finish() {
    if (!catchUp(fileLength(this)) || failed_) return {};
    return hash_.hexDigest();
}

}  // namespace sarnovellite::cli
