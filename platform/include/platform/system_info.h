// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv::platform {

struct MemoryStatus {
    uint64_t totalBytes = 0;
    int loadPercent = 0;  // 100 - available * 100 / total
};

// Parses the text of /proc/meminfo. Returns false when MemTotal is missing.
bool parseMemInfo(std::string_view text, MemoryStatus &out);
MemoryStatus memoryStatus();

struct OsVersion {
    int platformId = 1;   // all links are searched on Linux
    std::string release;  // kernel release, e.g. "6.1.0-18-amd64"
};
OsVersion osVersion();

}  // namespace kv::platform
