// SPDX-License-Identifier: GPL-3.0-or-later
// The unit is as strict as the hardware: what the protocol needs it requires, and every
// departure is recorded as a violation.
#include <set>

#include "unit_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kCounterIs0x10 = "XXXXXXXXXXXXXXXX00010000";
// D8..D15 all high never happens: the serial clock is low whenever select is high.
constexpr const char *kNever = "XXXXXXXX11111111XXXXXXXX";

}  // namespace

TEST_P(UnitOnLink, TriggerChainsTakeBitsOnlyInsideTheLoadPattern) {
    // Chain clocks and the transfer strobe without B bits 0 and 6 set.
    host->a = 1;
    host->writeA();
    for (int i = 0; i < 17; ++i) {
        host->c = 1;
        host->commit();
        host->c = 0;
        host->commit();
    }
    host->b |= 0x20;
    host->commit();
    host->b &= 0xDF;
    host->commit();
    host->a |= 0x80;
    host->writeA();
    host->a &= 0x7F;
    host->writeA();
    EXPECT_EQ(unit().triggerValue(), 0u);
    EXPECT_EQ(unit().triggerCare(), 0u);
    const auto &v = expectViolations();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].reg, 0x24);  // the transfer strobe
    EXPECT_EQ(v[1].reg, 0x22);  // the chain 2 clock
    EXPECT_EQ(v[0].link, GetParam() == LinkKind::Epp   ? "EPP"
                         : GetParam() == LinkKind::Bpp ? "BPP"
                                                       : "USB 2.0");

    // Inside the pattern but with A bit 5 set, chain 1 refuses its clock too.
    host->b |= 0x41;
    host->commit();
    host->a = 0x21;
    host->writeA();
    host->c = 1;
    host->commit();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[2].reg, 0x26);

    // The whole load as the protocol has it works after all this.
    host->c = 0;
    host->b = 0;
    host->a = 0;
    host->commit();
    host->writeA();
    host->loadTrigger("1X0XXXXX0000000X1XXXXXX1", false);
    EXPECT_EQ(unit().triggerValue(), 0x800081u);
    EXPECT_EQ(unit().triggerCare(), 0xA0FE81u);
    EXPECT_EQ(v.size(), 3u);
}

TEST_P(UnitOnLink, ProgressAndForceNeedABit6Clear) {
    host->loadClock(0x178088, 0);
    host->loadTrigger(kNever, false);
    host->loadCounter(16258);
    host->arm(false);
    clock.advance(1);  // 100 000 samples: the pre-trigger part (1040) is full
    const auto &v = expectViolations();

    // A force with A bit 6 set is not seen.
    host->a |= 0x40;
    host->writeA();
    host->a |= 0x10;
    host->writeA();
    host->a &= 0xEF;
    host->writeA();
    ASSERT_EQ(v.size(), 1u);
    host->force();
    clock.advance(1);
    EXPECT_EQ(progress(), 3);

    // Nor do the progress bits reach a status read with A bit 6 set during the run.
    host->a |= 0x40;
    host->writeA();
    EXPECT_EQ(host->status() & 0x30, 0);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[1].reg, 0x06);
    host->a &= 0xBF;
    host->writeA();
    EXPECT_EQ(host->status() & 0x30, 0x10);
    EXPECT_EQ(v.size(), 2u);
}

TEST_P(UnitOnLink, ClockPathBitsOfBAtArming) {
    host->loadClock(0x178088, 0);  // 100 MHz wants B bit 4 set
    host->b &= 0xEF;
    host->commit();
    host->loadCounter(0x3F00);
    host->arm(false);
    const auto &v = expectViolations();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].reg, 0x24);
    host->stop();

    host->loadClock(0x183920, 4);  // 5 kHz wants B bits 4 and 6 clear
    host->b = static_cast<uint8_t>((host->b & 0xFD) | 0x40);
    host->commit();
    host->b |= 2;
    host->commit();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[1].reg, 0x24);

    // Set B bit 6 is no fault at a fast rate.
    host->stop();
    host->loadClock(0x12A080, 0);  // 5 MHz
    host->b = static_cast<uint8_t>((host->b & 0xFD) | 0x40);
    host->commit();
    host->b |= 2;
    host->commit();
    EXPECT_EQ(v.size(), 2u);
}

