// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::app {

struct RateRow {
    uint8_t code;
    const char *text;
    double periodPs;
};

// The rate text and sample period of a rate code; nothing for codes without a row.
std::optional<RateRow> rateRow(uint8_t code);
// The period in the unit of the rate's range (ns for codes 0..10, us for 11..24, ms for
// 25..35).
double rangePeriod(uint8_t code, double periodPs);

// The Parameters window's rate list: item texts and their rate codes.
inline constexpr int kRateListSize = 14;
const char *rateListText(int index);
uint8_t rateListCode(int index);
int rateListIndexOf(uint8_t code);  // -1 when the code is not offered

std::string thresholdText(int code);
std::string slopeText(uint8_t slope);  // "true" for 0, "false" otherwise
std::string modeText(uint8_t mode);
std::string memoryText(uint8_t depthIndex);

// The smallest zoom list index a view may show for a memory depth.
int minimumZoomIndex(uint8_t depthIndex);

}  // namespace kv::app
