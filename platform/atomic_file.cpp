// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace kv::platform {
namespace {

using Result = WriteOutcome::Result;

bool writeAllAt(int fd, const char *data, size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(fd, data, length, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        offset += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool writeParts(int fd, const std::vector<FilePart> &parts) {
    off_t offset = 0;
    for (const FilePart &part : parts) {
        if (!writeAllAt(fd, static_cast<const char *>(part.data), part.length, offset))
            return false;
        offset += static_cast<off_t>(part.length);
    }
    return true;
}

off_t totalLength(const std::vector<FilePart> &parts) {
    off_t total = 0;
    for (const FilePart &part : parts)
        total += static_cast<off_t>(part.length);
    return total;
}

std::string folderOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name finally stands for: symbolic links followed (a dangling link gives the
// name the new file will get); empty for a loop of links.
std::string linkTarget(const std::string &path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0) return current;
        const std::string link(buffer, static_cast<size_t>(n));
        current = link[0] == '/' ? link : folderOf(current) + "/" + link;
    }
    return {};
}

WriteOutcome failed(Result result, int error, bool inPlace = false) {
    WriteOutcome o;
    o.result = result;
    o.error = error;
    o.inPlace = inPlace;
    return o;
}

WriteOutcome refusal(int error) {
    WriteOutcome o = failed(Result::Unchanged, error);
    o.refused = true;
    return o;
}

// Rewrites an existing file through its own inode (so links and owner stay), with its old
// content held to put back when writing fails.
WriteOutcome rewriteInPlace(const std::string &target, const std::vector<FilePart> &parts) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return failed(Result::Unchanged, errno, true);
    struct stat info {};
    std::string old;
    bool readOld = ::fstat(fd, &info) == 0;
    if (readOld) {
        old.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        while (readOld && got < old.size()) {
            const ssize_t n =
                ::pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) readOld = false;
            got += n > 0 ? static_cast<size_t>(n) : 0;
        }
    }
    if (!readOld) {
        const int error = errno;
        ::close(fd);
        return failed(Result::Unchanged, error, true);
    }
    if (writeParts(fd, parts) && ::ftruncate(fd, totalLength(parts)) == 0 && ::fsync(fd) == 0) {
        if (::close(fd) != 0) return failed(Result::Damaged, errno, true);
        WriteOutcome o;
        o.inPlace = true;
        return o;
    }
    const int error = errno;
    const bool restored = writeAllAt(fd, old.data(), old.size(), 0) &&
                          ::ftruncate(fd, static_cast<off_t>(old.size())) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    return failed(restored ? Result::Unchanged : Result::Damaged, error, true);
}

}  // namespace

std::string WriteOutcome::describe() const {
    const std::string why = std::strerror(error);
    if (refused) {
        if (error == EISDIR) return "is a folder; it was left as it is";
        if (error == EACCES || error == EPERM || error == EROFS)
            return "is read-only; it was left as it is";
        return "is not a regular file; it was left as it is";
    }
    switch (result) {
        case Result::Written:
            return "was written";
        case Result::Unchanged:
            if (inPlace) {
                return "could not be written in place (" + why +
                       "); its previous content is unchanged";
            }
            return "could not be written (" + why +
                   "); any previous file of that name is unchanged";
        case Result::Damaged:
            break;
    }
    return "could not be written in place (" + why + ") and may now be incomplete";
}

WriteOutcome refusalOf(const std::string &path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0) return {};
    if (S_ISDIR(existing.st_mode)) return refusal(EISDIR);
    if (!S_ISREG(existing.st_mode)) return refusal(EINVAL);
    // Read-only means no write permission for anyone, even when the system would let this
    // user write it anyway.
    if ((existing.st_mode & 0222) == 0) return refusal(EACCES);
    if (::access(path.c_str(), W_OK) != 0) return refusal(errno);
    return {};
}

WriteOutcome replaceFile(const std::string &path, const std::vector<FilePart> &parts) {
    if (path.empty()) return failed(Result::Unchanged, ENOENT);
    const std::string target = linkTarget(path);
    if (target.empty()) return failed(Result::Unchanged, ELOOP);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        const WriteOutcome refused = refusalOf(target);
        if (!refused.ok()) return refused;
        if (existing.st_nlink > 1) return rewriteInPlace(target, parts);
    }
    // A short temporary name beside the target, so every name the system accepts can be
    // saved and the rename stays on one file system.
    std::string temporary = folderOf(target) + "/.kvXXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (exists) return rewriteInPlace(target, parts);
        return failed(Result::Unchanged, error);
    }
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
        if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
            ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // The owner cannot be kept by a new file; the old one is writable, so keep it.
            ::close(fd);
            ::unlink(temporary.c_str());
            return rewriteInPlace(target, parts);
        }
    } else {
        mode = ::umask(0);
        ::umask(mode);
        mode = 0666 & ~mode;
    }
    int error = 0;
    if (::fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && !writeParts(fd, parts)) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failed(Result::Unchanged, error);
    }
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

int32_t outcomeCode(const WriteOutcome &outcome) {
    if (outcome.refused) return -2;
    switch (outcome.result) {
        case Result::Written:
            return 0;
        case Result::Unchanged:
            return -1;
        case Result::Damaged:
            break;
    }
    return -3;
}

WriteOutcome outcomeOfCode(int32_t code, int error) {
    if (code == 0) return {};
    if (code == -2) return refusal(error);
    // A failure in place is told by its own code only when the file may be damaged.
    return failed(code == -3 ? Result::Damaged : Result::Unchanged, error, code == -3);
}

}  // namespace kv::platform
