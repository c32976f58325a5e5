// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend against a fake of the libusb calls: how each driver request becomes a
// USB transfer, and the device library over it with a simulated unit behind the fake.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>

#include "device.h"
#include "platform/tick.h"
#include "platform/unit_registers.h"
#include "platform/usb_ids.h"
#include "platform/usb_libusb.h"
#include "simunit/unit.h"

using namespace kv::platform;

namespace {

struct Transfer {
    uint8_t type = 0, request = 0;
    uint16_t value = 0, index = 0;
    std::vector<uint8_t> data;  // OUT data
    int length = 0;
    bool bulk = false;
};

// A unit on the wire: the vendor requests and bulk reads of the unit's firmware, played
// by the simulated unit; every transfer is recorded. From transfer `failFrom` on the
// device is gone.
class FakeLibusb : public LibusbApi {
  public:
    kv::sim::Unit unit;
    std::vector<Transfer> transfers;
    int failFrom = -1;
    int openResult = 0;
    uint16_t vendor = 0x05E3, product = 0x013C;
    uint8_t selected = 0;
    uint32_t bulkLength = 0;

    std::vector<Device> devices() override {
        Device other;
        other.vendor = 0x1234;
        other.product = 0x5678;
        Device d;
        d.vendor = vendor;
        d.product = product;
        const uint8_t desc[18] = {18,
                                  1,
                                  0,
                                  2,
                                  0xFF,
                                  0xFF,
                                  0xFF,
                                  64,
                                  static_cast<uint8_t>(vendor),
                                  static_cast<uint8_t>(vendor >> 8),
                                  static_cast<uint8_t>(product),
                                  static_cast<uint8_t>(product >> 8),
                                  0x10,
                                  0x01,
                                  1,
                                  2,
                                  0,
                                  1};
        std::memcpy(d.descriptor, desc, 18);
        d.bulkInEndpoint = 0x86;
        return {other, d};
    }
    // As the kernel does: one handle at a time may claim the unit's interface; closing
    // a handle releases its claim.
    int openHandles = 0;
    void *claimedBy = nullptr;
    uintptr_t lastHandle = 0;
    int open(const Device &, void **handle) override {
        *handle = nullptr;
        if (openResult != 0) return openResult;
        *handle = reinterpret_cast<void *>(++lastHandle);
        ++openHandles;
        return 0;
    }
    void close(void *handle) override {
        --openHandles;
        if (claimedBy == handle) claimedBy = nullptr;
    }
    int claimInterface(void *handle, int) override {
        if (claimedBy && claimedBy != handle) return -6;  // LIBUSB_ERROR_BUSY
        claimedBy = handle;
        return 0;
    }
    bool gone() { return failFrom >= 0 && static_cast<int>(transfers.size()) >= failFrom; }
    int control(void *, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                uint8_t *data, uint16_t length, unsigned) override {
        if (gone()) return -4;  // LIBUSB_ERROR_NO_DEVICE
        Transfer t{type, request, value, index, {}, length, false};
        if (type == 0x40) t.data.assign(data, data + length);
        transfers.push_back(t);
        if (type == 0x40) {
            if (value == kv::reg::UsbWriteBytes && length == 1)
                selected = data[0];
            else if (value == kv::reg::UsbWriteBytes) {
                for (int i = 0; i + 1 < length; i += 2) {
                    if (data[i] >= 0x20 && data[i] <= 0x26) unit.write(data[i], data[i + 1]);
                }
            } else if (value == kv::reg::UsbBulkLength && length == 8) {
                bulkLength = static_cast<uint32_t>(data[4] | data[5] << 8 | data[6] << 16);
            }
            return length;
        }
        if (value == kv::reg::UsbReadByte)
            data[0] = unit.read(selected);
        else if (value == kv::reg::UsbLinkSpeed)
            data[0] = 0x00;
        return length;
    }
    int bulkIn(void *, uint8_t endpoint, uint8_t *data, int length, int *transferred,
               unsigned) override {
        *transferred = 0;
        if (gone()) return -4;
        Transfer t;
        t.bulk = true;
        t.length = length;
        t.value = endpoint;
        transfers.push_back(t);
        const int n = std::min<int>(length, static_cast<int>(bulkLength));
        for (int i = 0; i < n; ++i)
            data[i] = unit.read(selected);
        *transferred = n;
        return 0;
    }
    int clearHalt(void *, uint8_t) override { return 0; }
};

struct Rig {
    ManualClock clock{1000};
    TickSource *previous = setTickSource(&clock);
    FakeLibusb *fake = new FakeLibusb;
    LibusbDriver driver{std::unique_ptr<LibusbApi>(fake)};
    NullPortIo noPorts;
    kv::dev::Device device{&noPorts, &driver};
    std::vector<uint8_t> selection = std::vector<uint8_t>(2020, 0),
                         state = std::vector<uint8_t>(1009, 0);
    ~Rig() { setTickSource(previous); }
};

}  // namespace

