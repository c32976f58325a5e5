// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace kv::app {

// The memory check's proposal and the texts of the view-count window.
struct MemoryCheck {
    int highestViewIndex = 1;  // before the check box is read
    std::string systemText, availableText, openText, checkText;
};

MemoryCheck memoryCheck(uint64_t totalBytes, int loadPercent);
// The highest view index after the view-count window: 1 unless its box is checked.
int confirmedViews(const MemoryCheck &check, bool boxChecked);

}  // namespace kv::app
