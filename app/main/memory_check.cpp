// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/memory_check.h"

#include "core/number_format.h"

namespace kv::app {

MemoryCheck memoryCheck(uint64_t totalBytes, int loadPercent) {
    MemoryCheck c;
    const double megabytes = static_cast<double>(totalBytes) / 1048576.0;
    c.highestViewIndex = 1;
    if (megabytes > 200) c.highestViewIndex = 3;
    if (megabytes > 500) c.highestViewIndex = 9;
    const double available = megabytes / 100.0 * (100 - loadPercent);
    if (available < 64 && c.highestViewIndex == 3) c.highestViewIndex = 1;
    if (available < 400 && c.highestViewIndex == 9) c.highestViewIndex = 3;
    c.systemText = "System memory size is " +
                   formatNumber(static_cast<double>(totalBytes / 1024), "###,###,###") + "KB";
    c.availableText =
        "Available memory  is " + formatNumber(100 - loadPercent, "###,###,###") + "%";
    c.openText =
        "Open 2 sets timing.  it can open more timing by increasing memory and choosed checked "
        "in following.";
    c.checkText = " Open " + withSignBlank(c.highestViewIndex + 1) +
                  " timings when it has enough available memory.";
    return c;
}

int confirmedViews(const MemoryCheck &check, bool boxChecked) {
    return boxChecked ? check.highestViewIndex : 1;
}

}  // namespace kv::app
