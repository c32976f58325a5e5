// SPDX-License-Identifier: GPL-3.0-or-later
// Captures one after another on the same unit: what one start leaves in the unit's
// registers and chains, or in the caller's state block, must never decide the next one.
#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

}  // namespace

TEST(CaptureSequences, EveryTriggerWordBitReachesTheChainsWhateverCameBefore) {
    // Value V and care mask K as D23..D0, worked from the three 8-character groups
    // (D23..D16, D15..D8, D7..D0), and the condition byte (1: when the word becomes true).
    const struct {
        const char *word;
        uint32_t value, care;
        uint8_t condition;
    } rows[] = {
        {"11111111 11111111 11111111", 0xFFFFFF, 0xFFFFFF, 1},
        // D16 is the chain-1 bit that travels ahead of D15..D0.
        {"XXXXXXX1 XXXXXXXX XXXXXXXX", 0x010000, 0x010000, 0},
        {"00000000 00000000 00000000", 0x000000, 0xFFFFFF, 1},
        // 1X01X01X -> V2 1001 0010, K2 1011 0110; 0X10X10X -> V1 0010 0100, K1 1011 0110;
        // X01X01X0 -> V0 0010 0100, K0 0110 1101.
        {"1X01X01X 0X10X10X X01X01X0", 0x922424, 0xB6B66D, 0},
        {"11111111 11111111 11111111", 0xFFFFFF, 0xFFFFFF, 0},
        {"XXXXXXXX 1XXXXXXX XXXXXXXX", 0x008000, 0x008000, 1},
    };
    for (Place place : {Place::Epp378, Place::Bpp278, Place::Usb2}) {
        DeviceRig rig(place);
        ASSERT_NE(rig.find(), 0);
        for (const auto &r : rows) {
            rig.start(r.word, false, 1024, 4, r.condition);
            const auto &run = rig.sim.unit().run();
            EXPECT_EQ(run.value, r.value) << r.word << " on " << rig.sim.unit().link();
            EXPECT_EQ(run.care, r.care) << r.word << " on " << rig.sim.unit().link();
            EXPECT_EQ(run.triggerOnFalse, r.condition != 1) << r.word;
            // Each capture ends as the program ends it before the next one starts.
            rig.clock.advance(100);
            rig.device.forceTrigger(rig.base());
            ASSERT_EQ(rig.waitComplete(), 3) << r.word;
            rig.end(r.word, false, 1024, r.condition);
        }
    }
}

