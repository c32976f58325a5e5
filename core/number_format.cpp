// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/number_format.h"

#include <algorithm>
#include <cmath>

namespace kv::app {

std::string formatNumber(double value, const std::string &pattern) {
    const size_t point = pattern.find('.');
    const std::string whole = pattern.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : pattern.substr(point + 1);
    int decimals = 0, requiredDecimals = 0, requiredWhole = 0;
    for (char c : fraction) {
        if (c == '#' || c == '0') ++decimals;
        if (c == '0') requiredDecimals = decimals;
    }
    for (char c : whole)
        requiredWhole += c == '0';
    const bool grouping = whole.find(',') != std::string::npos;

    const bool negative = value < 0;
    const double scale = std::pow(10.0, decimals);
    // Half away from zero, with a nudge against binary representation (2.675 -> 2.68).
    const double scaled = std::floor(std::fabs(value) * scale + 0.5 + 1e-9);
    const auto units = static_cast<unsigned long long>(scaled);
    const auto factor = static_cast<unsigned long long>(scale);
    unsigned long long integer = units / factor;
    unsigned long long frac = units % factor;

    std::string digits = integer ? std::to_string(integer) : "";
    while (static_cast<int>(digits.size()) < requiredWhole)
        digits.insert(0, "0");
    if (grouping) {
        for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
            digits.insert(static_cast<size_t>(i), ",");
        }
    }
    std::string tail;
    if (decimals > 0) {
        tail = std::to_string(frac);
        tail.insert(
            0, static_cast<size_t>(decimals) - std::min(tail.size(), static_cast<size_t>(decimals)),
            '0');
        while (static_cast<int>(tail.size()) > requiredDecimals && !tail.empty() &&
               tail.back() == '0') {
            tail.pop_back();
        }
    }
    std::string text = digits;
    if (point != std::string::npos) text += "." + tail;
    if (negative && (integer || frac)) text.insert(0, "-");
    return text;
}

std::string withSignBlank(long long value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace kv::app
