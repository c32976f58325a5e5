// SPDX-License-Identifier: GPL-3.0-or-later
// The capture entry points one by one: the port each one is told, the earliest poll time,
// the register A writes around a forced trigger, what comes back, and the small table calls.
#include <utility>
#include <vector>

#include "device_fixture.h"

using namespace kvtest;

namespace {

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
constexpr const char *kCounter10 = "XXXXXXXX XXXXXXXX 00010000";

kv::dev::StartArgs startArgs(DeviceRig &rig, const char *word, int32_t position) {
    kv::dev::StartArgs a;
    a.port = rig.base();
    a.stateBlock = rig.state.data();
    a.triggerPosition = position;
    a.rateCode = 4;
    a.triggerWord = word;
    a.condition = 1;
    a.threshold = &rig.threshold;
    return a;
}

kv::dev::EndArgs endArgs(DeviceRig &rig, uint16_t port) {
    kv::dev::EndArgs e;
    for (int i = 0; i < 3; ++i)
        e.planes[i] = rig.planes[i].data();
    e.port = port;
    e.stateBlock = rig.state.data();
    e.flags = rig.flags;
    e.n = 3;
    e.a = 1;
    e.b = 3;
    e.lengths = rig.lengths;
    e.triggerWord = kCounter10;
    e.triggerIndex = 1024;
    e.condition = 1;
    e.offsets = rig.offsets;
    return e;
}

// True when the recorded port calls exist and all fall in the eight ports from base.
bool onlyAt(const RecordingPort &port, uint16_t base) {
    if (port.calls.empty()) return false;
    for (const PortCall &c : port.calls)
        if (c.port < base || c.port > base + 7) return false;
    return true;
}

// The values written to control register A, in order, from the EPP cycles recorded.
std::vector<uint8_t> writesToA(const RecordingPort &port, uint16_t base) {
    std::vector<uint8_t> values;
    int selected = -1;
    for (const PortCall &c : port.calls) {
        if (!c.write) continue;
        if (c.port == base + 3) selected = c.value;
        if (c.port == base + 4 && selected == 0x22) values.push_back(c.value);
    }
    return values;
}

// a, then five pulses of bit 4: what a forced trigger writes to A.
std::vector<uint8_t> forcePattern(uint8_t a) {
    std::vector<uint8_t> v{a};
    for (int i = 0; i < 5; ++i) {
        v.push_back(static_cast<uint8_t>(a | 0x10));
        v.push_back(a);
    }
    return v;
}

}  // namespace

TEST(CaptureEntryPoints, EachCallTalksAtThePortItIsGiven) {
    // The unit sits at 0x278; a call told 0x378 must not reach it, and one told 0x278 must.
    for (Place place : {Place::Epp278, Place::Bpp278}) {
        DeviceRig rig(place);
        ASSERT_NE(rig.find(), 0);
        rig.start(kCounter10, false, 1024);
        const std::string link = rig.sim.unit().link();

        rig.port.calls.clear();
        rig.device.forceTrigger(0x378);
        EXPECT_TRUE(onlyAt(rig.port, 0x378)) << "force, " << link;
        rig.port.calls.clear();
        rig.device.forceTrigger(0x278);
        EXPECT_TRUE(onlyAt(rig.port, 0x278)) << "force, " << link;

        rig.clock.advance(100);
        rig.port.calls.clear();
        rig.device.getTrigStat(0x378, rig.state.data());
        EXPECT_TRUE(onlyAt(rig.port, 0x378)) << "poll, " << link;
        rig.port.calls.clear();
        EXPECT_EQ(rig.device.getTrigStat(0x278, rig.state.data()), 3) << link;
        EXPECT_TRUE(onlyAt(rig.port, 0x278)) << "poll, " << link;

        rig.port.calls.clear();
        rig.device.endCapture(endArgs(rig, 0x378));
        EXPECT_TRUE(onlyAt(rig.port, 0x378)) << "read-out, " << link;
        rig.port.calls.clear();
        rig.device.endCapture(endArgs(rig, 0x278));
        EXPECT_TRUE(onlyAt(rig.port, 0x278)) << "read-out, " << link;
    }
}

