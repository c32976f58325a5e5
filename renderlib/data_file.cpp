#include "data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kv::render {
namespace {

bool writeAll(int fd, const uint8_t *data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int32_t saveDataFile(const uint8_t *row0, int32_t length, const char *path) {
    if (!row0 || !path || !*path || length < 0) return -1;
    // A temporary file beside the target, so the rename stays on one file system.
    std::string temporary = std::string(path) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return -1;
    // The new file gets the old one's permissions, or what a newly created file would.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(path, &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode = ::umask(0);
        ::umask(mode);
        mode = 0666 & ~mode;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    for (int k = 0; k < kRecords && ok; ++k) {
        ok = writeAll(fd, row0 + k * kRowStride, static_cast<size_t>(length));
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return -1;
    }
    return 0;
}

int32_t loadDataRecord(uint8_t *destination, int32_t length, const char *path, int32_t record) {
    if (!destination || !path || length < 0 || record < 0) return -1;
    FILE *file = std::fopen(path, "r+b");
    if (!file) file = std::fopen(path, "rb");  // a read-only file still loads
    if (!file) return -1;
    const long offset = static_cast<long>(record) * length;
    if (std::fseek(file, offset, SEEK_SET) == 0) {
        // A short read leaves the rest of the destination as it was.
        const size_t got = std::fread(destination, 1, static_cast<size_t>(length), file);
        (void)got;
    }
    return std::fclose(file) == 0 ? 0 : -1;
}

}  // namespace kv::render
