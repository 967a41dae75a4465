#include "audio_io/size_patched_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

SizePatchedInput* self(void* user) { return static_cast<SizePatchedInput*>(user); }

sf_count_t vioLength(void* user) { return self(user)->length(); }
sf_count_t vioSeek(sf_count_t offset, int whence, void* user) { return self(user)->seek(offset, whence); }
sf_count_t vioRead(void* out, sf_count_t count, void* user) { return self(user)->read(out, count); }
sf_count_t vioWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t vioTell(void* user) { return self(user)->tell(); }

}  // namespace

SizePatchedInput::SizePatchedInput(const std::string& path, std::int64_t sizeFieldAt)
    : fieldAt_(sizeFieldAt) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0) length_ = st.st_size;
}

SizePatchedInput::~SizePatchedInput() {
    if (fd_ >= 0) close(fd_);
}

SNDFILE* SizePatchedInput::open(SF_INFO* info) {
    if (fd_ < 0) return nullptr;
    static SF_VIRTUAL_IO io = {vioLength, vioSeek, vioRead, vioWrite, vioTell};
    return sf_open_virtual(&io, SFM_READ, info, this);
}

sf_count_t SizePatchedInput::seek(sf_count_t offset, int whence) {
    const sf_count_t base = whence == SEEK_CUR ? position_ : whence == SEEK_END ? length_ : 0;
    if (base + offset < 0) return -1;
    position_ = base + offset;
    return position_;
}

sf_count_t SizePatchedInput::read(void* out, sf_count_t count) {
    if (count <= 0 || position_ >= length_) return 0;
    const ssize_t n =
        pread(fd_, out, static_cast<std::size_t>(std::min(count, length_ - position_)), position_);
    if (n <= 0) return 0;
    // The size field, wherever this read overlaps it, reads as all ones.
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::int64_t at = std::max<std::int64_t>(fieldAt_, position_);
         at < std::min<std::int64_t>(fieldAt_ + 4, position_ + n); ++at) {
        bytes[at - position_] = 0xFF;
    }
    position_ += n;
    return n;
}
