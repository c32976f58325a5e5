// SPDX-License-Identifier: GPL-3.0-or-later
// Details of the link below the capture calls: the supply line's wait and control bits,
// the port control bits the caller owns, the full USB write queue, and what a status read
// answers on each kind of link.
#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

}  // namespace

TEST(LinkDetails, SupplyLineWaitsExactly300msBothWays) {
    DeviceRig rig(Place::Bpp278);
    ASSERT_EQ(rig.find(), 2);
    // The caller's block sets port control bits 0 and 4; a status poll at 0x378 (no unit
    // there) takes them into the library's copy.
    rig.start(kCounter10, false, 1024);
    rig.clock.advance(100);
    rig.state[kv::dev::state::P] |= 0x11;
    rig.device.getTrigStat(0x378, rig.state.data());
    const uint8_t p = rig.device.shadows().p;
    ASSERT_EQ(p & 0x11, 0x11);

    rig.port.calls.clear();
    uint32_t before = rig.clock.now();
    EXPECT_EQ(rig.device.laPower(0x378, true), 1);
    EXPECT_EQ(rig.clock.now() - before, 300u);
    const auto on = static_cast<uint8_t>((p & 0x1B) | 0xC4);
    ASSERT_EQ(rig.port.calls.size(), 120u);
    for (const PortCall &c : rig.port.calls)
        EXPECT_EQ(c, (PortCall{true, 0x37A, on}));

    rig.port.calls.clear();
    before = rig.clock.now();
    EXPECT_EQ(rig.device.laPower(0x378, false), 1);
    EXPECT_EQ(rig.clock.now() - before, 300u);
    ASSERT_EQ(rig.port.calls.size(), 120u);
    for (const PortCall &c : rig.port.calls)
        EXPECT_EQ(c, (PortCall{true, 0x37A, static_cast<uint8_t>(on & 0xFB)}));
}

TEST(LinkDetails, BppCyclesKeepTheCallersControlBits) {
    // Bit 0 of the port control register has no part in the cycles: every control write of
    // a whole capture keeps it as the caller's block has it.
    DeviceRig rig(Place::Bpp278);
    ASSERT_EQ(rig.find(), 2);
    rig.state[kv::dev::state::P] |= 0x01;
    rig.port.calls.clear();
    rig.start(kCounter10, false, 1024);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.end(kCounter10, false, 1024);
    int controlWrites = 0;
    for (const PortCall &c : rig.port.calls) {
        if (!c.write || c.port != 0x27A) continue;
        ++controlWrites;
        ASSERT_EQ(c.value & 0x01, 0x01) << "control write " << controlWrites;
    }
    EXPECT_GT(controlWrites, 3 * 2047);  // the read cycles of three planes at least
    EXPECT_EQ(rig.offsets[0], rig.offsets[2]);
    EXPECT_GE(rig.offsets[0], 13);
}

TEST(LinkDetails, FullWriteQueueIsSentBeforeTheNextPair) {
    // 100 000 bytes hold 50 000 pairs; the next pair first sends them all, in 1562
    // requests of 64 bytes and one of 32.
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.usb.calls.clear();
    for (int i = 0; i < 50'001; ++i)
        rig.device.writeRegister(0x26, static_cast<uint8_t>(i % 7));
    EXPECT_EQ(rig.device.pendingUsbBytes(), 2u);
    ASSERT_EQ(rig.usb.calls.size(), 1563u);
    for (size_t i = 0; i < 1562; ++i)
        ASSERT_EQ(rig.usb.calls[i].data.size(), 64u) << i;
    EXPECT_EQ(rig.usb.calls[1562].data.size(), 32u);
    const auto pairs = rig.usb.registerWrites();
    ASSERT_EQ(pairs.size(), 50'000u);
    for (size_t i = 0; i < pairs.size(); ++i)
        ASSERT_EQ(pairs[i], std::make_pair(uint8_t{0x26}, static_cast<uint8_t>(i % 7))) << i;
    rig.device.flushQueue();
    EXPECT_EQ(rig.usb.registerWrites().size(), 50'001u);
}

TEST(LinkDetails, StatusReadOnEachKindOfLink) {
    {
        // Before any link: the answer of a port without a unit.
        DeviceRig rig(Place::Usb2);
        EXPECT_EQ(rig.device.readStatus(), 0xFF);
        EXPECT_TRUE(rig.usb.calls.empty());
        EXPECT_TRUE(rig.port.calls.empty());
    }
    {
        // The still-image family without a USB unit: the reader answers 1 and nothing is sent.
        DeviceRig rig(Place::Epp378);
        EXPECT_EQ(rig.find(2), 0);
        rig.port.calls.clear();
        EXPECT_EQ(rig.device.readStatus(), 1);
        rig.device.writeRegister(0x24, 0x80);
        EXPECT_TRUE(rig.port.calls.empty());
    }
    {
        // USB: the select goes through, the read of the byte fails.
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.sim.unit().faults().usbFailFrom = static_cast<int>(rig.sim.usb()->requestCount()) + 1;
        EXPECT_EQ(rig.device.readStatus(), 0xFF);
        rig.expectViolations();
    }
}

TEST(LinkDetails, BackendsChosenAfterConstruction) {
    DeviceRig rig(Place::Epp278);
    kv::dev::Device device;
    device.setBackends(&rig.port, &rig.usb);
    rig.port.calls.clear();
    EXPECT_EQ(device.findBoard1(0x3BC, rig.selection.data(), rig.state.data(), 1), 2);
    EXPECT_FALSE(rig.port.calls.empty());
}
