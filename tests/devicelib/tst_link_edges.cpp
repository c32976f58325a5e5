// SPDX-License-Identifier: GPL-3.0-or-later
// The edges of the device link: calls outside a link, the caller's shadows in FindBoard and
// in the link check, USB handles and the write queue when a link is let go or taken anew,
// ports the machine does not have, identities that only half match, the link-speed byte.
#include <algorithm>

#include "device_fixture.h"

using namespace kvtest;
namespace state = kv::dev::state;

namespace {

std::vector<uint8_t> writesTo(const std::vector<std::pair<uint8_t, uint8_t>> &pairs, uint8_t reg) {
    std::vector<uint8_t> values;
    for (const auto &[r, v] : pairs)
        if (r == reg) values.push_back(v);
    return values;
}

size_t statusReads(const RecordingUsb &usb) {
    return static_cast<size_t>(std::count_if(usb.calls.begin(), usb.calls.end(), [](auto &c) {
        return c.kind == UsbCall::Control && c.code == 0x8000200C && c.command == 0x84;
    }));
}

// A port where something else answers: every read gives 0.
class QuietPort final : public kv::platform::PortIo {
  public:
    void out(uint16_t, uint8_t) override {}
    uint8_t in(uint16_t) override { return 0x00; }
};

// Passes every request on and sets extra bits in the answer to the link-speed request.
class SpeedBits final : public kv::platform::UsbDriver {
  public:
    SpeedBits(kv::platform::UsbDriver &inner, uint8_t extra) : m_inner(inner), m_extra(extra) {}
    int open(kv::platform::UsbFamily f, int i) override { return m_inner.open(f, i); }
    bool control(int h, uint32_t code, const void *in, size_t inLength, void *out, size_t outLength,
                 size_t *returned) override {
        const bool ok = m_inner.control(h, code, in, inLength, out, outLength, returned);
        const auto *block = static_cast<const kv::platform::UsbRegisterIo *>(in);
        if (ok && code == 0x8000200C && block->offset == 0x8E)
            *static_cast<uint8_t *>(out) |= m_extra;
        return ok;
    }
    long read(int h, void *b, size_t n) override { return m_inner.read(h, b, n); }
    void close(int h) override { m_inner.close(h); }
    int arrivals() override { return m_inner.arrivals(); }

  private:
    kv::platform::UsbDriver &m_inner;
    uint8_t m_extra;
};

}  // namespace

TEST(LinkEdges, WithoutALinkOrABlockTheChecksAnswerZeroAndTouchNothing) {
    DeviceRig rig(Place::Epp378);
    std::fill(rig.state.begin(), rig.state.end(), 0x5A);
    EXPECT_EQ(rig.device.findBoard(0x378, rig.state.data()), 0);
    EXPECT_EQ(rig.device.linkStat(0x378, rig.state.data()), 0);
    EXPECT_EQ(rig.state, std::vector<uint8_t>(1009, 0x5A));
    EXPECT_TRUE(rig.port.calls.empty());

    ASSERT_EQ(rig.find(), 1);
    rig.port.calls.clear();
    EXPECT_EQ(rig.device.findBoard(0x378, nullptr), 0);
    EXPECT_EQ(rig.device.linkStat(0x378, nullptr), 0);
    EXPECT_TRUE(rig.port.calls.empty());

    // A link let go is no link: the calls are refused again.
    rig.device.releaseLink();
    EXPECT_FALSE(rig.device.linkChosen());
    EXPECT_EQ(rig.device.findBoard(0x378, rig.state.data()), 0);
    EXPECT_TRUE(rig.port.calls.empty());
}