TEST(Libusb, RequestsBecomeVendorTransfers) {
    Rig r;
    ASSERT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 2), 4);
    EXPECT_EQ(r.state[1008], 4);
    // The configuration request: OUT, one byte 8, index 16.
    bool configured = false;
    for (const Transfer &t : r.fake->transfers) {
        if (t.type == 0x40 && t.value == 0x8C) {
            configured = true;
            EXPECT_EQ(t.request, 0x0C);
            EXPECT_EQ(t.index, 16);
            EXPECT_EQ(t.data, std::vector<uint8_t>{8});
        }
    }
    EXPECT_TRUE(configured);
    r.fake->transfers.clear();
    // A status read: the one-byte select, then the one-byte read.
    r.device.readStatus();
    ASSERT_EQ(r.fake->transfers.size(), 2u);
    const Transfer &select = r.fake->transfers[0];
    EXPECT_EQ(select.type, 0x40);
    EXPECT_EQ(select.request, 0x0C);
    EXPECT_EQ(select.value, 0x83);
    EXPECT_EQ(select.data, std::vector<uint8_t>{6});
    const Transfer &read = r.fake->transfers[1];
    EXPECT_EQ(read.type, 0xC0);
    EXPECT_EQ(read.request, 0x0C);
    EXPECT_EQ(read.value, 0x84);
    EXPECT_EQ(read.length, 1);
    // 64 queued bytes go out as one transfer with request 0x04.
    r.fake->transfers.clear();
    for (int i = 0; i < 32; ++i)
        r.device.writeRegister(0x26, 0);
    r.device.flushQueue();
    ASSERT_EQ(r.fake->transfers.size(), 1u);
    EXPECT_EQ(r.fake->transfers[0].request, 0x04);
    EXPECT_EQ(r.fake->transfers[0].data.size(), 64u);
}

TEST(Libusb, IdentityFromTheDeviceDescriptor) {
    Rig r;
    r.fake->vendor = 0x3195;
    r.fake->product = 0x0020;
    const int h = r.driver.open(UsbFamily::StillImage, 0);
    ASSERT_GE(h, 0);
    uint8_t ids[8] = {};
    ASSERT_TRUE(r.driver.control(h, usbreq::StillImageIdentity, ids, 8, ids, 8, nullptr));
    EXPECT_EQ(ids[0] | ids[1] << 8, 0x3195);
    EXPECT_EQ(ids[2] | ids[3] << 8, 0x0020);
    EXPECT_EQ(ids[4] | ids[5] << 8, 0x0110);  // device release
    uint8_t desc[18] = {};
    ASSERT_TRUE(r.driver.control(h, usbreq::DeviceDescriptor, nullptr, 0, desc, 18, nullptr));
    EXPECT_EQ(desc[0], 18);
    EXPECT_EQ(desc[10] | desc[11] << 8, 0x0020);
    // The other device on the bus is not a unit: there is no device 1.
    EXPECT_EQ(r.driver.open(UsbFamily::Generic, 1), -1);
}

TEST(Libusb, PlaneReadsInChunksAndACaptureThroughTheLibrary) {
    Rig r;
    ASSERT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 0), 4);
    uint16_t threshold = 20;
    kv::dev::StartArgs a;
    a.stateBlock = r.state.data();
    a.deep = true;
    a.triggerWord = "XXXXXXXX XXXXXXXX XXXXXXXX";
    a.threshold = &threshold;
    a.rateCode = 4;
    r.device.startCapture(a);
    uint8_t status = 0;
    for (int i = 0; i < 100 && status != 3; ++i) {
        r.clock.advance(1);
        status = r.device.getTrigStat(0x3BC, r.state.data());
    }
    ASSERT_EQ(status, 3);
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0xEE);
    const uint8_t flags[3] = {1, 1, 1};
    const int32_t lengths[3] = {131072, 131072, 131072};
    int32_t offsets[3] = {};
    kv::dev::EndArgs e;
    for (int i = 0; i < 3; ++i)
        e.planes[i] = planes[i].data();
    e.stateBlock = r.state.data();
    e.flags = flags;
    e.lengths = lengths;
    e.a = 1;
    e.b = 3;
    e.n = 3;
    e.triggerWord = a.triggerWord;
    e.offsets = offsets;
    r.fake->transfers.clear();
    r.device.endCapture(e);
    std::vector<int> bulk, lengthsSent;
    for (const Transfer &t : r.fake->transfers) {
        if (t.bulk) {
            bulk.push_back(t.length);
            EXPECT_EQ(t.value, 0x86);  // the bulk-in endpoint of the interface
        }
        if (t.type == 0x40 && t.value == 0x82)
            lengthsSent.push_back(t.data[4] | t.data[5] << 8 | t.data[6] << 16);
    }
    const std::vector<int> chunks = {61440, 61440, 8191, 61440, 61440, 8191, 61440, 61440, 8191};
    EXPECT_EQ(bulk, chunks);
    EXPECT_EQ(lengthsSent, chunks);
    for (size_t i = 0; i < 131071; ++i) {
        ASSERT_EQ(planes[2][i], (r.fake->unit.memoryWord(static_cast<uint32_t>(i)) >> 16) & 0xFF);
    }
    EXPECT_EQ(offsets[0], 8);
}

