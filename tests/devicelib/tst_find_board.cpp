// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_fixture.h"

using namespace kvtest;

namespace {

struct FindCase {
    Place place;
    uint8_t result;
    uint8_t usbFound;  // byte 1007
    uint8_t kind;      // byte 1008
    kv::dev::Transport mode;
};

class FindBoard1At : public ::testing::TestWithParam<FindCase> {};

}  // namespace

TEST_P(FindBoard1At, ReportsWhereTheUnitIs) {
    const FindCase &c = GetParam();
    DeviceRig rig(c.place);
    rig.state[1007] = 0x55;
    rig.state[1008] = 0x55;
    EXPECT_EQ(rig.find(), c.result);
    EXPECT_EQ(rig.state[1007], c.usbFound);
    EXPECT_EQ(rig.state[1008], c.kind);
    EXPECT_EQ(rig.device.transport(), c.mode);
    // The family word is stored at offset 2018.
    EXPECT_EQ(rig.selection[2018], 1);
    EXPECT_EQ(rig.selection[2019], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Places, FindBoard1At,
    ::testing::Values(FindCase{Place::Epp378, 1, 0, 1, kv::dev::Transport::Epp},
                      FindCase{Place::Epp278, 2, 0, 1, kv::dev::Transport::Epp},
                      FindCase{Place::Bpp278, 2, 0, 2, kv::dev::Transport::Bpp},
                      FindCase{Place::Bpp378, 1, 0, 2, kv::dev::Transport::Bpp},
                      FindCase{Place::Bpp3BC, 3, 0, 2, kv::dev::Transport::Bpp},
                      FindCase{Place::Usb2, 4, 4, 4, kv::dev::Transport::UsbHigh},
                      FindCase{Place::Usb1, 4, 4, 3, kv::dev::Transport::Usb}));

TEST(FindBoard1, EppIsNeverTriedAt3BC) {
    DeviceRig rig(Place::Epp3BC);
    EXPECT_EQ(rig.find(), 0);
    EXPECT_EQ(rig.state[1008], 0);
    for (const PortCall &c : rig.port.calls) {
        EXPECT_FALSE(c.port == 0x3BC + 3 || c.port == 0x3BC + 4) << std::hex << c.port;
    }
    // ...while EPP cycles did go to the other two bases.
    bool epp278 = false, epp378 = false;
    for (const PortCall &c : rig.port.calls) {
        epp278 |= c.port == 0x278 + 3;
        epp378 |= c.port == 0x378 + 3;
    }
    EXPECT_TRUE(epp278 && epp378);
}

TEST(FindBoard1, StillImageFamilyWithoutUsbTouchesNoParallelPort) {
    DeviceRig rig(Place::Epp378);  // a unit the parallel search would find
    const uint32_t before = rig.clock.now();
    EXPECT_EQ(rig.find(2), 0);
    EXPECT_TRUE(rig.port.calls.empty());
    EXPECT_EQ(rig.clock.now(), before);  // no power-on wait either
    EXPECT_EQ(rig.selection[2018], 2);
    // The link is now one that does nothing and reads 1.
    EXPECT_TRUE(rig.device.linkChosen());
    rig.device.writeRegister(0x24, 0x80);
    EXPECT_TRUE(rig.port.calls.empty());
    // Status 1: bit 4 clear, waiting for the trigger; still no port touched.
    EXPECT_EQ(rig.device.getTrigStat(rig.base(), rig.state.data()), 4);
    EXPECT_TRUE(rig.port.calls.empty());
}

TEST(FindBoard1, SearchesEveryNameOfEveryPairInOrder) {
    DeviceRig rig(Place::Epp378);
    rig.find(2);
    // 13 pairs x 127 names, all failing to open.
    size_t opens = 0;
    for (const UsbCall &c : rig.usb.calls)
        opens += c.kind == UsbCall::Open;
    EXPECT_EQ(opens, 13u * 127u);
}

TEST(FindBoard1, UsbUnitWithAnotherPairIsFoundByTheLaterPair) {
    DeviceRig rig(Place::Usb2);
    rig.sim.usb()->identity().vendor = 0x3195;
    rig.sim.usb()->identity().product = 0x0020;  // the twelfth pair
    EXPECT_EQ(rig.find(2), 4);
    // Each earlier pair opened device 0 and closed it again after the identity check.
    size_t closes = 0;
    for (const UsbCall &c : rig.usb.calls)
        closes += c.kind == UsbCall::Close;
    EXPECT_EQ(closes, 11u);
    EXPECT_EQ(rig.sim.usb()->openHandles(), 1);
}

TEST(FindBoard1, StillImageIdentityAndConfiguration) {
    DeviceRig rig(Place::Usb1);
    ASSERT_EQ(rig.find(2), 4);
    bool identity = false, configuration = false, speed = false;
    for (const UsbCall &c : rig.usb.calls) {
        identity |= c.kind == UsbCall::Control && c.code == 0x80002018;
        if (c.kind == UsbCall::Control && c.command == 0x8C) {
            configuration = true;
            EXPECT_EQ(c.index, 16u);
            EXPECT_EQ(c.data, std::vector<uint8_t>{8});
        }
        speed |= c.kind == UsbCall::Control && c.command == 0x8E && c.code == 0x8000200C;
    }
    EXPECT_TRUE(identity && configuration && speed);
    EXPECT_EQ(rig.state[1008], 3);
}

TEST(FindBoard1, NoUnitAnywhere) {
    DeviceRig rig(Place::Epp378);
    rig.sim.unit().faults().absent = true;
    EXPECT_EQ(rig.find(), 0);
    EXPECT_EQ(rig.state[1008], 0);
    EXPECT_EQ(rig.device.transport(), kv::dev::Transport::Bpp);  // mode 1 stays selected
    // Five power-ons, each with its 300 ms wait.
    EXPECT_GE(rig.clock.now() - 50'000u, 1500u);
}

TEST(FindBoard, AnswersSeventeenWhereTheUnitIs) {
    DeviceRig rig(Place::Bpp378);
    ASSERT_EQ(rig.find(), 1);
    EXPECT_EQ(rig.device.findBoard(0x378, rig.state.data()), 17);
    EXPECT_EQ(rig.device.findBoard(0x278, rig.state.data()), 0);
}

TEST(Power, SupplyLineWritesAndWait) {
    DeviceRig rig(Place::Epp378);
    rig.find();
    rig.port.calls.clear();
    const uint32_t before = rig.clock.now();
    EXPECT_EQ(rig.device.laPower(0x378, false), 1);
    ASSERT_EQ(rig.port.calls.size(), 120u);
    for (const PortCall &c : rig.port.calls) {
        EXPECT_TRUE(c.write);
        EXPECT_EQ(c.port, 0x37A);
        EXPECT_EQ(c.value & 0x04, 0);  // off: P := P and 0xFB
    }
    EXPECT_GE(rig.clock.now() - before, 300u);
    rig.port.calls.clear();
    rig.device.laPower(0x378, true);
    // on: P := (P and 0x1B) or 0xC4 sets bits 2, 6, 7 and clears bit 5
    EXPECT_EQ(rig.port.calls.back().value & 0xE4, 0xC4);
    const uint32_t t = rig.clock.now();
    rig.device.powerOff(0x378);
    EXPECT_EQ(rig.clock.now(), t);  // no wait
    EXPECT_EQ(rig.port.calls.back().value & 0x04, 0);
}

TEST(PrtDect, PortsThatReadBack) {
    RecordingPort none;  // no backend: reads 0xFF
    kv::dev::Device device(&none, nullptr);
    EXPECT_EQ(device.prtDect(), 0);

    DeviceRig rig(Place::Bpp378);
    EXPECT_EQ(rig.device.prtDect(), 2);
    // 0x3BC first, 0xAA then 0x55
    ASSERT_GE(rig.port.calls.size(), 4u);
    EXPECT_EQ(rig.port.calls[0], (PortCall{true, 0x3BC, 0xAA}));
    EXPECT_EQ(rig.port.calls[2], (PortCall{true, 0x3BC, 0x55}));

    DeviceRig at278(Place::Epp278);
    EXPECT_EQ(at278.device.prtDect(), 4);
    DeviceRig at3BC(Place::Bpp3BC);
    EXPECT_EQ(at3BC.device.prtDect(), 1);
}

TEST(SetupIO, ParallelTypesAndTheIndexBound) {
    DeviceRig rig(Place::Epp278);
    const uint16_t table[3] = {0x378, 0x278, 0x3BC};
    int32_t type = 0;
    uint16_t base = 0x1111;
    rig.device.setupIo(1, 4, &type, &base, table);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(base, 0x278);
    EXPECT_EQ(rig.device.transport(), kv::dev::Transport::Epp);
    // The EPP link reaches the unit there.
    EXPECT_EQ(rig.device.findBoard(0x278, rig.state.data()), 17);
    base = 0x1111;
    rig.device.setupIo(3, 4, &type, &base, table);  // no table entry 3: base unchanged
    EXPECT_EQ(base, 0x1111);
    rig.device.setupIo(2, 0x80, &type, &base, table);
    EXPECT_EQ(rig.device.transport(), kv::dev::Transport::Bpp);
    EXPECT_EQ(base, 0x3BC);
    rig.device.setupIo(0, 7, &type, &base, table);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(base, 0x3BC);
}

TEST(SetupIO, UsbTypeSearchesTheGenericDriver) {
    DeviceRig rig(Place::Usb2);
    int32_t type = 0;
    rig.device.setupIo(0, 9, &type, nullptr, nullptr);
    EXPECT_TRUE(rig.device.usbOpen());
    EXPECT_EQ(rig.device.transport(), kv::dev::Transport::Usb);
    // The USB link reaches the unit.
    EXPECT_EQ(rig.device.findBoard(0x3BC, rig.state.data()), 17);
    bool descriptor = false;
    for (const UsbCall &c : rig.usb.calls)
        descriptor |= c.code == 0x80002000;
    EXPECT_TRUE(descriptor);
}

TEST(BeforeALink, CallsDoNothingAndTouchNoPort) {
    DeviceRig rig(Place::Epp378);
    rig.start("XXXXXXXX XXXXXXXX XXXXXXXX", false, 1024);
    EXPECT_EQ(rig.device.getTrigStat(0x378, rig.state.data()), 0);
    rig.device.forceTrigger(0x378);
    rig.end("XXXXXXXX XXXXXXXX XXXXXXXX", false, 1024);
    EXPECT_EQ(rig.device.findBoard(0x378, rig.state.data()), 0);
    rig.device.powerOff(0x378);
    EXPECT_TRUE(rig.port.calls.empty());
    EXPECT_TRUE(rig.usb.calls.empty());
    EXPECT_EQ(rig.planes[0][0], 0xEE);
    EXPECT_EQ(rig.offsets[0], -99);
}

namespace {

// A data register that keeps only the bits of 0xAA: 0xAA reads back, 0x55 does not.
class HalfPort final : public kv::platform::PortIo {
  public:
    void out(uint16_t, uint8_t value) override { m_data = value & 0xAA; }
    uint8_t in(uint16_t) override { return m_data; }

  private:
    uint8_t m_data = 0;
};

// A driver that has seen many units arrive.
class BusyUsb final : public kv::platform::UsbDriver {
  public:
    int open(kv::platform::UsbFamily, int) override { return -1; }
    bool control(int, uint32_t, const void *, size_t, void *, size_t, size_t *) override {
        return false;
    }
    long read(int, void *, size_t) override { return -1; }
    void close(int) override {}
    int arrivals() override { return n; }
    int n = 0;
};

}  // namespace

TEST(PrtDect, BothPatternsMustReadBack) {
    HalfPort half;
    kv::dev::Device device(&half, nullptr);
    EXPECT_EQ(device.prtDect(), 0);
}

TEST(UnitsPlugged, CountIsHeldToOneByte) {
    BusyUsb usb;
    RecordingPort none;
    kv::dev::Device device(&none, &usb);
    usb.n = 256;
    EXPECT_EQ(device.unitsPlugged(), 255);
    usb.n = 255;
    EXPECT_EQ(device.unitsPlugged(), 255);
    usb.n = 3;
    EXPECT_EQ(device.unitsPlugged(), 3);
    usb.n = -1;  // a driver that cannot count
    EXPECT_EQ(device.unitsPlugged(), 0);
}
