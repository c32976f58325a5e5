// SPDX-License-Identifier: GPL-3.0-or-later
// A unit that goes away during a run: GetLinkStat1 tells it on every link and in every
// phase, never while the unit answers, and a unit plugged in again is noticed and found.
#include <gtest/gtest.h>

#include "device_fixture.h"

using namespace kvtest;

namespace {

const char *const kNever = "XXXXXXXX 11111111 XXXXXXXX";  // D8..D15 never all high
const char *const kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";

struct GoneCase {
    Place place;
    bool deep;
};

class UnitGoneOn : public ::testing::TestWithParam<GoneCase> {
  protected:
    uint8_t linkStat(DeviceRig &rig) { return rig.device.linkStat(rig.base(), rig.state.data()); }
};

std::string caseName(const ::testing::TestParamInfo<GoneCase> &info) {
    const char *names[] = {"Epp378", "Epp278", "Bpp278", "Bpp378",
                           "Bpp3BC", "Epp3BC", "Usb2",   "Usb1"};
    return std::string(names[static_cast<int>(info.param.place)]) +
           (info.param.deep ? "_128K" : "_2K");
}

}  // namespace

TEST_P(UnitGoneOn, AnsweringUnitIsNeverReportedGone) {
    DeviceRig rig(GetParam().place);
    ASSERT_NE(rig.find(), 0);
    EXPECT_EQ(linkStat(rig), 0);  // no run armed yet: the presence test
    rig.start(kNever, GetParam().deep, 1024);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(linkStat(rig), 0) << i;
        rig.clock.advance(3);
    }
    rig.device.forceTrigger(rig.base());
    ASSERT_EQ(rig.waitComplete(), 3);
    EXPECT_EQ(linkStat(rig), 0);
    rig.end(kNever, GetParam().deep, 1024);
    EXPECT_EQ(linkStat(rig), 0);  // after the read-out
}

TEST_P(UnitGoneOn, PulledCableWhileWaitingThenPluggedInAgain) {
    DeviceRig rig(GetParam().place);
    const uint8_t found = rig.find();
    ASSERT_NE(found, 0);
    rig.start(kNever, GetParam().deep, 1024);
    EXPECT_EQ(rig.waitComplete(100), 4);
    rig.sim.unit().faults().cableOut = true;
    EXPECT_EQ(linkStat(rig), 1);
    EXPECT_EQ(linkStat(rig), 1);  // and stays so
    rig.sim.unit().faults().cableOut = false;
    const bool usb = GetParam().place == Place::Usb2 || GetParam().place == Place::Usb1;
    // Only USB tells of a unit arriving; a detection finds it on every link.
    EXPECT_EQ(rig.device.unitsPlugged(), usb ? 1 : 0);
    EXPECT_EQ(rig.device.unitsPlugged(), 0);
    EXPECT_EQ(rig.find(), found);
    rig.start(kFree, GetParam().deep, 1024);
    EXPECT_EQ(rig.waitComplete(), 3);
    EXPECT_EQ(linkStat(rig), 0);
}

TEST_P(UnitGoneOn, PulledCableAfterTheCaptureIsSeenAtTheReadOut) {
    DeviceRig rig(GetParam().place);
    ASSERT_NE(rig.find(), 0);
    rig.start(kFree, GetParam().deep, 1024);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.sim.unit().faults().cableOut = true;
    rig.end(kFree, GetParam().deep, 1024);
    EXPECT_EQ(linkStat(rig), 1);
}

INSTANTIATE_TEST_SUITE_P(Links, UnitGoneOn,
                         ::testing::Values(GoneCase{Place::Epp378, false},
                                           GoneCase{Place::Bpp278, false},
                                           GoneCase{Place::Usb2, false},
                                           GoneCase{Place::Usb2, true},
                                           GoneCase{Place::Usb1, false}),
                         caseName);

TEST(UnitGone, FailingRequestsInTheMiddleOfA128KReadOut) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, true, 1024);
    ASSERT_EQ(rig.waitComplete(), 3);
    // Plane 0 is read in three bulk reads of at most 61 440 bytes, each announced by its
    // length record: let the first plane arrive and fail from the second plane's reads.
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount() + 12;
    rig.end(kFree, true, 1024);
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 1);
}

TEST(UnitGone, ShortBulkReadsAreALinkFailure) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, false, 1024);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.sim.unit().faults().shortBulkBy = 512;
    rig.end(kFree, false, 1024);
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 1);
    // Reported once per failure: the next question is answered afresh.
    rig.sim.unit().faults().shortBulkBy = 0;
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 0);
}

TEST(UnitGone, ANewStartForgetsAFailureOfTheRunBefore) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, false, 1024);
    ASSERT_EQ(rig.waitComplete(), 3);
    // The read-out's requests fail; the unit answers again before the next start.
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount();
    rig.end(kFree, false, 1024);
    rig.sim.unit().faults().usbFailFrom = -1;
    // The next start goes through whole, so the run it arms is not reported lost.
    rig.start(kFree, false, 1024);
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 0);
}

TEST(UnitGone, UnplugAndReplugTimesFollowTheTick) {
    kv::sim::Faults f;
    f.unplugAt = 1000;
    f.replugAt = 1500;
    EXPECT_FALSE(f.disconnected(999));
    EXPECT_TRUE(f.disconnected(1000));
    EXPECT_TRUE(f.disconnected(1499));
    EXPECT_FALSE(f.disconnected(1500));
    f.replugAt.reset();
    EXPECT_TRUE(f.disconnected(900'000));
}
