// Preloaded into the command-line host to stand for a disk that cannot take
// the data: every fsync fails with EIO, as it does after a delayed write met
// an I/O error or a full network share.
#include <cerrno>

extern "C" int fsync(int) {
    errno = EIO;
    return -1;
}
