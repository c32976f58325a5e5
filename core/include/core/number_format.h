// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kv::app {

// Formats a number with a pattern of "#" (optional digit), "0" (required digit), "."
// (decimal point) and "," (thousands grouping), rounding half away from zero to the
// pattern's decimal places. Like the system's own formatter, optional digits print no
// leading or trailing zeros and the decimal point is always written: 0.5 with "###.##"
// is ".5", 1 is "1.", 1234567 with "###,###,###" is "1,234,567".
std::string formatNumber(double value, const std::string &pattern);

// A number with one leading blank for the sign: 0 gives " 0", -3 gives "-3".
std::string withSignBlank(long long value);

}  // namespace kv::app
