// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdlib>

namespace kv::app {

// The range of a scroll bar as the program sets it: Min at the left end, Max at the right
// end. A Min above its Max runs the bar reversed; every value between the two is still
// reachable. Slider positions count from the left end, 0 to steps().
struct BarRange {
    int32_t min = 0;
    int32_t max = 0;

    bool reversed() const { return min > max; }
    int32_t steps() const { return static_cast<int32_t>(std::llabs(int64_t{max} - min)); }
    int32_t low() const { return reversed() ? max : min; }
    int32_t high() const { return reversed() ? min : max; }
    // A value outside the range takes the nearer end.
    int32_t clamp(int32_t value) const {
        return value < low() ? low() : value > high() ? high() : value;
    }
    int32_t toPosition(int32_t value) const {
        const int32_t v = clamp(value);
        return reversed() ? min - v : v - min;
    }
    int32_t fromPosition(int32_t position) const {
        const int32_t p = position < 0 ? 0 : position > steps() ? steps() : position;
        return reversed() ? min - p : min + p;
    }
};

}  // namespace kv::app
