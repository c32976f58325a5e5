// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop/time_scale.h"

#include <cctype>
#include <cstdio>

namespace kv::interop {
namespace {

struct Unit {
    const char *name;
    int64_t femtoseconds;
};
constexpr Unit kUnits[] = {{"s", 1'000'000'000'000'000},
                           {"ms", 1'000'000'000'000},
                           {"us", 1'000'000'000},
                           {"ns", 1'000'000},
                           {"ps", 1'000},
                           {"fs", 1}};

}  // namespace

std::string TimeScale::text() const {
    for (const Unit &u : kUnits) {
        for (int64_t m : {100, 10, 1}) {
            if (u.femtoseconds * m == femtoseconds) return std::to_string(m) + " " + u.name;
        }
    }
    return std::to_string(femtoseconds) + " fs";
}

TimeScale timeScaleFor(int64_t periodPs) {
    const int64_t period = periodPs * 1000;
    // From 100 s down: the first unit that divides the period.
    for (const Unit &u : kUnits) {
        for (int64_t m : {100, 10, 1}) {
            const int64_t fs = u.femtoseconds * m;
            if (period > 0 && period % fs == 0) return {fs};
        }
    }
    return {1};
}

std::optional<TimeScale> parseTimeScale(const std::string &text) {
    std::string compact;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) compact += c;
    }
    size_t digits = 0;
    while (digits < compact.size() && std::isdigit(static_cast<unsigned char>(compact[digits])))
        ++digits;
    const std::string number = compact.substr(0, digits), unit = compact.substr(digits);
    if (number != "1" && number != "10" && number != "100") return std::nullopt;
    for (const Unit &u : kUnits) {
        if (unit == u.name) return TimeScale{u.femtoseconds * std::stoll(number)};
    }
    return std::nullopt;
}

std::string secondsText(int64_t picoseconds) {
    const bool negative = picoseconds < 0;
    const uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(picoseconds) : static_cast<uint64_t>(picoseconds);
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%012llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 1'000'000'000'000ull),
                  static_cast<unsigned long long>(magnitude % 1'000'000'000'000ull));
    return text;
}

}  // namespace kv::interop