TEST_P(UnitOnLink, StopByBit1AloneHandsNothingToTheReadOut) {
    host->loadClock(0x178088, 0);
    host->loadCounter(0x3F00);
    host->arm(false);
    host->force();
    clock.advance(1);
    ASSERT_EQ(progress(), 3);
    host->b &= 0xFD;  // without the stop pattern 0x52
    host->commit();
    const auto &v = expectViolations();
    EXPECT_TRUE(v.empty());  // arming falls the same way
    EXPECT_FALSE(unit().readOut());
    // Reading now is a read-out that never got the memory: what comes back is the status
    // byte, not plane 2's dividers (which change every two samples at 100 MHz).
    const uint8_t status = host->status();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].reg, 0x24);
    host->a = 0x40;
    host->writeA();
    for (uint8_t byte : host->read(8))
        EXPECT_EQ(byte, status);
}

TEST_P(UnitOnLink, EveryLinkReadsTheRegisterLastAddressed) {
    host->b = 0x80;
    host->commit();  // leaves register 0x26 addressed
    EXPECT_EQ(link->readData(), 0xFF);
    const auto &v = expectViolations();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].reg, 0x26);
    // Selecting register 6 again gives the status with the presence bit.
    EXPECT_EQ(host->status() & 0x40, 0x40);
    EXPECT_EQ(link->readData() & 0x40, 0x40);
    EXPECT_EQ(v.size(), 1u);
}

TEST_P(UnitOnLink, UnknownClockWordLeavesTheUnitWithoutARate) {
    host->loadClock(0x178088, 0);
    EXPECT_TRUE(unit().clockProgrammed());
    host->loadClock(0x183920, 3);  // no rate uses range 3
    EXPECT_FALSE(unit().clockProgrammed());
    const auto &v = expectViolations();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].reg, 0x20);
    host->loadCounter(0x3F00);
    host->arm(false);
    host->force();
    clock.advance(100);
    EXPECT_EQ(progress(), 4);  // no samples, so not even a forced trigger
    EXPECT_EQ(v.size(), 1u);
}

