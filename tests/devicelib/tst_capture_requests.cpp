// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

// Bit 0 of every value written to the serial strobe register, as a string of 0/1.
std::string strobeBits(const std::vector<std::pair<uint8_t, uint8_t>> &writes) {
    std::string out;
    for (const auto &[reg, value] : writes) {
        if (reg == 0x20) out += (value & 1) ? '1' : '0';
    }
    return out;
}

// A bits of the A writes made while B bit 0 is set and just before B bit 3 rises.
uint32_t counterFromWrites(const std::vector<std::pair<uint8_t, uint8_t>> &writes) {
    uint8_t a = 0, b = 0;
    uint32_t count = 0;
    for (const auto &[reg, value] : writes) {
        if (reg == 0x22) a = value;
        if (reg == 0x24) {
            if ((value & 1) && !(b & 8) && (value & 8)) count = (count << 1 | (a & 1)) & 0x3FFF;
            b = value;
        }
    }
    return count;
}

}  // namespace

TEST(CaptureRequests, ClockGeneratorStreamFor100MHz) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.port.calls.clear();
    rig.start(kCounter10, false, 1024, 4);
    const std::string stream = strobeBits(rig.port.eppRegisterWrites(0x378));
    // 0x1E05 LSB first; 0x178088 LSB first with a 0 stuffed after bits 15..17; 0x1E04;
    // 0x1E00; then the 12 threshold bits.
    const std::string expected = std::string("10100000011110") + "00010001000000011101010" +
                                 "00100000011110" + "00000000011110";
    ASSERT_GE(stream.size(), expected.size() + 12);
    EXPECT_EQ(stream.substr(0, expected.size()), expected);
    EXPECT_EQ(stream.size(), expected.size() + 12);
}

TEST(CaptureRequests, RateCodesWithoutARowProgram100MHz) {
    for (int code : {4, 12, 14, 16, 18, 20, 0, 3, 23, 255}) {
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.start(kFree, false, 0, static_cast<uint8_t>(code));
        EXPECT_EQ(rig.sim.unit().clockWord(), 0x178088u) << code;
        EXPECT_EQ(rig.sim.unit().run().periodNs, 10u) << code;
    }
}

TEST(CaptureRequests, EveryRateCodeReachesItsPeriod) {
    const struct {
        int code;
        uint64_t ns;
    } rows[] = {{5, 20},      {6, 50},       {7, 100},     {8, 200},     {9, 500},
                {10, 1'000},  {11, 2'000},   {13, 5'000},  {15, 10'000}, {17, 20'000},
                {19, 50'000}, {21, 100'000}, {22, 200'000}};
    for (const auto &r : rows) {
        DeviceRig rig(Place::Bpp278);
        ASSERT_EQ(rig.find(), 2);
        rig.start(kCounter10, false, 1024, static_cast<uint8_t>(r.code));
        EXPECT_EQ(rig.sim.unit().run().periodNs, r.ns) << r.code;
    }
}

TEST(CaptureRequests, TriggerCounterStartValues) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.port.calls.clear();
    rig.start(kCounter10, false, 1024);
    EXPECT_EQ(counterFromWrites(rig.port.eppRegisterWrites(0x378)), 16258u);
    EXPECT_EQ(rig.sim.unit().counterStart(), 16258);
    EXPECT_EQ(rig.sim.unit().run().kept, 1008u);  // 126 units of 8 samples

    // Worked by hand: 128K at 1000 -> 125 + 2; free run 0 (128K) and 0x3F00 (2K).
    EXPECT_EQ(kv::dev::counterStart(true, true, 1000), 127);
    EXPECT_EQ(kv::dev::counterStart(false, true, 1000), 0);
    EXPECT_EQ(kv::dev::counterStart(false, false, 1000), 0x3F00);
    // Truncation toward zero: (-20 + 129024) / 8 = 16125 (2K), -20 / 8 = -2 (128K).
    EXPECT_EQ(kv::dev::counterStart(true, false, -20), 16127);
    EXPECT_EQ(kv::dev::counterStart(true, true, -20), 0);
    // q = 0x1FFFF takes q + 1 = 0x20000, whose low 14 bits are 0.
    EXPECT_EQ(kv::dev::counterStart(true, true, 0x1FFFF * 8), 0);
}

TEST(CaptureRequests, ThresholdIsClampedAndWrittenBack) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.threshold = 200;
    rig.start(kCounter10, false, 1024);
    EXPECT_EQ(rig.threshold, 80);
    // 80 x 12.8 = 1024 does not fit: the largest 12-bit word goes instead.
    EXPECT_EQ(rig.sim.unit().thresholdWord(), 0xFFF);
    rig.threshold = 79;  // 1011.2 -> 1011, word 4044
    rig.start(kCounter10, false, 1024);
    EXPECT_EQ(rig.sim.unit().thresholdWord(), 4044);
    rig.threshold = 0;
    rig.start(kCounter10, false, 1024);
    EXPECT_EQ(rig.sim.unit().thresholdWord(), 0);
}

TEST(CaptureRequests, StatusIsNotAskedWithin55msOfAStart) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.start(kCounter10, false, 1024);  // (50 x 1024 + 5000) / 10^6 = 0, + 55 ms
    rig.port.calls.clear();
    rig.state[0] = 0x77;  // the state block is neither read nor written
    rig.clock.advance(54);
    EXPECT_EQ(rig.device.getTrigStat(0x378, rig.state.data()), 0);
    EXPECT_TRUE(rig.port.calls.empty());
    EXPECT_EQ(rig.state[0], 0x77);
    rig.clock.advance(1);
    EXPECT_NE(rig.device.getTrigStat(0x378, rig.state.data()), 0);
    EXPECT_FALSE(rig.port.calls.empty());
}

