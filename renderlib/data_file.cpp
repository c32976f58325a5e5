// SPDX-License-Identifier: GPL-3.0-or-later
#include "data_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/atomic_file.h"

namespace kv::render {

int32_t saveDataFile(const uint8_t *row0, int32_t length, const char *path) {
    if (!row0 || !path || !*path || length < 0) return -1;
    std::vector<platform::FilePart> records;
    for (int k = 0; k < kRecords; ++k) {
        records.push_back({row0 + k * kRowStride, static_cast<size_t>(length)});
    }
    const platform::WriteOutcome outcome = platform::replaceFile(path, records);
    errno = outcome.error;
    return platform::outcomeCode(outcome);
}

int32_t loadDataRecord(uint8_t *destination, int32_t length, const char *path, int32_t record) {
    if (!destination || !path || length < 0 || record < 0) return -1;
    FILE *file = std::fopen(path, "r+b");
    if (!file) file = std::fopen(path, "rb");  // a read-only file still loads
    if (!file) return -1;
    // A folder, a device or a pipe opens for reading too; only a regular file is a data
    // file, and anything else is refused before the destination is touched.
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return -1;
    }
    const long offset = static_cast<long>(record) * length;
    if (std::fseek(file, offset, SEEK_SET) == 0) {
        // A short read leaves the rest of the destination as it was.
        const size_t got = std::fread(destination, 1, static_cast<size_t>(length), file);
        (void)got;
    }
    return std::fclose(file) == 0 ? 0 : -1;
}

}  // namespace kv::render
