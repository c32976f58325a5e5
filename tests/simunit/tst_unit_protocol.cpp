// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kCounterIs0x10 = "XXXXXXXXXXXXXXXX00010000";

}  // namespace

TEST_P(UnitOnLink, PresenceLoopBackFollowsB7) {
    const auto [first, second] = host->presence();
    EXPECT_EQ(first & 0x40, 0);
    EXPECT_EQ(second & 0x40, 0x40);
}

TEST_P(UnitOnLink, EveryRateWordDecodes) {
    struct Row {
        uint32_t word;
        uint8_t range;
        uint64_t ns;
    };
    const Row rows[] = {{0x178088, 0, 10},     {0x178888, 0, 20},      {0x0B0880, 0, 40},
                        {0x129080, 0, 50},     {0x129880, 0, 100},     {0x12A080, 0, 200},
                        {0x0EA880, 0, 500},    {0x0EB080, 0, 1'000},   {0x0EB880, 0, 2'000},
                        {0x183920, 0, 5'000},  {0x183920, 1, 10'000},  {0x183920, 2, 20'000},
                        {0x182920, 4, 50'000}, {0x183120, 4, 100'000}, {0x183920, 4, 200'000}};
    for (const Row &r : rows) {
        host->loadClock(r.word, r.range);
        EXPECT_EQ(unit().clockWord(), r.word);
        EXPECT_EQ(unit().internalPeriodNs(), r.ns) << std::hex << r.word;
    }
}

TEST_P(UnitOnLink, RangeIsKeptWhenCChangesLater) {
    host->loadClock(0x183920, 2);  // 50 kHz
    host->c = 0;
    host->commit();
    host->arm(false);
    EXPECT_EQ(unit().run().periodNs, 20'000u);
    EXPECT_FALSE(unit().run().external);
}

TEST_P(UnitOnLink, ExternalClockEdges) {
    host->loadClock(0x178088, 0);
    host->arm(false, 5);
    EXPECT_TRUE(unit().run().external);
    EXPECT_FALSE(unit().run().fallingEdge);
    EXPECT_EQ(unit().run().periodNs, 500u);
    EXPECT_EQ(unit().run().firstSampleNs % 500, 0u);
    host->stop();
    host->arm(false, 6);
    EXPECT_TRUE(unit().run().fallingEdge);
    EXPECT_EQ(unit().run().firstSampleNs % 500, 250u);
}

TEST_P(UnitOnLink, ThresholdLoadsTheTwelveBitWord) {
    // t = 50: code 50 x 12.8 = 640, word 2560
    host->loadThreshold(2560);
    EXPECT_EQ(unit().thresholdWord(), 2560);
    EXPECT_EQ(unit().thresholdCode(), 640);
}

TEST_P(UnitOnLink, TriggerValueAndCareOfAMixedWord) {
    // D23 = 1, D21 = 0, D15..D9 = 0, D7 = 1, D0 = 1, the rest don't care.
    host->loadTrigger("1X0XXXXX0000000X1XXXXXX1", false);
    EXPECT_EQ(unit().triggerValue(), 0x800081u);
    EXPECT_EQ(unit().triggerCare(), 0xA0FE81u);
}

TEST_P(UnitOnLink, CounterForTwoKAtPosition1024) {
    // (1024 + 129024) / 8 + 2 = 16258 leaves 16384 - 16258 = 126 units of 8.
    host->loadCounter(16258);
    EXPECT_EQ(unit().counterStart(), 16258);
    host->loadClock(0x178088, 0);
    host->arm(false);
    EXPECT_EQ(unit().run().depth, 2048u);
    EXPECT_EQ(unit().run().kept, 1008u);
}

TEST_P(UnitOnLink, StatusProgressesWaitingFillingComplete) {
    // 5 kHz: 200 us per sample. Pre-trigger part 2048 - 1008 = 1040 samples = 208 ms.
    host->loadClock(0x183920, 4);
    host->loadTrigger(kCounterIs0x10, false);
    host->loadCounter(16258);
    host->arm(false);
    EXPECT_EQ(progress(), 4);
    clock.advance(100);  // 500 samples, pre-trigger part not full
    EXPECT_EQ(progress(), 4);
    clock.advance(200);  // 1500 samples: the count 0x10 comes within 32 samples of 1040
    EXPECT_EQ(progress(), 1);
    clock.advance(300);  // 3000 samples: 1008 kept after the trigger are in
    EXPECT_EQ(progress(), 3);
}

TEST_P(UnitOnLink, ForcedTriggerCompletesARunThatWouldWait) {
    // D8..D15 all high never happens: the clock is low whenever select is high.
    host->loadClock(0x178088, 0);
    host->loadTrigger("XXXXXXXX11111111XXXXXXXX", false);
    host->loadCounter(16258);
    host->arm(false);
    clock.advance(20);
    EXPECT_EQ(progress(), 4);
    clock.advance(1000);
    EXPECT_EQ(progress(), 4);
    host->force();
    clock.advance(1);
    EXPECT_EQ(progress(), 3);
}

TEST_P(UnitOnLink, ReadOutHoldsTheBoardWithTheTriggerWhereTheCounterPutsIt) {
    host->loadClock(0x178088, 0);  // 100 MHz: the counter holds each value 100 samples
    host->loadTrigger(kCounterIs0x10, false);
    host->loadCounter(16258);
    host->arm(false);
    clock.advance(2);
    ASSERT_EQ(progress(), 3);
    host->stop();
    const auto p0 = host->readPlane(0, 2047);
    const auto p1 = host->readPlane(1, 2047);
    const auto p2 = host->readPlane(2, 2047);
    ASSERT_EQ(p0.size(), 2047u);
    ASSERT_EQ(p2.size(), 2047u);
    // Trigger at 2048 - 1008 = 1040, less the 0 to 3 samples the unit takes to see it:
    // the count becomes 0x10 there.
    const uint32_t latency = unit().run().latency;
    ASSERT_LE(latency, 3u);
    const size_t t = 1040 - latency;
    EXPECT_EQ(p0[t - 1], 0x0F);
    for (size_t i = t; i < t + 100; ++i)
        ASSERT_EQ(p0[i], 0x10) << i;
    EXPECT_EQ(p0[t + 100], 0x11);
    EXPECT_EQ(unit().triggerIndexInMemory().value_or(-1), static_cast<int64_t>(t));
    // Dividers: one count every 20 ns, that is every two samples.
    for (size_t i = 0; i + 2 < p2.size(); ++i) {
        ASSERT_EQ(static_cast<uint8_t>(p2[i] + 1), p2[i + 2]) << i;
    }
    // Plane 1: a 2047-sample window (20.47 us) holds at least one whole 8-bit frame; the
    // frame clock (bit 0) only runs while select (bit 2) is low and stays high 50 samples.
    int rising = 0;
    for (size_t i = 1; i < p1.size(); ++i) {
        if ((p1[i - 1] & 1) || !(p1[i] & 1)) continue;
        ++rising;
        EXPECT_EQ(p1[i] & 4, 0) << i;
        if (i + 50 < p1.size()) {
            EXPECT_EQ(p1[i + 49] & 1, 1) << i;
            EXPECT_EQ(p1[i + 50] & 1, 0) << i;
        }
    }
    EXPECT_GE(rising, 8);
    EXPECT_LE(rising, 16);
    // Reading a plane again rewinds it.
    EXPECT_EQ(host->readPlane(0, 2047), p0);
}

TEST_P(UnitOnLink, FreeRunAt128KKeepsTheWholeMemory) {
    host->loadClock(0x178088, 0);
    host->loadCounter(0);
    host->arm(true);
    host->force();
    EXPECT_EQ(unit().run().depth, 131072u);
    EXPECT_EQ(unit().run().kept, 131072u);
    clock.advance(1);  // 100 000 samples
    EXPECT_EQ(progress(), 1);
    clock.advance(1);
    EXPECT_EQ(progress(), 3);
    host->stop();
    const auto p2 = host->readPlane(2, 131071);
    ASSERT_EQ(p2.size(), 131071u);
    EXPECT_EQ(unit().triggerIndexInMemory().value_or(-1), 0);
    for (size_t i = 0; i + 2 < p2.size(); ++i) {
        ASSERT_EQ(static_cast<uint8_t>(p2[i] + 1), p2[i + 2]) << i;
    }
}

TEST_P(UnitOnLink, TriggerWhenTheWordStopsBeingTrue) {
    host->loadClock(0x178088, 0);
    host->loadTrigger(kCounterIs0x10, true);
    host->loadCounter(16258);
    host->arm(false);
    clock.advance(2);
    ASSERT_EQ(progress(), 3);
    host->stop();
    const auto p0 = host->readPlane(0, 2047);
    const size_t t = 1040 - unit().run().latency;
    EXPECT_EQ(p0[t - 1], 0x10);
    EXPECT_EQ(p0[t], 0x11);
}

INSTANTIATE_TEST_SUITE_P(Links, UnitOnLink,
                         ::testing::Values(LinkKind::Epp, LinkKind::Bpp, LinkKind::Usb),
                         linkParamName);
