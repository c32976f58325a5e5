// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::interop {

// A VCD time unit: 1, 10 or 100 of s, ms, us, ns, ps or fs.
struct TimeScale {
    int64_t femtoseconds = 1000;  // length of one unit
    std::string text() const;     // "10 ns"
};

// The longest unit that divides the sample period, so that every sample falls on a whole
// number of units: 10 000 ps gives "10 ns", 2 500 ps "100 ps", 20 000 ps "10 ns".
TimeScale timeScaleFor(int64_t periodPs);

// "1ns", "10 ps", "100 us", ...; nothing for anything else.
std::optional<TimeScale> parseTimeScale(const std::string &text);

// Picoseconds as seconds with twelve decimals: -600000 gives "-0.000000600000".
std::string secondsText(int64_t picoseconds);

}  // namespace kv::interop
