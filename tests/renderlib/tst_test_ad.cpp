// SPDX-License-Identifier: GPL-3.0-or-later
// TestAd on traces worked by hand. Values are screen heights (0 at the top).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "second_path.h"

namespace {

constexpr int16_t kUntouched = 0x5A5A;

std::array<int16_t, 13> measure(const std::vector<uint8_t> &t, int reference, uint8_t threshold) {
    std::array<int16_t, 13> r;
    r.fill(kUntouched);
    kv::render::testAd(t.data(), static_cast<int32_t>(t.size()), reference, threshold, r.data());
    return r;
}

}  // namespace

TEST(TestAd, FlatTraceSetsTheLevelFieldsOnly) {
    // min 96, max 104 (a spread of 8, not over 10), mean 600 / 6 = 100;
    // deviations from 90: 10 + 14 + 8 + 12 + 10 + 6 = 60, mean 10.
    const auto r = measure({100, 104, 98, 102, 100, 96}, 90, 100);
    EXPECT_EQ(r[0], 159);
    EXPECT_EQ(r[1], 151);
    EXPECT_EQ(r[2], 155);
    EXPECT_EQ(r[3], 8);
    EXPECT_EQ(r[4], 10);
    EXPECT_EQ(r[12], 100);
    for (int f = 5; f <= 11; ++f)
        EXPECT_EQ(r[f], kUntouched) << f;
}

TEST(TestAd, SquareWave) {
    // Low (on screen: at or below 100) at 0, 1, then high 2..4, low 5..7, high 8..10.
    // Crossings at 2, 5 and 8: the cycle 2..7 holds 3 samples above and 3 at or below.
    // m = 20 + 18 = 38, g = 200 - 18 = 182: 200 at 4 to 20 at 5 is one sample (rising
    // signal), 20 at 1 to 200 at 2 one sample (falling).
    const auto r = measure({20, 20, 200, 200, 200, 20, 20, 20, 200, 200, 200, 20}, 110, 100);
    EXPECT_EQ(r[0], 235);
    EXPECT_EQ(r[1], 55);
    EXPECT_EQ(r[2], 145);  // mean 1320 / 12 = 110
    EXPECT_EQ(r[3], 180);
    EXPECT_EQ(r[4], 90);
    EXPECT_EQ(r[12], 110);
    EXPECT_EQ(r[8], 3);
    EXPECT_EQ(r[9], 3);
    EXPECT_EQ(r[10], 6);
    EXPECT_EQ(r[5], 90);
    EXPECT_EQ(r[6], 1);
    EXPECT_EQ(r[7], 1);
    EXPECT_EQ(r[11], kUntouched);
}

TEST(TestAd, Ramp) {
    // A sawtooth 0, 50, ..., 250 twice, then 0. Sum 1500 over 13: mean 115.
    // Threshold 120: crossings at 3, 6 and 9; the cycle 3..8 is 150, 200, 250 (above)
    // and 0, 50, 100; their mean deviation from 0 is 750 / 6 = 125.
    // m = 25, g = 225: the rising signal drops from 250 at 5 to 0 at 6 (1 sample); the
    // falling one climbs from 0 at 0 to 250 at 5 (5 samples).
    const auto r = measure({0, 50, 100, 150, 200, 250, 0, 50, 100, 150, 200, 250, 0}, 0, 120);
    EXPECT_EQ(r[0], 255);
    EXPECT_EQ(r[1], 5);
    EXPECT_EQ(r[2], 140);
    EXPECT_EQ(r[3], 250);
    EXPECT_EQ(r[4], 115);
    EXPECT_EQ(r[12], 125);
    EXPECT_EQ(r[8], 3);
    EXPECT_EQ(r[9], 3);
    EXPECT_EQ(r[10], 6);
    EXPECT_EQ(r[5], 125);
    EXPECT_EQ(r[6], 1);
    EXPECT_EQ(r[7], 5);
}

TEST(TestAd, NoFullCycle) {
    // One ramp: a single crossing, no cycle, and no rising transition.
    const auto r = measure({0, 50, 100, 150, 200, 250}, 0, 120);
    EXPECT_EQ(r[5], -1);
    EXPECT_EQ(r[8], 0);
    EXPECT_EQ(r[9], 0);
    EXPECT_EQ(r[10], 0);
    EXPECT_EQ(r[6], -1);
    EXPECT_EQ(r[7], 5);
    // Two crossings are still no full cycle.
    const auto two = measure({200, 20, 20, 200, 200}, 0, 100);
    EXPECT_EQ(two[5], -1);
    EXPECT_EQ(two[10], 0);
    EXPECT_EQ(two[6], 1);
    EXPECT_EQ(two[7], 1);
}