TEST(LinkEdges, FindBoardAndTheLinkCheckWorkOnTheCallersShadows) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    // The presence test keeps B's bits 0 to 3 and 5 (the strobe, left low here) from the
    // caller's block, sets bit 4, then bit 7 as well, and hands the result back in the block.
    for (const uint8_t b : {uint8_t{0x05}, uint8_t{0x04}}) {
        rig.state[state::B] = b;
        rig.port.calls.clear();
        EXPECT_EQ(rig.device.findBoard(0x378, rig.state.data()), 17);
        const auto first = static_cast<uint8_t>((b & 0x2F) | 0x10);
        EXPECT_EQ(writesTo(rig.port.eppRegisterWrites(0x378), 0x24),
                  (std::vector<uint8_t>{first, static_cast<uint8_t>(first | 0x80)}));
        EXPECT_EQ(rig.state[state::B], first | 0x80);
    }

    // Not armed by the block (bit 1 of B clear, bit 0 set): the check is a presence test.
    rig.state[state::B] = 0x01;
    rig.state[state::A] = 0x41;
    rig.port.calls.clear();
    EXPECT_EQ(rig.device.linkStat(0x378, rig.state.data()), 0);
    auto writes = rig.port.eppRegisterWrites(0x378);
    EXPECT_EQ(writesTo(writes, 0x24), (std::vector<uint8_t>{0x11, 0x91}));
    EXPECT_TRUE(writesTo(writes, 0x22).empty());
    EXPECT_EQ(rig.state[state::B], 0x91);

    // Armed: A without bit 6, then one status read; B is left alone.
    rig.state[state::B] = 0x02;
    rig.port.calls.clear();
    EXPECT_EQ(rig.device.linkStat(0x378, rig.state.data()), 0);
    writes = rig.port.eppRegisterWrites(0x378);
    EXPECT_EQ(writes, (std::vector<std::pair<uint8_t, uint8_t>>{{0x22, 0x01}}));
    EXPECT_EQ(rig.state[state::A], 0x01);
    EXPECT_EQ(rig.state[state::B], 0x02);

    // Armed, and asked at a port where nothing answers: the unit is lost.
    EXPECT_EQ(rig.device.linkStat(0x278, rig.state.data()), 1);
}

TEST(LinkEdges, TheLinkCheckOnUsb) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.usb.calls.clear();
    rig.state[state::B] = 0x00;
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 0);
    EXPECT_EQ(rig.usb.requestCount(), 0u);  // not armed: USB reports a lost unit by itself

    rig.state[state::B] = 0x02;
    rig.state[state::A] = 0x41;
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 0);
    EXPECT_EQ(rig.usb.registerWrites(), (std::vector<std::pair<uint8_t, uint8_t>>{{0x22, 0x01}}));
    EXPECT_EQ(statusReads(rig.usb), 1u);

    // The select goes through and the read fails: that is a failed transfer, and the
    // check reports the unit lost without asking again.
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount() + 1;
    EXPECT_EQ(rig.device.readStatus(), 0xFF);
    rig.usb.calls.clear();
    EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 1);
    EXPECT_EQ(rig.usb.requestCount(), 0u);
}

TEST(LinkEdges, HandlesAndTheQueueWhenALinkIsTakenAnewOrLetGo) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.device.writeRegister(0x26, 1);
    ASSERT_EQ(rig.device.pendingUsbBytes(), 2u);
    // A second search while the first handle is held: the old handle is closed and the
    // writes meant for it are dropped.
    int32_t type = 0;
    rig.device.setupIo(0, 9, &type, nullptr, nullptr);
    EXPECT_EQ(rig.sim.usb()->openHandles(), 1);
    EXPECT_EQ(rig.device.pendingUsbBytes(), 0u);
    ASSERT_EQ(rig.find(), 4);
    EXPECT_EQ(rig.sim.usb()->openHandles(), 1);

    rig.device.writeRegister(0x26, 1);
    rig.device.releaseLink();
    EXPECT_EQ(rig.sim.usb()->openHandles(), 0);
    EXPECT_FALSE(rig.device.usbOpen());
    EXPECT_EQ(rig.device.pendingUsbBytes(), 0u);
    EXPECT_FALSE(rig.device.linkChosen());
}

TEST(LinkEdges, OnlyThePortsTheMachineHasAreTouched) {
    for (const auto &[place, result, base] :
         {std::tuple{Place::Epp378, 1, 0x378}, std::tuple{Place::Bpp3BC, 3, 0x3BC}}) {
        DeviceRig rig(place);
        rig.port.innerPorts = true;
        ASSERT_EQ(rig.find(), result);
        for (const PortCall &c : rig.port.calls)
            ASSERT_TRUE(c.port >= base && c.port < base + 8) << std::hex << c.port;
    }
}

