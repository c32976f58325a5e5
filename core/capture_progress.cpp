// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/capture_progress.h"

#include <algorithm>

namespace kv::app {

FillTimes expectedFillTimes(int32_t recordLength, int32_t triggerPosition, bool freeRun,
                            double samplePeriodPs) {
    const int32_t length = std::max(recordLength, 0);
    const int32_t before = freeRun ? 0 : std::clamp(triggerPosition, 0, length);
    const double msPerSample = samplePeriodPs / 1e9;
    return {before * msPerSample, (length - before) * msPerSample};
}

int phaseProgress(uint32_t elapsedMs, double expectedMs) {
    if (!(expectedMs >= kProgressShownFromMs)) return -1;
    const double percent = 100.0 * elapsedMs / expectedMs;
    return static_cast<int>(std::min(percent, 99.0));
}

}  // namespace kv::app
