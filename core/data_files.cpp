// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/data_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/settings_file.h"

namespace kv::app {
namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

size_t fileNameStart(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

const char *depthName(int depthIndex) {
    return depthIndex == 1 ? "128k" : "2k";
}

}  // namespace

std::string companionName(const std::string &dataFile) {
    const size_t start = fileNameStart(dataFile);
    size_t cut = dataFile.size();
    for (int characters = 0; characters < 3 && cut > start; ++characters) {
        --cut;
        while (cut > start && isContinuationByte(dataFile[cut]))
            --cut;
    }
    return dataFile.substr(0, cut) + "cfg";
}

std::string withExtension(const std::string &name, const std::string &extension) {
    const size_t start = fileNameStart(name);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > start && dot + 1 < name.size()) return name;
    if (!name.empty() && name.back() == '.' && name.size() - 1 > start) return name + extension;
    return name + "." + extension;
}

std::string freeSettingsName(const std::string &folder) {
    for (int n = 1;; ++n) {
        const std::string path = folder + "/KV6830-" + std::to_string(n) + ".ini";
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return path;  // free, or cannot be known
    }
}

std::string filterForEveryCase(const std::string &filter) {
    const size_t open = filter.find('('), close = filter.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return filter;
    std::string patterns = filter.substr(open + 1, close - open - 1);
    std::string added;
    size_t start = 0;
    while (start < patterns.size()) {
        size_t end = patterns.find(' ', start);
        if (end == std::string::npos) end = patterns.size();
        std::string pattern = patterns.substr(start, end - start), lower = pattern;
        for (char &c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != pattern && (" " + patterns + " ").find(" " + lower + " ") == std::string::npos)
            added += " " + lower;
        start = end + 1;
    }
    return filter.substr(0, close) + added + filter.substr(close);
}

int32_t dataRecordLength(int depthIndex) {
    return (depthIndex == 1 ? 128 * 1024 : 2 * 1024) - 32;
}

std::optional<std::string> dataFileProblem(const std::string &path, int32_t recordLength) {
    const std::string file = "The data file " + path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return file + " could not be opened: " + std::strerror(errno) + ".";
    if (S_ISDIR(info.st_mode)) return path + " is a folder, not a data file.";
    if (!S_ISREG(info.st_mode)) return path + " is not a regular file, so not a data file.";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return file + " could not be read: " + std::strerror(errno) + ".";
    ::close(fd);
    const long long size = info.st_size;
    if (size == 10LL * recordLength) return std::nullopt;
    const int current = recordLength == dataRecordLength(1) ? 1 : 0;
    const int other = 1 - current;
    if (size == 10LL * dataRecordLength(other)) {
        return file + " holds data of the memory depth " + depthName(other) +
               ", but the memory depth is " + depthName(current) +
               ". Nothing was loaded; choose the depth " + depthName(other) + " to load it.";
    }
    return file + " is " + std::to_string(size) + " bytes long, which is no data file: one of " +
           "the memory depth 2k has " + std::to_string(10 * dataRecordLength(0)) +
           " bytes, one of 128k " + std::to_string(10 * dataRecordLength(1)) +
           ". Nothing was loaded.";
}

std::optional<int> settingsFileDepth(const std::string &path) {
    ProgramState scratch;
    WindowMarks marks;
    bool existed = false;
    const SettingsReadResult r = loadSettingsFile(path, false, scratch, marks, &existed);
    if (!existed || r.outcome != SettingsReadResult::Outcome::Loaded) return std::nullopt;
    return marks.memoryBarValue;
}

bool loadDataRecords(const std::string &path, int32_t recordLength,
                     const std::array<bool, 3> &which, const std::array<uint8_t *, 3> &planes,
                     const RecordLoader &load) {
    if (recordLength < 0) return false;
    std::array<std::vector<uint8_t>, 3> buffers;
    for (size_t k = 0; k < 3; ++k) {
        if (!which[k]) continue;
        buffers[k].resize(static_cast<size_t>(recordLength));
        if (load(buffers[k].data(), recordLength, path.c_str(), static_cast<int32_t>(k)) != 0)
            return false;
    }
    for (size_t k = 0; k < 3; ++k) {
        if (which[k] && planes[k]) std::memcpy(planes[k], buffers[k].data(), buffers[k].size());
    }
    return true;
}

std::string textTable(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                      int32_t recordLength, int32_t adjust, int64_t available) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "Position   D23-16     D15-8      D7-0\r\n";
    out.reserve(out.size() + static_cast<size_t>(recordLength) * 56);
    const auto hex = [&](uint8_t b) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    };
    for (int32_t i = 0; i < recordLength; ++i) {
        const int64_t j = int64_t{i} + adjust + 1;
        char position[24];
        std::snprintf(position, sizeof position, "%06lld", static_cast<long long>(j));
        out += position;
        if (j >= 0 && j < available) {
            out += std::string(10, ' ');
            hex(plane2[j]);
            out += std::string(12, ' ');
            hex(plane1[j]);
            out += std::string(12, ' ');
            hex(plane0[j]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace kv::app
