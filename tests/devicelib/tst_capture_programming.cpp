// SPDX-License-Identifier: GPL-3.0-or-later
// What a capture start programs into the unit, checked on the unit's side: clock source
// and edge, the trigger word on all three planes, and the shadows left in the state block.
#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";

}  // namespace

TEST(CaptureProgramming, ClockSourceThreeTakesTheEdgeCode) {
    for (uint8_t edge : {uint8_t{0}, uint8_t{1}, uint8_t{7}}) {
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.start(kFree, false, 0, 4, 1, 3, edge);
        EXPECT_TRUE(rig.sim.unit().run().external) << int(edge);
        // Edge code 1 is the falling edge; any other leaves the rising one.
        EXPECT_EQ(rig.sim.unit().run().fallingEdge, edge == 1) << int(edge);
    }
}

TEST(CaptureProgramming, ExternalEdgesReplaceTheSlowRangeBits) {
    // 100 kHz and 50 kHz put 1 and 2 into C bits 0..2; the external codes must still
    // come out as 5 (rising) and 6 (falling).
    for (uint8_t rate : {uint8_t{15}, uint8_t{17}}) {
        for (uint8_t source : {uint8_t{1}, uint8_t{2}}) {
            DeviceRig rig(Place::Epp378);
            ASSERT_EQ(rig.find(), 1);
            rig.start(kFree, false, 0, rate, 1, source);
            EXPECT_TRUE(rig.sim.unit().run().external) << int(rate) << " " << int(source);
            EXPECT_EQ(rig.sim.unit().run().fallingEdge, source == 2) << int(rate);
        }
    }
}

TEST(CaptureProgramming, TriggerWordOnAllThreePlanes) {
    DeviceRig rig(Place::Bpp278);
    ASSERT_EQ(rig.find(), 2);
    // D23 = 1, D21 = 0, D15..D9 = 0, D7 = 1, D0 = 1, the rest don't care.
    rig.start("1X0XXXXX 0000000X 1XXXXXX1", false, 1024);
    EXPECT_EQ(rig.sim.unit().run().value, 0x800081u);
    EXPECT_EQ(rig.sim.unit().run().care, 0xA0FE81u);
    // Only D8 of the middle plane matters now.
    rig.start("XXXXXXXX XXXXXXX1 XXXXXXXX", false, 1024);
    EXPECT_EQ(rig.sim.unit().run().value, 0x000100u);
    EXPECT_EQ(rig.sim.unit().run().care, 0x000100u);
}

TEST(CaptureProgramming, ShadowsLandInTheStateBlock) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.state[1] = 0x5A;  // carried bytes
    rig.state[31] = 0xA5;
    rig.state[44] = 0x00;
    // Free run at 100 kHz with 2K memory: C keeps the range 1; B ends with the threshold
    // select (bit 7) and run (bit 1) set, bits 4 and 6 clear for the slow clock.
    rig.start(kFree, false, 0, 15);
    EXPECT_EQ(rig.state[44], 0x01);
    EXPECT_EQ(rig.state[40], 0x82);
    EXPECT_EQ(rig.state[1], 0x5A);
    EXPECT_EQ(rig.state[31], 0xA5);
    // The same at 128K sets the depth bit too.
    rig.start(kFree, true, 0, 15);
    EXPECT_EQ(rig.state[40], 0x86);
    // A poll leaves A bit 6 clear in the block.
    rig.state[0] = 0x40;
    rig.device.getTrigStat(rig.base(), rig.state.data());
    EXPECT_EQ(rig.state[0] & 0x40, 0);
}
