// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/capture_parameters.h"

#include <cmath>
#include <cstdlib>

#include "core/number_format.h"

namespace kv::app {
namespace {

constexpr RateRow kRates[] = {
    {1, "400Mhz", 2500},  {2, "250Mhz", 4000},  {3, "200Mhz", 5000},   {4, "100Mhz", 10'000},
    {5, "50Mhz", 20'000}, {6, "20Mhz", 50'000}, {7, "10Mhz", 100'000}, {8, "5Mhz", 200'000},
    {9, "2Mhz", 500'000}, {10, "1Mhz", 1e6},    {11, "500khz", 2e6},   {13, "200khz", 5e6},
    {15, "100khz", 1e7},  {17, "50khz", 2e7},   {19, "20khz", 5e7},    {21, "10khz", 1e8},
    {22, "5khz", 2e8},    {23, "2khz", 5e8},    {24, "1khz", 1e9},     {25, "500hz", 2e9},
    {26, "200hz", 5e9},   {27, "100hz", 1e10},  {28, "50hz", 2e10},    {29, "20hz", 5e10},
    {30, "10hz", 1e11},   {31, "5hz", 2e11},    {32, "2hz", 5e11},     {33, "1hz", 1e12}};

constexpr const char *kRateList[kRateListSize] = {
    "100MSa(10ns)", "50MSa(20ns)", "20MSa(50ns)",  "10MSa(100ns)", "5MSa(200ns)",
    "2MSa(500ns)",  "1MSa(1us)",   "500KSa(2us)",  "200KSa(5us)",  "100KSa(10us)",
    "50KSa(20us)",  "20KSa(50us)", "10KSa(100us)", "5KSa(200us)"};
constexpr uint8_t kRateCodes[kRateListSize] = {4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 21, 22};

}  // namespace

std::optional<RateRow> rateRow(uint8_t code) {
    for (const RateRow &r : kRates) {
        if (r.code == code) return r;
    }
    return std::nullopt;
}

double rangePeriod(uint8_t code, double periodPs) {
    if (code <= 10) return periodPs / 1000;
    if (code <= 24) return periodPs / 1e6;
    return periodPs / 1e9;
}

const char *rateListText(int index) {
    return index >= 0 && index < kRateListSize ? kRateList[index] : "";
}

uint8_t rateListCode(int index) {
    return index >= 0 && index < kRateListSize ? kRateCodes[index] : kRateCodes[0];
}

int rateListIndexOf(uint8_t code) {
    for (int i = 0; i < kRateListSize; ++i) {
        if (kRateCodes[i] == code) return i;
    }
    return -1;
}

std::string thresholdText(int code) {
    const double m = std::abs(code - 60) * 50000 / 1000.0;  // millivolts
    if (code > 60) {
        if (m < 999.9) return "-" + formatNumber(m, "###.##") + "mV";
        return "-" + formatNumber(m / 1000, "###.##") + "V";
    }
    if (m < 999.9) return formatNumber(m, "###.##") + "mV";
    return formatNumber(m / 1000, "#####.##") + "V";
}

std::string slopeText(uint8_t slope) {
    return slope == 0 ? "true" : "false";
}

std::string modeText(uint8_t mode) {
    switch (mode) {
        case 0:
            return "Single";
        case 1:
            return "Normal";
        default:
            return "Auto";
    }
}

std::string memoryText(uint8_t depthIndex) {
    return depthIndex ? "128k" : "2k";
}

int minimumZoomIndex(uint8_t depthIndex) {
    return depthIndex ? 3 : 0;
}

}  // namespace kv::app
