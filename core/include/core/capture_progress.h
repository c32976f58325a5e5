// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::app {

// How long the two filling phases of a capture should take at the sample rate: the
// pre-trigger part (samples before the trigger position) and the part kept after the
// trigger. In free run the unit keeps the whole memory after the forced trigger.
struct FillTimes {
    double preMs = 0;
    double postMs = 0;
};
FillTimes expectedFillTimes(int32_t recordLength, int32_t triggerPosition, bool freeRun,
                            double samplePeriodPs);

// Captures shorter than this show no progress bar: it would only flicker.
inline constexpr double kProgressShownFromMs = 1000;

// Percent (0..99) of a phase expected to take `expectedMs`, `elapsedMs` in; -1 when the
// phase is too short to show. A phase that overruns its time stays at 99 until it ends.
int phaseProgress(uint32_t elapsedMs, double expectedMs);

}  // namespace kv::app
