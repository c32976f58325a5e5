// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace kv::app {

// The voltage of x millivolts as the timing views write it: "###.###" followed by "mV"
// within +-999.999, by " V" in volts within +-999 999.999 mV, by "KV" in kilovolts within
// +-999 999 999.999 mV, and the empty text beyond.
std::string voltageText(double millivolts);

// The vertical scale of an analog input: 400 times the step factor of range code 0..16
// (1, 2, 5, 10, ... 200 000); inputs 36 to 39 have the fixed scale 50 000. Any other code
// leaves `previous` as it was.
int32_t verticalScale(int input, int rangeCode, int32_t previous);

}  // namespace kv::app
