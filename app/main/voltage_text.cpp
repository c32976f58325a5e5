// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/voltage_text.h"

#include "core/number_format.h"

namespace kv::app {

std::string voltageText(double mv) {
    if (mv >= -999.999 && mv <= 999.999) return formatNumber(mv, "###.###") + "mV";
    if (mv >= -999999.999 && mv <= 999999.999) return formatNumber(mv / 1000, "###.###") + " V";
    if (mv >= -999999999.999 && mv <= 999999999.999)
        return formatNumber(mv / 1000000, "###.###") + "KV";
    return "";
}

int32_t verticalScale(int input, int rangeCode, int32_t previous) {
    static constexpr int32_t kFactors[17] = {
        1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000};
    if (input >= 36 && input <= 39) return 50000;
    if (rangeCode < 0 || rangeCode > 16) return previous;
    return 400 * kFactors[rangeCode];
}

}  // namespace kv::app
