// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/capture_parameters.h"

using namespace kv::app;

TEST(CaptureParameters, RateRowsAndTheList) {
    ASSERT_TRUE(rateRow(4).has_value());
    EXPECT_STREQ(rateRow(4)->text, "100Mhz");
    EXPECT_EQ(rateRow(4)->periodPs, 10'000);
    // Stepping the list from "100Mhz" gives "50Mhz" and 20 000 ps.
    EXPECT_EQ(rateListCode(0), 4);
    EXPECT_EQ(rateListCode(1), 5);
    EXPECT_STREQ(rateRow(rateListCode(1))->text, "50Mhz");
    EXPECT_EQ(rateRow(rateListCode(1))->periodPs, 20'000);
    EXPECT_STREQ(rateListText(8), "200KSa(5us)");
    EXPECT_EQ(rateListCode(8), 13);
    EXPECT_EQ(rateListCode(13), 22);
    EXPECT_STREQ(rateRow(22)->text, "5khz");
    for (int code : {0, 12, 14, 16, 18, 20, 34})
        EXPECT_FALSE(rateRow(static_cast<uint8_t>(code)));
    EXPECT_EQ(rateListIndexOf(12), -1);
    EXPECT_EQ(rateListIndexOf(21), 12);
    // Range periods: ns up to code 10, us up to 24, ms beyond.
    EXPECT_DOUBLE_EQ(rangePeriod(4, 10'000), 10);
    EXPECT_DOUBLE_EQ(rangePeriod(13, 5e6), 5);
    EXPECT_DOUBLE_EQ(rangePeriod(25, 2e9), 2);
}

TEST(CaptureParameters, ThresholdTexts) {
    // (60 - c) x 50 mV, written from the magnitude with the "###.##" patterns.
    EXPECT_EQ(thresholdText(62), "-100.mV");
    EXPECT_EQ(thresholdText(40), "1.V");  // 1000 mV: 1 in "#####.##"
    EXPECT_EQ(thresholdText(60), ".mV");  // 0 with no required digit
    EXPECT_EQ(thresholdText(0), "3.V");
    EXPECT_EQ(thresholdText(80), "-1.V");
    EXPECT_EQ(thresholdText(59), "50.mV");
    EXPECT_EQ(thresholdText(41), "950.mV");
}

TEST(CaptureParameters, OtherTexts) {
    EXPECT_EQ(slopeText(0), "true");
    EXPECT_EQ(slopeText(1), "false");
    EXPECT_EQ(modeText(0), "Single");
    EXPECT_EQ(modeText(1), "Normal");
    EXPECT_EQ(modeText(2), "Auto");
    EXPECT_EQ(memoryText(0), "2k");
    EXPECT_EQ(memoryText(1), "128k");
}