TEST(CaptureRequests, LongTriggerPositionsWaitLonger) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.start(kCounter10, true, 100'000);  // (5 000 000 + 5000) / 10^6 = 5, + 55
    rig.clock.advance(59);
    EXPECT_EQ(rig.device.getTrigStat(0x378, rig.state.data()), 0);
    rig.clock.advance(1);
    EXPECT_NE(rig.device.getTrigStat(0x378, rig.state.data()), 0);
}

TEST(CaptureRequests, PlaneNotFlaggedIsNotReadButStillSelected) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.start(kFree, false, 0);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.flags[1] = 2;
    rig.port.calls.clear();
    rig.end(kFree, false, 0);
    const auto writes = rig.port.eppRegisterWrites(0x378);
    std::vector<uint8_t> aWrites;
    for (const auto &[reg, value] : writes) {
        if (reg == 0x22) aWrites.push_back(value);
    }
    ASSERT_EQ(aWrites.size(), 3u);
    EXPECT_EQ(aWrites[0] & 0x41, 0x00);
    EXPECT_EQ(aWrites[1] & 0x41, 0x01);
    EXPECT_EQ(aWrites[2] & 0x41, 0x40);
    size_t reads = 0;
    for (const PortCall &c : rig.port.calls)
        reads += !c.write;
    EXPECT_EQ(reads, 2u * 2047u);
    EXPECT_EQ(rig.planes[1][0], 0xEE);
    EXPECT_NE(rig.planes[2][0], 0xEE);
}

TEST(CaptureRequests, ReadLengthFollowsLengthEntryZero) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, false, 0);
    ASSERT_EQ(rig.waitComplete(), 3);
    kv::dev::EndArgs e;
    for (int i = 0; i < 3; ++i)
        e.planes[i] = rig.planes[i].data();
    e.stateBlock = rig.state.data();
    e.flags = rig.flags;
    int32_t lengths[3] = {4096, 2048, 2048};  // not 2048: the long read
    e.lengths = lengths;
    e.a = 1;
    e.b = 3;
    rig.usb.calls.clear();
    rig.device.endCapture(e);
    // The unit holds 2048 samples: the long read goes round its memory, once per plane.
    const auto &v = rig.expectViolations();
    ASSERT_EQ(v.size(), 3u);
    for (const auto &one : v)
        EXPECT_EQ(one.reg, 0x06);
    size_t bytes = 0;
    for (const UsbCall &c : rig.usb.calls) {
        if (c.kind == UsbCall::Read) bytes += c.length;
    }
    EXPECT_EQ(bytes, 3u * 131071u);
}

TEST(CaptureRequests, DestinationFallsBackToPlaneZero) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kFree, false, 0);
    ASSERT_EQ(rig.waitComplete(), 3);
    kv::dev::EndArgs e;
    for (int i = 0; i < 3; ++i)
        e.planes[i] = rig.planes[i].data();
    e.stateBlock = rig.state.data();
    e.flags = rig.flags;
    int32_t lengths[3] = {2048, 2048, -1};  // plane 2 goes to plane 0's destination
    e.lengths = lengths;
    e.a = 1;
    e.b = 1;  // a x b = 1: plane 2 (> 1) also falls back
    rig.device.endCapture(e);
    EXPECT_EQ(rig.planes[2][0], 0xEE);
    // Plane 0's destination received plane 2 last: the divider byte.
    EXPECT_EQ(rig.planes[0][0], (rig.sim.unit().memoryWord(0) >> 16) & 0xFF);
    EXPECT_EQ(rig.planes[1][0], (rig.sim.unit().memoryWord(0) >> 8) & 0xFF);
}

