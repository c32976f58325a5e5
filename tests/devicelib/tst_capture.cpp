// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
// D7..D0 = 0x10: the board's counter reaches it once every 256 us.
constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

struct CaptureCase {
    Place place;
    bool deep;
    bool triggered;
};

std::string caseName(const ::testing::TestParamInfo<CaptureCase> &info) {
    static const char *places[] = {"Epp378", "Epp278", "Bpp278", "Bpp378",
                                   "Bpp3BC", "Epp3BC", "Usb2",   "Usb1"};
    return std::string(places[static_cast<int>(info.param.place)]) +
           (info.param.deep ? "_128K" : "_2K") + (info.param.triggered ? "_Trigger" : "_FreeRun");
}

class CaptureOn : public ::testing::TestWithParam<CaptureCase> {};

}  // namespace

TEST_P(CaptureOn, PlanesHoldTheBoardAndOffsetsFindTheTrigger) {
    const CaptureCase &c = GetParam();
    DeviceRig rig(c.place);
    ASSERT_NE(rig.find(), 0);
    const char *word = c.triggered ? kCounter10 : kFree;
    const int32_t position = 1024;
    rig.start(word, c.deep, position);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.end(word, c.deep, position);

    const size_t count = c.deep ? 131071 : 2047;
    const kv::sim::Unit &unit = rig.sim.unit();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t w = unit.memoryWord(static_cast<uint32_t>(i));
        ASSERT_EQ(rig.planes[0][i], w & 0xFF) << i;
        ASSERT_EQ(rig.planes[1][i], (w >> 8) & 0xFF) << i;
        ASSERT_EQ(rig.planes[2][i], (w >> 16) & 0xFF) << i;
    }
    EXPECT_EQ(rig.planes[0][count], 0xEE);  // nothing past count - 1 bytes

    if (!c.triggered) {
        EXPECT_EQ(rig.offsets[0], 8);
        EXPECT_EQ(rig.offsets[2], 8);
        return;
    }
    // (1024 + 129024) / 8 + 2 (2K) or 1024 / 8 + 2 (128K) leaves the trigger 16 samples
    // after the nominal index, less the 0 to 3 samples the unit takes to see it.
    const int32_t expected = 16 - static_cast<int32_t>(unit.run().latency);
    EXPECT_EQ(rig.offsets[0], expected);
    EXPECT_EQ(rig.offsets[1], expected);
    EXPECT_EQ(rig.offsets[2], expected);
    const size_t t = static_cast<size_t>(position + rig.offsets[0]);
    EXPECT_EQ(static_cast<int64_t>(t), unit.triggerIndexInMemory().value_or(-1));
    EXPECT_EQ(rig.planes[0][t], 0x10);
    EXPECT_EQ(rig.planes[0][t - 1], 0x0F);
}

INSTANTIATE_TEST_SUITE_P(Links, CaptureOn,
                         ::testing::Values(CaptureCase{Place::Epp378, false, false},
                                           CaptureCase{Place::Epp378, false, true},
                                           CaptureCase{Place::Epp378, true, true},
                                           CaptureCase{Place::Bpp3BC, false, true},
                                           CaptureCase{Place::Bpp278, true, false},
                                           CaptureCase{Place::Bpp278, true, true},
                                           CaptureCase{Place::Usb2, false, false},
                                           CaptureCase{Place::Usb2, false, true},
                                           CaptureCase{Place::Usb2, true, false},
                                           CaptureCase{Place::Usb1, true, true}),
                         caseName);

TEST(Capture, FreeRunIsForcedAtOnce) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, false, 1024);
    // No earliest poll time in free run: the unit is asked at once and has triggered.
    const uint8_t status = rig.device.getTrigStat(0x3BC, rig.state.data());
    EXPECT_TRUE(status == 1 || status == 3);
    EXPECT_EQ(rig.sim.unit().run().kept, 2048u);  // count 0x3F00 keeps the whole 2K
}

TEST(Capture, NormalRunWaitsUntilForced) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    const char *never = "XXXXXXXX 11111111 XXXXXXXX";  // D8..D15 never all high
    rig.start(never, false, 1024);
    EXPECT_EQ(rig.waitComplete(200), 4);
    rig.device.forceTrigger(0x378);
    EXPECT_EQ(rig.waitComplete(), 3);
    rig.end(never, false, 1024);
    // The word never matches around T: the offsets are left alone.
    EXPECT_EQ(rig.offsets[0], -99);
}

TEST(Capture, TriggerWhenTheWordStopsBeingTrue) {
    DeviceRig rig(Place::Bpp378);
    ASSERT_EQ(rig.find(), 1);
    rig.start(kCounter10, false, 1024, 4, 0);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.end(kCounter10, false, 1024, 0);
    // 16 samples after the nominal index, less the 0 to 3 the unit takes to see it.
    const auto t = static_cast<int32_t>(1040 - rig.sim.unit().run().latency);
    EXPECT_EQ(rig.offsets[0], t - 1024);
    EXPECT_EQ(rig.planes[0][static_cast<size_t>(t)], 0x11);
    EXPECT_EQ(rig.planes[0][static_cast<size_t>(t - 1)], 0x10);
}

TEST(Capture, RateAndThresholdReachTheUnit) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.threshold = 50;                      // 50 x 12.8 = 640, word 2560
    rig.start(kCounter10, false, 1024, 15);  // 100 kHz
    EXPECT_EQ(rig.sim.unit().run().periodNs, 10'000u);
    EXPECT_EQ(rig.sim.unit().thresholdWord(), 2560);
    EXPECT_EQ(rig.sim.unit().run().value, 0x000010u);
    EXPECT_EQ(rig.sim.unit().run().care, 0x0000FFu);
    EXPECT_FALSE(rig.sim.unit().run().triggerOnFalse);
}

TEST(Capture, ExternalClockEdges) {
    for (uint8_t source : {uint8_t{1}, uint8_t{2}}) {
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.start(kCounter10, false, 1024, 4, 1, source);
        EXPECT_TRUE(rig.sim.unit().run().external);
        EXPECT_EQ(rig.sim.unit().run().fallingEdge, source == 2);
        rig.start(kFree, true, 0, 7, 1, source);
        EXPECT_TRUE(rig.sim.unit().run().external);
        EXPECT_EQ(rig.sim.unit().run().fallingEdge, source == 2);
    }
}

TEST(Capture, UnpluggedUnitGivesTheFallbacksQuickly) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount() + 3;
    rig.start(kCounter10, false, 1024);
    rig.clock.advance(100);
    // A failed read is 0xFF: bits 4 and 5 set, the status reads 1 (filling).
    EXPECT_EQ(rig.device.getTrigStat(0x3BC, rig.state.data()), 1);
    rig.end(kCounter10, false, 1024);
    EXPECT_EQ(rig.planes[0][0], 0xEE);  // nothing read
    EXPECT_EQ(rig.planes[2][2046], 0xEE);
    EXPECT_EQ(rig.offsets[0], -99);  // nothing matched in the untouched planes
}