TEST(CaptureSequences, EachRateHoldsAfterAnyOther) {
    // Slow ranges (C bits 0..2 and B bits 4, 6) alternate with fast rates, in free run
    // and with a trigger word, so a range left over from the previous start shows.
    const struct {
        uint8_t code;
        uint64_t ns;
    } rows[] = {{22, 200'000}, {4, 10},      {15, 10'000},  {7, 100},      {19, 50'000},
                {5, 20},       {17, 20'000}, {13, 5'000},   {21, 100'000}, {9, 500},
                {15, 10'000},  {11, 2'000},  {22, 200'000}, {10, 1'000},   {6, 50}};
    for (Place place : {Place::Epp378, Place::Usb2}) {
        DeviceRig rig(place);
        ASSERT_NE(rig.find(), 0);
        bool free = false;
        for (const auto &r : rows) {
            free = !free;
            rig.start(free ? kFree : kCounter10, false, 1024, r.code);
            EXPECT_EQ(rig.sim.unit().run().periodNs, r.ns)
                << int(r.code) << (free ? " free run" : " trigger") << " on "
                << rig.sim.unit().link();
            EXPECT_FALSE(rig.sim.unit().run().external) << int(r.code);
        }
    }
}

TEST(CaptureSequences, TriggerPositionsBetweenCounterSteps) {
    // The counter counts units of 8 samples: (7 + 129024) / 8 = 16128 -> 16130 and
    // (15 + 129024) / 8 = 16129 -> 16131 with 2K; 7 / 8 + 2 = 2 and 15 / 8 + 2 = 3 with 128K.
    EXPECT_EQ(kv::dev::counterStart(true, false, 7), 16130);
    EXPECT_EQ(kv::dev::counterStart(true, false, 15), 16131);
    EXPECT_EQ(kv::dev::counterStart(true, false, 8), 16131);
    EXPECT_EQ(kv::dev::counterStart(true, true, 7), 2);
    EXPECT_EQ(kv::dev::counterStart(true, true, 15), 3);
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kCounter10, false, 7);
    EXPECT_EQ(rig.sim.unit().counterStart(), 16130);
    rig.start(kCounter10, true, 15);
    EXPECT_EQ(rig.sim.unit().counterStart(), 3);
}

TEST(CaptureSequences, TheCallersPortArgumentIsWhereTheLibraryTalks) {
    for (Place place : {Place::Epp278, Place::Bpp278}) {
        DeviceRig rig(place);
        ASSERT_EQ(rig.find(), 2);
        kv::dev::StartArgs a;
        a.stateBlock = rig.state.data();
        a.triggerWord = kCounter10;
        a.triggerPosition = 1024;
        a.rateCode = 4;
        a.condition = 1;
        a.threshold = &rig.threshold;
        a.port = 0x378;  // no unit there: nothing reaches the one at 0x278
        rig.device.startCapture(a);
        EXPECT_FALSE(rig.sim.unit().running()) << rig.sim.unit().link();
        a.port = 0x278;
        rig.device.startCapture(a);
        EXPECT_TRUE(rig.sim.unit().running()) << rig.sim.unit().link();
        EXPECT_EQ(rig.sim.unit().run().care, 0xFFu);
    }
}

TEST(CaptureSequences, AStartOverAnArmedUnitDisarmsItOnlyWhenItArms) {
    // The counter load ends by clearing B bit 0 alone; B bit 1 (armed by the start before,
    // never read out) is cleared by the arming that follows and then set again.
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.start(kCounter10, false, 1024);
    rig.port.calls.clear();
    rig.start(kCounter10, false, 1024);
    std::vector<uint8_t> b;
    for (const auto &[r, v] : rig.port.eppRegisterWrites(0x378))
        if (r == 0x24) b.push_back(v);
    ASSERT_GE(b.size(), 3u);
    const uint8_t counterLoadEnd = b[b.size() - 3], disarm = b[b.size() - 2],
                  armed = b[b.size() - 1];
    EXPECT_EQ(counterLoadEnd & 0x0B, 0x02);
    EXPECT_EQ(disarm & 0x42, 0x00);
    EXPECT_EQ(armed, disarm | 0x02);
}

TEST(CaptureSequences, EveryEntryPointStartsFromTheCallersStateBlock) {
    // Bits without a role in the unit, set by the caller in the block, must come out in
    // the next writes of that register: the block, not the library's last copy, counts.
    DeviceRig bpp(Place::Bpp278);
    ASSERT_EQ(bpp.find(), 2);
    bpp.start(kCounter10, false, 1024);
    ASSERT_EQ(bpp.waitComplete(), 3);
    bpp.state[kv::dev::state::P] |= 0x10;  // the port's interrupt enable
    bpp.port.calls.clear();
    bpp.start(kCounter10, false, 1024);
    int controlWrites = 0;
    for (const auto &call : bpp.port.calls) {
        if (call.write && call.port == 0x278 + 2) {
            ++controlWrites;
            EXPECT_EQ(call.value & 0x10, 0x10) << "control write " << controlWrites;
        }
    }
    EXPECT_GT(controlWrites, 100);

    DeviceRig usb(Place::Usb2);
    ASSERT_EQ(usb.find(), 4);
    usb.start(kCounter10, false, 1024);
    usb.clock.advance(100);
    usb.state[kv::dev::state::A] |= 0x0C;
    usb.device.getTrigStat(usb.base(), usb.state.data());
    EXPECT_EQ(usb.sim.unit().regA() & 0x0C, 0x0C);
    ASSERT_EQ(usb.waitComplete(), 3);
    usb.state[kv::dev::state::C] |= 0x08;
    usb.state[kv::dev::state::B] &= 0x7F;  // threshold select low in the block
    usb.end(kCounter10, false, 1024);
    EXPECT_EQ(usb.sim.unit().regC() & 0x08, 0x08);
    EXPECT_EQ(usb.sim.unit().regB() & 0x80, 0);
}