TEST_P(UnitOnLink, TwoKMemoryKeepsALongPostTriggerCount) {
    // 100 000 samples after the trigger: 12 500 units, count 16384 - 12500 = 3884.
    // At 5 kHz that is 20 s; there is no pre-trigger part.
    host->loadClock(0x183920, 4);
    host->loadTrigger(kCounterIs0x10, false);
    host->loadCounter(3884);
    host->arm(false);
    EXPECT_EQ(unit().run().kept, 100'000u);
    clock.advance(10);  // the count 0x10 comes within one board period (6.4 ms)
    EXPECT_EQ(progress(), 1);
    clock.advance(19'900);
    EXPECT_EQ(progress(), 1);
    clock.advance(200);
    EXPECT_EQ(progress(), 3);
    host->stop();
    const auto p0 = host->readPlane(0, 2047);
    // The trigger lies before the memory: 2048 - 100 000 - latency.
    EXPECT_EQ(unit().triggerIndexInMemory().value_or(0),
              2048 - 100'000 - static_cast<int64_t>(unit().run().latency));
    // Samples 200 us apart: the microsecond counter on D0..D7 moves on by 200.
    for (size_t i = 0; i + 1 < p0.size(); ++i)
        ASSERT_EQ(p0[i + 1], static_cast<uint8_t>(p0[i] + 200)) << i;
}

TEST_P(UnitOnLink, ForceWhileThePreTriggerPartFillsIsForgotten) {
    host->loadClock(0x183920, 4);  // 5 kHz: pre-trigger part 1040 samples = 208 ms
    host->loadTrigger(kNever, false);
    host->loadCounter(16258);
    host->arm(false);
    clock.advance(100);
    host->force();
    clock.advance(200);
    EXPECT_EQ(progress(), 4);
    host->force();
    clock.advance(1);
    EXPECT_EQ(progress(), 1);
    clock.advance(300);  // 1500 samples, 1008 kept
    EXPECT_EQ(progress(), 3);
}

TEST_P(UnitOnLink, ReadOutNeedsAPlaneSelectAndWrapsAtTheDepth) {
    host->loadClock(0x178088, 0);
    host->loadCounter(0x3F00);
    host->arm(false);
    host->force();
    clock.advance(1);
    host->stop();
    const auto &v = expectViolations();
    EXPECT_EQ(host->read(1)[0], 0xFF);  // no plane selected yet
    ASSERT_EQ(v.size(), 1u);
    const auto p2 = host->readPlane(2, 2052);
    ASSERT_EQ(p2.size(), 2052u);
    ASSERT_EQ(v.size(), 2u);  // one read past 2048
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(p2[2048 + i], p2[i]) << i;
    // Plane select 11 (A bits 6 and 0) names no plane.
    host->a = 0x41;
    host->writeA();
    EXPECT_EQ(v.size(), 3u);
}

namespace {

// A unit with nothing in between, on a manual clock.
struct Bench {
    explicit Bench(kv::sim::Attachment where) : sim(where) {
        m_previous = kv::platform::setTickSource(&clock);
    }
    ~Bench() { kv::platform::setTickSource(m_previous); }
    kv::platform::ManualClock clock{1000};
    kv::sim::Simulator sim;

  private:
    kv::platform::TickSource *m_previous = nullptr;
};

bool usbWrite(kv::platform::UsbDriver &usb, int handle, uint8_t command, std::vector<uint8_t> bytes,
              uint32_t index = 0) {
    kv::platform::UsbRegisterIo block{command, static_cast<uint32_t>(bytes.size()), bytes.data(),
                                      index};
    return usb.control(handle, 0x80002010, &block, sizeof block, nullptr, 0, nullptr);
}

}  // namespace

TEST(StrictUnit, UsbRequestsOfTheWrongShapeAreRefused) {
    Bench bench{kv::sim::Attachment{}};
    auto &usb = *bench.sim.usb();
    const int h = usb.open(kv::platform::UsbFamily::Generic, 0);
    const auto &v = bench.sim.unit().violations();

    EXPECT_FALSE(usbWrite(usb, h, 0x83, {0x22, 0x01, 0x24}));  // a pair and a stray byte
    EXPECT_EQ(bench.sim.unit().regA(), 0);
    EXPECT_TRUE(usbWrite(usb, h, 0x83, {0x22, 0x01}));
    EXPECT_EQ(bench.sim.unit().regA(), 1);
    EXPECT_EQ(v.size(), 1u);

    EXPECT_TRUE(usbWrite(usb, h, 0x83, {0x06}));
    uint8_t two[2] = {};
    kv::platform::UsbRegisterIo read{0x84, 2, two, 0};
    EXPECT_FALSE(usb.control(h, 0x8000200C, &read, sizeof read, two, 2, nullptr));
    EXPECT_EQ(v.size(), 2u);

    EXPECT_FALSE(usbWrite(usb, h, 0x8C, {8}, 0));  // configuration wants index 16
    EXPECT_TRUE(usbWrite(usb, h, 0x8C, {8}, 16));
    EXPECT_EQ(v.size(), 3u);

    // A bulk read takes exactly the length announced, and only after an announcement.
    uint8_t buffer[64];
    EXPECT_EQ(usb.read(h, buffer, 16), -1);
    EXPECT_TRUE(usbWrite(usb, h, 0x82, {0, 0, 0, 0, 16, 0, 0, 0}));
    EXPECT_EQ(usb.read(h, buffer, 64), -1);
    EXPECT_TRUE(usbWrite(usb, h, 0x82, {0, 0, 0, 0, 16, 0, 0, 0}));
    EXPECT_EQ(usb.read(h, buffer, 16), 16);
    EXPECT_FALSE(usbWrite(usb, h, 0x82, {0, 0, 0, 0, 0x01, 0xF0, 0, 0}));  // 61441 bytes
    EXPECT_EQ(v.size(), 6u);

    // Identity, descriptor and register requests carry exactly the buffers they are
    // documented with: 8 bytes both ways, no input and 18 bytes out, no output on a write,
    // no index on a read.
    uint8_t ids[9] = {}, descriptor[19] = {};
    EXPECT_FALSE(usb.control(h, 0x80002018, ids, 9, ids, 9, nullptr));
    EXPECT_TRUE(usb.control(h, 0x80002018, ids, 8, ids, 8, nullptr));
    EXPECT_EQ(ids[0] | ids[1] << 8, 0x05E3);
    EXPECT_FALSE(usb.control(h, 0x80002000, descriptor, 1, descriptor, 18, nullptr));
    EXPECT_FALSE(usb.control(h, 0x80002000, nullptr, 0, descriptor, 19, nullptr));
    EXPECT_TRUE(usb.control(h, 0x80002000, nullptr, 0, descriptor, 18, nullptr));
    uint8_t select = 0x06, byte = 0;
    kv::platform::UsbRegisterIo write{0x83, 1, &select, 0};
    EXPECT_FALSE(usb.control(h, 0x80002010, &write, sizeof write, &byte, 1, nullptr));
    kv::platform::UsbRegisterIo indexed{0x84, 1, &byte, 1};
    EXPECT_FALSE(usb.control(h, 0x8000200C, &indexed, sizeof indexed, &byte, 1, nullptr));
    EXPECT_EQ(v.size(), 11u);
    for (const auto &one : v)
        EXPECT_EQ(one.link, "USB 2.0");
}

TEST(StrictUnit, UnitAnswersOnlyOnceTheSupplyHasSettled) {
    kv::sim::Attachment where;
    where.link = kv::sim::Attachment::Link::Epp;
    where.base = 0x378;
    Bench bench{where};
    auto &port = *bench.sim.parallel();
    const auto &v = bench.sim.unit().violations();
    port.out(0x37A, 0xC4);  // supply on
    bench.clock.advance(kv::sim::Unit::kSettleMs - 1);
    port.out(0x37B, 0x22);
    port.out(0x37C, 0x05);
    EXPECT_EQ(bench.sim.unit().regA(), 0);
    EXPECT_EQ(v.size(), 2u);
    bench.clock.advance(1);
    port.out(0x37B, 0x22);
    port.out(0x37C, 0x05);
    EXPECT_EQ(bench.sim.unit().regA(), 5);
    EXPECT_EQ(v.size(), 2u);
}

TEST(StrictUnit, BppCycleAfterPowerOffPowersUpAndIsLost) {
    kv::sim::Attachment where;
    where.link = kv::sim::Attachment::Link::Bpp;
    where.base = 0x278;
    Bench bench{where};
    auto &port = *bench.sim.parallel();
    const auto &v = bench.sim.unit().violations();
    auto p = static_cast<uint8_t>(0xC4);
    port.out(0x27A, p);
    bench.clock.advance(300);
    const auto writeA = [&](uint8_t value) {
        port.out(0x278, 0x22);  // address cycle
        p |= 0xCC;
        port.out(0x27A, p);
        p = static_cast<uint8_t>((p & 0xF7) | 0xC4);
        port.out(0x27A, p);
        port.out(0x278, value);  // data write
        p |= 0xC6;
        port.out(0x27A, p);
        p &= 0xFD;
        port.out(0x27A, p);
    };
    writeA(0x11);
    EXPECT_EQ(bench.sim.unit().regA(), 0x11);
    EXPECT_TRUE(v.empty());
    p &= 0xFB;  // supply off
    port.out(0x27A, p);
    writeA(0x33);  // its control writes switch the supply on again
    EXPECT_TRUE(port.powered());
    EXPECT_EQ(bench.sim.unit().regA(), 0);  // from power-up, the write itself lost
    EXPECT_EQ(v.size(), 2u);
}

TEST(StrictUnit, TriggerLandsWithinFourSamplesRepeatablyPerSeed) {
    std::set<uint32_t> seen;
    std::vector<uint32_t> first;
    for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t seed = 1; seed <= 24; ++seed) {
            Bench bench{kv::sim::Attachment{}};
            bench.sim.unit().seedTrigger(seed);
            auto backends = bench.sim.backends();
            auto link = makeHostLink(LinkKind::Usb, *backends.port, *backends.usb, 0);
            Host host(*link);
            host.loadClock(0x178088, 0);
            host.loadTrigger(kCounterIs0x10, false);
            host.loadCounter(16258);
            host.arm(false);
            bench.clock.advance(2);
            host.stop();
            const auto p0 = host.readPlane(0, 2047);
            const uint32_t latency = bench.sim.unit().run().latency;
            ASSERT_LE(latency, 3u);
            // The event (count 0x10 after 0x0F) sits at 1040 - latency.
            EXPECT_EQ(p0[1040 - latency], 0x10) << seed;
            EXPECT_EQ(p0[1039 - latency], 0x0F) << seed;
            if (pass == 0)
                first.push_back(latency);
            else
                EXPECT_EQ(latency, first[seed - 1]) << seed;
            seen.insert(latency);
            EXPECT_TRUE(bench.sim.unit().violations().empty());
        }
    }
    EXPECT_EQ(seen.size(), 4u);
}