TEST(CaptureEntryPoints, EarliestPollFollowsTheTriggerPosition) {
    // wait = (50 x position + 5000) / 1 000 000 (truncated toward zero) + 55 ms.
    const struct {
        int32_t position;
        uint32_t waitMs;
    } rows[] = {
        {1'999'900, 155},   // 100 000 000 / 10^6 = 100 exactly
        {1'999'899, 154},   // 99 999 950 / 10^6 = 99
        {0, 55},            // 5000 / 10^6 = 0
        {20'000'000, 1055}  // 1 000 005 000 / 10^6 = 1000
    };
    for (const auto &r : rows) {
        DeviceRig rig(Place::Epp378);
        ASSERT_EQ(rig.find(), 1);
        rig.start(kCounter10, true, r.position);
        rig.port.calls.clear();
        rig.clock.advance(r.waitMs - 1);
        EXPECT_EQ(rig.device.getTrigStat(0x378, rig.state.data()), 0) << r.position;
        EXPECT_TRUE(rig.port.calls.empty()) << r.position;
        rig.clock.advance(1);
        EXPECT_NE(rig.device.getTrigStat(0x378, rig.state.data()), 0) << r.position;
        EXPECT_FALSE(rig.port.calls.empty()) << r.position;
    }
    // A position far enough before the start gives a time already past: the unit is asked
    // at once. (50 x -2 000 000 + 5000) / 10^6 = -99, + 55 = -44 ms.
    DeviceRig early(Place::Epp378);
    ASSERT_EQ(early.find(), 1);
    early.start(kCounter10, true, -2'000'000);
    EXPECT_NE(early.device.getTrigStat(0x378, early.state.data()), 0);
}