TEST(LinkEdges, APortThatAlwaysReadsZeroHoldsNoUnit) {
    DeviceRig rig(Place::Epp378);
    QuietPort quiet;
    kv::dev::Device device(&quiet, &rig.usb);
    EXPECT_EQ(device.findBoard1(0x3BC, rig.selection.data(), rig.state.data(), 1), 0);
}

TEST(LinkEdges, IdentitiesMustMatchInVendorAndProduct) {
    for (const uint16_t family : {uint16_t{1}, uint16_t{2}}) {
        DeviceRig rig(Place::Usb2);
        rig.sim.usb()->identity().product = 0x0999;  // the vendor of the first pairs
        std::fill(rig.state.begin(), rig.state.end(), 0xEE);
        EXPECT_EQ(rig.find(family), 0) << family;
        EXPECT_EQ(rig.state[state::UsbFound], 0);
        EXPECT_EQ(rig.state[state::LinkKind], 0);
        EXPECT_EQ(rig.sim.usb()->openHandles(), 0);
        // With the still-image family nothing else is searched and nothing is checked.
        if (family == 2) {
            EXPECT_EQ(rig.device.linkStat(0x3BC, rig.state.data()), 0);
        }
    }
    // A unit that answers its identity and then no more fails the presence test; its
    // handle is closed.
    DeviceRig rig(Place::Usb2);
    rig.sim.unit().faults().usbFailFrom = 1;
    EXPECT_EQ(rig.find(), 0);
    EXPECT_EQ(rig.sim.usb()->openHandles(), 0);
}

TEST(LinkEdges, OnlyBitThreeOfTheLinkSpeedByteCounts) {
    for (const auto &[place, kind] : {std::pair{Place::Usb2, 4}, std::pair{Place::Usb1, 3}}) {
        DeviceRig rig(place);
        SpeedBits noisy(rig.usb, 0xF7);
        kv::dev::Device device(&rig.port, &noisy);
        EXPECT_EQ(device.findBoard1(0x3BC, rig.selection.data(), rig.state.data(), 1), 4);
        EXPECT_EQ(rig.state[state::LinkKind], kind);
    }
}

TEST(LinkEdges, SetupIoChoosesTheLinkItIsGiven) {
    DeviceRig rig(Place::Usb2);
    const uint16_t table[3] = {0x378, 0x278, 0x3BC};
    int32_t type = 0;
    uint16_t base = 0;
    rig.device.setupIo(0, 1, &type, &base, table);
    EXPECT_EQ(rig.device.transport(), kv::dev::Transport::Bpp);
    EXPECT_EQ(base, 0x378);

    rig.usb.calls.clear();
    rig.device.setupIo(0, 9, &type, nullptr, nullptr);
    EXPECT_EQ(type, 9);
    const auto configure = std::find_if(rig.usb.calls.begin(), rig.usb.calls.end(),
                                        [](auto &c) { return c.command == 0x8C; });
    ASSERT_NE(configure, rig.usb.calls.end());
    EXPECT_EQ(configure->index, 16u);
    EXPECT_EQ(configure->data, std::vector<uint8_t>{8});

    // Without a unit on USB the link is still USB; nothing answers on it.
    DeviceRig none(Place::Epp378);
    none.device.setupIo(0, 9, &type, nullptr, nullptr);
    EXPECT_EQ(none.device.transport(), kv::dev::Transport::Usb);
    EXPECT_FALSE(none.device.usbOpen());
}

TEST(LinkEdges, BulkReadsThatFailOrComeShort) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    std::vector<uint8_t> data(100, 0xEE);
    rig.sim.unit().faults().shortBulkBy = 99;
    EXPECT_EQ(rig.device.bulkRead(data.data(), data.size()), 1u);
    rig.sim.unit().faults().shortBulkBy = 0;
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount();  // the select fails
    EXPECT_EQ(rig.device.bulkRead(data.data(), data.size()), 0u);
}

TEST(LinkEdges, UsbBackendChosenAfterConstruction) {
    DeviceRig rig(Place::Usb2);
    kv::dev::Device device;
    device.setBackends(&rig.port, &rig.usb);
    EXPECT_EQ(device.findBoard1(0x3BC, rig.selection.data(), rig.state.data(), 1), 4);
}
