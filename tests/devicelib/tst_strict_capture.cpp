// SPDX-License-Identifier: GPL-3.0-or-later
// Captures against the unit's stricter reading of the protocol: long post-trigger counts
// with the 2K memory, and a trigger that lands a few samples from where it is asked for.
#include <set>

#include "device_fixture.h"

using namespace kvtest;

namespace {

// D7..D0 = 0x10: the board's counter reaches it once every 256 us.
constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

}  // namespace

TEST(StrictCapture, TriggerBeyondThe2KRecordWaitsTheWholeCount) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    // (33104 + 129024) / 8 + 2 = 20268, 14 bits: 3884, leaving 12 500 units of 8:
    // 100 000 samples after the trigger, 20 s at 5 kHz.
    rig.start(kCounter10, false, 33104, 22);
    EXPECT_EQ(rig.sim.unit().counterStart(), 3884);
    EXPECT_EQ(rig.sim.unit().run().kept, 100'000u);
    const uint32_t started = rig.clock.now();
    rig.clock.advance(1000);
    EXPECT_EQ(rig.device.getTrigStat(rig.base(), rig.state.data()), 1);
    ASSERT_EQ(rig.waitComplete(21'000), 3);
    EXPECT_GE(rig.clock.now() - started, 20'000u);
    EXPECT_LE(rig.clock.now() - started, 20'010u);
    rig.end(kCounter10, false, 1024);
    // All 2047 samples come after the trigger, 200 us apart: the microsecond counter on
    // D0..D7 moves on by 200 from one to the next.
    for (size_t i = 0; i + 1 < 2047; ++i)
        ASSERT_EQ(rig.planes[0][i + 1], static_cast<uint8_t>(rig.planes[0][i] + 200)) << i;
}

TEST(StrictCapture, TriggerLocationFollowsWhereTheUnitSawTheTrigger) {
    std::set<int32_t> offsets;
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        DeviceRig rig(Place::Usb2);
        rig.sim.unit().seedTrigger(seed);
        ASSERT_EQ(rig.find(), 4);
        rig.start(kCounter10, false, 1024);
        ASSERT_EQ(rig.waitComplete(), 3);
        rig.end(kCounter10, false, 1024);
        // 16 samples after the nominal index (see the counter), less 0 to 3.
        const int32_t d = rig.offsets[0];
        EXPECT_GE(d, 13);
        EXPECT_LE(d, 16);
        EXPECT_EQ(rig.planes[0][static_cast<size_t>(1024 + d)], 0x10) << seed;
        EXPECT_EQ(rig.planes[0][static_cast<size_t>(1024 + d - 1)], 0x0F) << seed;
        offsets.insert(d);
    }
    EXPECT_EQ(offsets.size(), 4u);
}