TEST(CaptureRequests, DashIsIgnoredByTheTriggerButDemandsZeroInTheLocation) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    const char *word = "XXXXXXXX XXXXXXXX 0001000-";
    rig.start(word, false, 1024);
    EXPECT_EQ(rig.sim.unit().run().care, 0x0000FEu);
    EXPECT_EQ(rig.sim.unit().run().value, 0x000010u);
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.end(word, false, 1024);
    // The count becomes 0x10 at 1040 (less the unit's 0 to 3 samples of latency) and 0x11
    // 100 samples later; D0 = 0 there, so "-" agrees.
    EXPECT_EQ(rig.offsets[0], 16 - static_cast<int32_t>(rig.sim.unit().run().latency));

    // Location alone, on planes made by hand: the count becomes 0x11 at T + 3, which
    // "0001000X" takes for a match but "-" demands D0 = 0.
    const char *xword = "XXXXXXXX XXXXXXXX 0001000X";
    // No plane is read (flags 0), so the location runs on the hand-made planes.
    DeviceRig bare(Place::Usb2);
    ASSERT_EQ(bare.find(), 4);
    bare.planes[0].assign(131072, 0);
    for (size_t i = 53; i < 2047; ++i)
        bare.planes[0][i] = 0x11;
    bare.planes[1].assign(131072, 0);
    bare.planes[2].assign(131072, 0);
    bare.flags[0] = bare.flags[1] = bare.flags[2] = 0;  // keep the hand-made planes
    bare.lengths[0] = 2048;
    bare.end(xword, false, 50);
    EXPECT_EQ(bare.offsets[0], 3);
    bare.offsets[0] = -99;
    bare.end(word, false, 50);
    EXPECT_EQ(bare.offsets[0], -99);
}

TEST(CaptureRequests, TriggerLocationStaysInsideThePlanes) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    for (auto &p : rig.planes)
        p.assign(131072, 0);
    rig.flags[0] = rig.flags[1] = rig.flags[2] = 0;
    // T = 0 would read sample -1; T near the end would read past 2046.
    rig.end(kCounter10, false, 0);
    EXPECT_EQ(rig.offsets[0], -99);
    rig.end(kCounter10, false, 2040);
    EXPECT_EQ(rig.offsets[0], -99);
    // n <= 0 writes nothing, even in free run.
    kv::dev::EndArgs e;
    for (int i = 0; i < 3; ++i)
        e.planes[i] = rig.planes[i].data();
    e.stateBlock = rig.state.data();
    e.flags = rig.flags;
    e.lengths = rig.lengths;
    e.triggerWord = kFree;
    e.n = 0;
    e.offsets = rig.offsets;
    rig.device.endCapture(e);
    EXPECT_EQ(rig.offsets[0], -99);
}

TEST(CaptureRequests, NullCallerMemoryTouchesNothing) {
    DeviceRig rig(Place::Epp378);
    ASSERT_EQ(rig.find(), 1);
    rig.port.calls.clear();
    kv::dev::StartArgs a;
    a.triggerWord = kFree;
    a.threshold = &rig.threshold;
    EXPECT_EQ(rig.device.startCapture(a), 1);  // no state block
    a.stateBlock = rig.state.data();
    a.triggerWord = nullptr;
    EXPECT_EQ(rig.device.startCapture(a), 1);
    EXPECT_EQ(rig.device.getTrigStat(0x378, nullptr), 0);
    kv::dev::EndArgs e;
    e.stateBlock = rig.state.data();
    EXPECT_EQ(rig.device.endCapture(e), 0);  // no flags, no lengths
    EXPECT_TRUE(rig.port.calls.empty());
    EXPECT_EQ(rig.device.findBoard1(0x3BC, nullptr, rig.state.data(), 1), 0);
}

TEST(CaptureRequests, UsbRequestCountsOfAStartAndA128KReadOut) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.usb.calls.clear();
    rig.start(kCounter10, true, 1024);
    EXPECT_LE(rig.usb.requestCount(), 16u);
    EXPECT_EQ(rig.device.pendingUsbBytes(), 0u);  // flushed at the end of the start
    ASSERT_EQ(rig.waitComplete(), 3);
    rig.usb.calls.clear();
    rig.end(kCounter10, true, 1024);
    // Per plane: the queued writes, the register select, three length + bulk pairs.
    EXPECT_EQ(rig.usb.requestCount(), 24u);
}