TEST(Libusb, UnpluggedUnitGivesTheFallbacksQuickly) {
    Rig r;
    ASSERT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 0), 4);
    r.fake->failFrom = static_cast<int>(r.fake->transfers.size()) + 5;
    uint16_t threshold = 20;
    kv::dev::StartArgs a;
    a.stateBlock = r.state.data();
    a.triggerWord = "XXXXXXXX XXXXXXXX 00010000";
    a.threshold = &threshold;
    r.device.startCapture(a);
    r.clock.advance(60);
    const uint32_t before = r.clock.now();
    EXPECT_EQ(r.device.getTrigStat(0x3BC, r.state.data()), 1);  // 0xFF: bits 4 and 5
    std::vector<uint8_t> plane(131072, 0xEE);
    const uint8_t flags[3] = {1, 1, 1};
    const int32_t lengths[3] = {2048, 2048, 2048};
    int32_t offsets[3] = {-5, -5, -5};
    kv::dev::EndArgs e;
    for (auto &p : e.planes)
        p = plane.data();
    e.stateBlock = r.state.data();
    e.flags = flags;
    e.lengths = lengths;
    e.a = 1;
    e.b = 3;
    e.n = 3;
    e.triggerWord = a.triggerWord;
    e.triggerIndex = 60;
    e.offsets = offsets;
    EXPECT_EQ(r.device.endCapture(e), 0);
    EXPECT_EQ(plane[0], 0xEE);
    EXPECT_EQ(offsets[0], -5);
    EXPECT_EQ(r.clock.now(), before);  // no waiting on a gone device
    // Every later request fails at once.
    const size_t count = r.fake->transfers.size();
    EXPECT_EQ(r.device.readStatus(), 0xFF);
    EXPECT_EQ(r.fake->transfers.size(), count);
}

TEST(Libusb, AccessErrorIsRemembered) {
    Rig r;
    r.fake->openResult = -3;  // LIBUSB_ERROR_ACCESS
    EXPECT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 2), 0);
    EXPECT_TRUE(r.driver.accessDenied());
}

TEST(UdevRules, HoldExactlyTheUnitsPairs) {
    std::ifstream in(KV_SOURCE_DIR "/contrib/udev/60-kv6830.rules");
    ASSERT_TRUE(in);
    // Active rules: SUBSYSTEM=="usb", ATTR{idVendor}=="vvvv", ATTR{idProduct}=="pppp",
    // TAG+="uaccess"
    const std::string vendorKey = "ATTR{idVendor}==\"", productKey = "ATTR{idProduct}==\"";
    std::set<std::pair<int, int>> found;
    std::string line;
    int rules = 0;
    while (std::getline(in, line)) {
        if (line.rfind("SUBSYSTEM==\"usb\"", 0) != 0) continue;
        const size_t v = line.find(vendorKey), p = line.find(productKey);
        ASSERT_NE(v, std::string::npos) << line;
        ASSERT_NE(p, std::string::npos) << line;
        EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
        ++rules;
        found.emplace(std::stoi(line.substr(v + vendorKey.size(), 4), nullptr, 16),
                      std::stoi(line.substr(p + productKey.size(), 4), nullptr, 16));
    }
    std::set<std::pair<int, int>> expected;
    for (const UsbId &id : kv::dev::kUsbIds)
        expected.emplace(id.vendor, id.product);
    EXPECT_EQ(rules, 13);
    EXPECT_EQ(found, expected);
}

TEST(Libusb, ResetKeepsTheOpenUnit) {
    Rig r;
    ASSERT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 0), 4);
    ASSERT_EQ(r.fake->openHandles, 1);
    // Timing > Reset searches again while the unit is open: the search must still find it.
    EXPECT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 0), 4);
    EXPECT_EQ(r.state[1007], 4);
    EXPECT_EQ(r.state[1008], 4);
    EXPECT_EQ(r.fake->openHandles, 1);
    EXPECT_NE(r.fake->claimedBy, nullptr);
    // The unit answers on the kept link: a status read is the select and the read.
    r.fake->transfers.clear();
    r.device.readStatus();
    ASSERT_EQ(r.fake->transfers.size(), 2u);
    EXPECT_EQ(r.fake->transfers[0].value, 0x83);
    EXPECT_EQ(r.fake->transfers[1].value, 0x84);
    // A third search, with the still-image family, keeps it too.
    EXPECT_EQ(r.device.findBoard1(0x3BC, r.selection.data(), r.state.data(), 2), 4);
    EXPECT_EQ(r.fake->openHandles, 1);
}
