#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kv::platform {
namespace {

bool writeAll(int fd, const char *data, size_t length) {
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

std::string writeFileAtomically(const std::string &path, const std::vector<FilePart> &parts) {
    // A temporary file beside the target, so the rename stays on one file system.
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return std::strerror(errno);
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode = ::umask(0);
        ::umask(mode);
        mode = 0666 & ~mode;
    }
    std::string error;
    if (::fchmod(fd, mode) != 0) error = std::strerror(errno);
    for (const FilePart &part : parts) {
        if (!error.empty()) break;
        if (!writeAll(fd, static_cast<const char *>(part.data), part.length)) {
            error = std::strerror(errno);
        }
    }
    if (error.empty() && ::fsync(fd) != 0) error = std::strerror(errno);
    if (::close(fd) != 0 && error.empty()) error = std::strerror(errno);
    if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
    }
    if (!error.empty()) ::unlink(temporary.c_str());
    return error;
}

}  // namespace kv::platform