TEST(CaptureRequests, SmallEntryPoints) {
    EXPECT_EQ(kv::dev::rateNs(0, 0), 2.0);
    EXPECT_EQ(kv::dev::rateNs(4, 1), 2.5);
    EXPECT_EQ(kv::dev::rateNs(0, 4), 10.0);
    EXPECT_EQ(kv::dev::rateNs(0, 14), 8000.0);
    EXPECT_EQ(kv::dev::rateNs(0, 33), 1e9);
    EXPECT_EQ(kv::dev::rateNs(0, 34), 10.0);
    EXPECT_EQ(kv::dev::rateNs(5, 0), 10.0);
    EXPECT_EQ(kv::dev::rateNs(1, 0), 0.0);
    EXPECT_EQ(kv::dev::rateHertz(22), 5000u);
    EXPECT_EQ(kv::dev::rateHertz(13), 200'000u);
    // D23 = 1, D22 = 0, D14 = 1, D1 = 0, D0 = 1; the string is indexed by channel.
    EXPECT_EQ(kv::dev::channelString("10XXXXXX X1XXXXXX XXXXXX01"), "10XXXXXXXXXXXX1XXXXXXX01");
    EXPECT_TRUE(kv::dev::hasTriggerChannels("XXXXXXXXXXXXXXXXXXXXXXX0"));
    EXPECT_FALSE(kv::dev::hasTriggerChannels("XXXXXXXXXX-XXXXXXXXXXXXx"));
}

namespace {

// The parallel-port events of the primitives, written out from the link's table.
struct PortScript {
    uint16_t base;
    uint8_t p;  // shadow of the port's control register
    std::vector<PortCall> calls;
    void write(uint16_t at, uint8_t v) { calls.push_back({true, at, v}); }
    void read(uint16_t at) { calls.push_back({false, at, 0}); }
    void bppAddress(uint8_t r) {
        write(base, r);
        p |= 0xCC;
        write(base + 2, p);
        p = static_cast<uint8_t>((p & 0xF7) | 0xC4);
        write(base + 2, p);
        write(base + 2, p);
    }
    void bppData(uint8_t v) {
        write(base, v);
        p |= 0xC6;
        write(base + 2, p);
        p &= 0xFD;
        write(base + 2, p);
        write(base + 2, p);
    }
    void bppRead() {
        p |= 0x26;
        write(base + 2, p);
        read(base);
        p &= 0xDD;
        write(base + 2, p);
    }
};

// The recorded calls with the values read replaced by 0, for comparison with a script.
std::vector<PortCall> withoutReadValues(std::vector<PortCall> calls) {
    for (PortCall &c : calls)
        if (!c.write) c.value = 0;
    return calls;
}

}  // namespace

TEST(CaptureRequests, TriggerStatusIsSelectedOnceAndReadTwice) {
    // Free run forces the trigger at once, so the first status read has bit 4 set and
    // the status is read a second time.
    {
        DeviceRig rig(Place::Epp378);
        ASSERT_EQ(rig.find(), 1);
        rig.start(kFree, false, 1024);
        const uint8_t a = rig.state[0] & 0xBF;
        rig.port.calls.clear();
        const uint8_t status = rig.device.getTrigStat(0x378, rig.state.data());
        EXPECT_TRUE(status == 1 || status == 3);
        const std::vector<PortCall> expected = {{true, 0x37B, 0x22},
                                                {true, 0x37C, a},
                                                {true, 0x37B, 0x06},
                                                {false, 0x37C, 0},
                                                {false, 0x37C, 0}};
        EXPECT_EQ(withoutReadValues(rig.port.calls), expected);
        ASSERT_EQ(rig.port.calls.size(), 5u);
        EXPECT_TRUE(rig.port.calls[3].value & 0x10);
        EXPECT_EQ(rig.state[0], a);
    }
    {
        DeviceRig rig(Place::Bpp278);
        ASSERT_EQ(rig.find(), 2);
        rig.start(kFree, false, 1024);
        PortScript script{0x278, rig.state[2], {}};
        const uint8_t a = rig.state[0] & 0xBF;
        script.bppAddress(0x22);
        script.bppData(a);
        script.bppAddress(0x06);
        script.bppRead();
        script.bppRead();
        rig.port.calls.clear();
        const uint8_t status = rig.device.getTrigStat(0x278, rig.state.data());
        EXPECT_TRUE(status == 1 || status == 3);
        EXPECT_EQ(withoutReadValues(rig.port.calls), script.calls);
        EXPECT_EQ(rig.state[2], script.p);
    }
}
