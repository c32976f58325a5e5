// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_info.h"

#include <sys/utsname.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace kv::platform {
namespace {

// Value in kB of the line "Key:   1234 kB", or -1.
long long fieldKb(std::string_view text, std::string_view key) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == ':') {
            std::string_view rest = line.substr(key.size() + 1);
            size_t first = rest.find_first_not_of(" \t");
            if (first == std::string_view::npos) return -1;
            long long value = 0;
            auto [ptr, ec] = std::from_chars(rest.data() + first, rest.data() + rest.size(), value);
            (void)ptr;
            return ec == std::errc() ? value : -1;
        }
        pos = end + 1;
    }
    return -1;
}

}  // namespace

bool parseMemInfo(std::string_view text, MemoryStatus &out) {
    const long long total = fieldKb(text, "MemTotal");
    if (total <= 0) return false;
    long long available = fieldKb(text, "MemAvailable");
    if (available < 0) available = fieldKb(text, "MemFree");
    if (available < 0) available = 0;
    if (available > total) available = total;
    out.totalBytes = static_cast<uint64_t>(total) * 1024U;
    out.loadPercent = static_cast<int>(100 - available * 100 / total);
    return true;
}

MemoryStatus memoryStatus() {
    MemoryStatus status;
    std::ifstream in("/proc/meminfo");
    std::stringstream buffer;
    buffer << in.rdbuf();
    parseMemInfo(buffer.str(), status);
    return status;
}

OsVersion osVersion() {
    OsVersion v;
    struct utsname names {};
    if (uname(&names) == 0) v.release = names.release;
    return v;
}

}  // namespace kv::platform
