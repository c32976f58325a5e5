// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_fixture.h"

using namespace kvtest;

TEST(Primitives, EppRegisterWriteSelectAndRead) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.port.calls.clear();
    rig.device.writeRegister(0x26, 0x55);
    rig.device.selectStatus();
    rig.device.readStatus();
    const std::vector<PortCall> expected = {
        {true, 0x37B, 0x26}, {true, 0x37C, 0x55}, {true, 0x37B, 0x06}, {false, 0x37C, 0x40}};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(Primitives, BppRegisterWriteSelectAndRead) {
    DeviceRig rig(Place::Bpp278);
    ASSERT_EQ(rig.find(), 2);
    // After the presence test P is 0xC4 (supply on, strobes idle).
    rig.port.calls.clear();
    rig.device.writeRegister(0x26, 0x55);
    rig.device.selectStatus();
    const uint8_t status = rig.device.readStatus();
    EXPECT_EQ(status & 0x40, 0x40);
    const std::vector<PortCall> expected = {
        // address cycle 0x26: data, P or 0xCC, then (P and 0xF7) or 0xC4 twice
        {true, 0x278, 0x26},
        {true, 0x27A, 0xCC},
        {true, 0x27A, 0xC4},
        {true, 0x27A, 0xC4},
        // data write 0x55: data, P or 0xC6, then P and 0xFD twice
        {true, 0x278, 0x55},
        {true, 0x27A, 0xC6},
        {true, 0x27A, 0xC4},
        {true, 0x27A, 0xC4},
        // select: address cycle 6
        {true, 0x278, 0x06},
        {true, 0x27A, 0xCC},
        {true, 0x27A, 0xC4},
        {true, 0x27A, 0xC4},
        // read: P or 0x26, read the data register, P and 0xDD
        {true, 0x27A, 0xE6},
        {false, 0x278, status},
        {true, 0x27A, 0xC4}};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(Primitives, UsbWritesWaitInTheQueueUntilARead) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.usb.calls.clear();
    rig.device.writeRegister(0x22, 0x01);
    rig.device.writeRegister(0x24, 0x90);
    rig.device.selectStatus();
    EXPECT_TRUE(rig.usb.calls.empty());
    EXPECT_EQ(rig.device.pendingUsbBytes(), 4u);
    EXPECT_EQ(rig.device.readStatus() & 0x40, 0x40);
    ASSERT_EQ(rig.usb.calls.size(), 3u);
    EXPECT_EQ(rig.usb.calls[0].command, 0x83u);
    EXPECT_EQ(rig.usb.calls[0].data, (std::vector<uint8_t>{0x22, 0x01, 0x24, 0x90}));
    EXPECT_EQ(rig.usb.calls[1].data, std::vector<uint8_t>{6});
    EXPECT_EQ(rig.usb.calls[2].code, 0x8000200Cu);
    EXPECT_EQ(rig.usb.calls[2].command, 0x84u);
}

TEST(Primitives, QueueFlushesInRequestsOfSixtyFourBytes) {
    // The queue holds (register, value) pairs; pending counts are always even.
    const struct {
        int pairs;
        std::vector<size_t> requests;
    } cases[] = {{32, {64}}, {33, {64, 2}}, {64, {64, 64}}, {65, {64, 64, 2}}, {1, {2}}};
    for (const auto &c : cases) {
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.usb.calls.clear();
        for (int i = 0; i < c.pairs; ++i)
            rig.device.writeRegister(0x26, static_cast<uint8_t>(i));
        rig.device.flushQueue();
        std::vector<size_t> sizes;
        for (const UsbCall &call : rig.usb.calls)
            sizes.push_back(call.data.size());
        EXPECT_EQ(sizes, c.requests) << c.pairs << " pairs";
        EXPECT_EQ(rig.device.pendingUsbBytes(), 0u);
    }
}

TEST(Primitives, FailedUsbStatusReadGivesFF) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount();
    EXPECT_EQ(rig.device.readStatus(), 0xFF);
}

TEST(Primitives, BulkReadInChunksOf61440) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.usb.calls.clear();
    std::vector<uint8_t> buffer(131071);
    EXPECT_EQ(rig.device.bulkRead(buffer.data(), buffer.size()), 131071u);
    std::vector<size_t> reads, lengths;
    for (const UsbCall &c : rig.usb.calls) {
        if (c.kind == UsbCall::Read) reads.push_back(c.length);
        if (c.command == 0x82) {
            ASSERT_EQ(c.data.size(), 8u);
            EXPECT_EQ(c.data[0] | c.data[1] | c.data[2] | c.data[3], 0);
            lengths.push_back(c.data[4] | c.data[5] << 8 | c.data[6] << 16 | c.data[7] << 24);
        }
    }
    EXPECT_EQ(reads, (std::vector<size_t>{61440, 61440, 8191}));
    EXPECT_EQ(lengths, reads);
}

TEST(Primitives, BulkReadStopsAtTheFirstShortOrFailedChunk) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.sim.unit().faults().shortBulkBy = 40;
    std::vector<uint8_t> buffer(131071);
    EXPECT_EQ(rig.device.bulkRead(buffer.data(), buffer.size()), 61400u);

    rig.sim.unit().faults().shortBulkBy = 0;
    rig.sim.unit().faults().usbFailFrom = rig.sim.usb()->requestCount() + 4;  // select, 1 chunk
    EXPECT_EQ(rig.device.bulkRead(buffer.data(), buffer.size()), 61440u);
}