TEST(CaptureEntryPoints, EarliestPollAcrossTheTickWrap) {
    {
        // A start late in the tick: now + 55 lies past the wrap.
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.clock.set(0xFFFF'FFF0u);
        rig.start(kCounter10, false, 1024);
        rig.clock.advance(54);
        EXPECT_EQ(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
        rig.clock.advance(1);
        EXPECT_NE(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
    }
    {
        // A start at 150 s into the tick: the 55 ms still hold.
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        rig.clock.set(150'000);
        rig.start(kCounter10, false, 1024);
        rig.clock.advance(54);
        EXPECT_EQ(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
        rig.clock.advance(1);
        EXPECT_NE(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
    }
    {
        // No real wait is longer than (50 x 2^31 + 5000) / 10^6 + 55 = 107 429 ms. A poll
        // time more than 200 s ahead can only be left from a start one tick wrap ago
        // (49.7 days): it no longer holds. Up to 200 s it does.
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        const uint32_t started = rig.clock.now();
        rig.start(kCounter10, false, 1024);
        rig.clock.set(started + 55 - 200'000);
        EXPECT_EQ(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
        rig.clock.set(started + 55 - 200'001);
        EXPECT_NE(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
        // Once asked, the unit is asked on every later poll.
        rig.clock.set(started + 50);
        EXPECT_NE(rig.device.getTrigStat(rig.base(), rig.state.data()), 0);
    }
}

TEST(CaptureEntryPoints, ForcedTriggerWritesOfRegisterA) {
    // Trigger position 1024 loads the counter with 16258 (even), 1032 with 16259 (odd):
    // A bit 0, the counter's last bit, ends clear in one and set in the other.
    for (int32_t position : {1024, 1032}) {
        DeviceRig rig(Place::Epp378);
        ASSERT_EQ(rig.find(), 1);
        rig.start(kCounter10, false, position);
        const uint8_t a = rig.state[kv::dev::state::A];
        ASSERT_EQ(a & 1, position == 1024 ? 0 : 1);
        ASSERT_EQ(a & 0x40, 0x40);  // left set by the trigger word
        rig.port.calls.clear();
        rig.device.forceTrigger(0x378);
        EXPECT_EQ(writesToA(rig.port, 0x378), forcePattern(static_cast<uint8_t>(a & 0xBF)))
            << position;
        EXPECT_EQ(rig.port.calls.size(), 2u * 11u) << position;  // nothing but A writes
        // The state block is not written.
        EXPECT_EQ(rig.state[kv::dev::state::A], a);
    }
    {
        // Free run: after arming, A bit 6 cleared and written, then the forced trigger.
        // Bits the caller set in A (2, 3 and 6) come through, bit 6 cleared.
        DeviceRig rig(Place::Epp378);
        ASSERT_EQ(rig.find(), 1);
        rig.state[kv::dev::state::A] = 0x4C;
        rig.port.calls.clear();
        rig.start(kFree, false, 1024);
        const std::vector<uint8_t> writes = writesToA(rig.port, 0x378);
        ASSERT_GE(writes.size(), 13u);
        std::vector<uint8_t> expected{0x4C, 0x0C};  // the counter's last bit (0), then 5(c)
        for (uint8_t v : forcePattern(0x0C))
            expected.push_back(v);
        EXPECT_EQ(std::vector<uint8_t>(writes.end() - 13, writes.end()), expected);
        EXPECT_EQ(rig.state[kv::dev::state::A], 0x0C);
    }
    {
        // The status poll clears bit 6 and keeps the rest of the caller's A.
        DeviceRig rig(Place::Epp378);
        ASSERT_EQ(rig.find(), 1);
        rig.start(kCounter10, false, 1024);
        rig.clock.advance(100);
        rig.state[kv::dev::state::A] = 0x4D;
        rig.port.calls.clear();
        EXPECT_EQ(rig.device.getTrigStat(0x378, rig.state.data()), 3);
        EXPECT_EQ(writesToA(rig.port, 0x378), std::vector<uint8_t>{0x0D});
        EXPECT_EQ(rig.state[kv::dev::state::A], 0x0D);
    }
}

TEST(CaptureEntryPoints, WhatComesBackAndNullMemory) {
    DeviceRig rig(Place::Usb2);
    rig.port.calls.clear();
    rig.device.forceTrigger(0x378);  // no link chosen yet: nothing is sent
    EXPECT_TRUE(rig.port.calls.empty());
    EXPECT_TRUE(rig.usb.calls.empty());
    ASSERT_EQ(rig.find(), 4);
    auto free = startArgs(rig, kFree, 1024);
    EXPECT_EQ(rig.device.startCapture(free), 1);
    auto word = startArgs(rig, kCounter10, 1024);
    EXPECT_EQ(rig.device.startCapture(word), 1);
    rig.clock.advance(100);
    ASSERT_EQ(rig.waitComplete(), 3);

    // Each missing piece of caller memory alone keeps the read-out from the unit.
    rig.usb.calls.clear();
    auto e = endArgs(rig, rig.base());
    e.stateBlock = nullptr;
    EXPECT_EQ(rig.device.endCapture(e), 0);
    e = endArgs(rig, rig.base());
    e.flags = nullptr;
    EXPECT_EQ(rig.device.endCapture(e), 0);
    e = endArgs(rig, rig.base());
    e.lengths = nullptr;
    EXPECT_EQ(rig.device.endCapture(e), 0);
    EXPECT_TRUE(rig.usb.calls.empty());
    EXPECT_EQ(rig.device.endCapture(endArgs(rig, rig.base())), 0);
}

TEST(CaptureEntryPoints, ThresholdJustAboveTheTopIsClamped) {
    // 81 is clamped to 80 and written back; 80 gives code 1024, sent as the largest word.
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.threshold = 81;
    rig.start(kCounter10, false, 1024);
    EXPECT_EQ(rig.threshold, 80);
    EXPECT_EQ(rig.sim.unit().thresholdWord(), 0xFFF);
}

TEST(CaptureEntryPoints, SetClockOnlyCarriesTheStateBlock) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    rig.start(kCounter10, false, 1024);
    std::vector<uint8_t> block(1009, 0);
    block[kv::dev::state::A] = 0x5A;
    block[kv::dev::state::P] = 0x21;
    block[kv::dev::state::B] = 0x3C;
    block[kv::dev::state::C] = 0x03;
    ASSERT_NE(rig.device.shadows().a, 0x5A);
    const std::vector<uint8_t> before = block;
    rig.usb.calls.clear();
    EXPECT_EQ(rig.device.setClock(block.data(), 22, 1, 1), 1);
    EXPECT_EQ(block, before);
    EXPECT_TRUE(rig.usb.calls.empty());
    EXPECT_EQ(rig.device.setClock(nullptr, 4, 0, 0), 1);
}

TEST(CaptureEntryPoints, SamplePeriodOfEveryRateIndex) {
    const double ns[34] = {
        2,    2.5,  4,    5,      10,     20,     50,     100,    200,    500,     1000,    2000,
        4000, 5000, 8000, 10'000, 16'000, 20'000, 32'000, 50'000, 64'000, 100'000, 200'000, 500'000,
        1e6,  2e6,  5e6,  1e7,    2e7,    5e7,    1e8,    2e8,    5e8,    1e9};
    for (int f : {0, 4}) {
        const auto family = static_cast<uint8_t>(f);
        for (int i = 0; i < 34; ++i)
            EXPECT_EQ(kv::dev::rateNs(family, static_cast<uint8_t>(i)), ns[i])
                << "family " << int(family) << " index " << i;
        for (int i : {34, 35, 100, 255})
            EXPECT_EQ(kv::dev::rateNs(family, static_cast<uint8_t>(i)), 10.0) << i;
    }
    for (int i : {0, 4, 33, 34, 255})
        EXPECT_EQ(kv::dev::rateNs(5, static_cast<uint8_t>(i)), 10.0) << i;
    for (int family : {1, 2, 3, 6, 7, 255})
        EXPECT_EQ(kv::dev::rateNs(static_cast<uint8_t>(family), 7), 0.0) << family;
}
