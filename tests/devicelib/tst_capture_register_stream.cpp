// SPDX-License-Identifier: GPL-3.0-or-later
// Whole captures register write by register write: the (register, value) pairs the USB link
// carries, against the register protocol written out step by step here. The caller's state
// block sets bits that have no part in the protocol (A bits 1..3, C bits 3..7) and some that have
// (A bit 6, B bits 2 and 7): every step must carry them exactly where the protocol keeps them.
#include <utility>
#include <vector>

#include "device_fixture.h"

using namespace kvtest;

namespace {

using Pairs = std::vector<std::pair<uint8_t, uint8_t>>;

// The register protocol of a capture, as the unit expects to receive it.
class Protocol {
  public:
    Protocol(uint8_t a, uint8_t b, uint8_t c) : m_a(a), m_b(b), m_c(c) {}
    const Pairs &pairs() const { return m_pairs; }

    // Clock generator: word and slow range from the rate; external source and edge.
    void clock(uint32_t word, int range, char source = 'I', char edge = 'R') {
        m_c &= 0xF8;
        m_b = static_cast<uint8_t>((m_b & 0xBF) | 0x10);
        if (range >= 0) {
            m_b &= 0xAF;
            m_c = static_cast<uint8_t>(m_c | range);
        }
        external(source, edge);
        const uint8_t remembered = m_b;
        command(0x1E05);
        stuffed(word);
        command(0x1E04);
        command(0x1E00);
        m_b = remembered;
        commit();
    }
    void threshold(uint32_t word) {
        m_b &= 0x7F;
        commit();
        for (int bit = 11; bit >= 0; --bit)
            strobe((word >> bit) & 1);
        m_b &= 0x7F;
        commit();
        m_b |= 0x80;
        commit();
    }
    void triggerWord(uint32_t value, uint32_t care, bool onBecomingTrue) {
        const uint8_t remembered = m_b;
        m_a |= 0x40;
        writeA();
        m_a &= 0x40;
        writeA();
        m_b = static_cast<uint8_t>((m_b & 0xEF) | 0x41);
        commit();
        m_a &= 0xDF;
        writeA();
        pulseChain1();
        const uint32_t low = value & 0xFFFF;
        chain1((value >> 16) & 1);
        for (int bit = 15; bit >= 0; --bit)
            chain1((low >> bit) & 1);
        m_b |= 0x20;
        commit();
        m_b &= 0xDF;
        commit();
        const uint32_t high = care << 8 | ((value >> 16) & 0xFF);
        for (int bit = 31; bit >= 1; --bit) {
            m_a = static_cast<uint8_t>((m_a & 0x7E) | ((high >> bit) & 1));
            writeA();
            m_a |= 0x80;
            writeA();
            m_a &= 0x7F;
            writeA();
        }
        if (onBecomingTrue)
            m_a &= 0xEF;
        else
            m_a |= 0x10;
        writeA();
        m_b = remembered;
        commit();
    }
    void counter(uint32_t count) {
        m_b = static_cast<uint8_t>((m_b & 0xF7) | 1);
        commit();
        for (int bit = 13; bit >= 0; --bit) {
            m_a = static_cast<uint8_t>((m_a & 0xFE) | ((count >> bit) & 1));
            writeA();
            m_b |= 8;
            commit();
            m_b &= 0xF7;
            commit();
        }
        m_b &= 0xFE;
        commit();
    }
    void arm(bool deep, char source = 'I', char edge = 'R') {
        external(source, edge);
        if (deep)
            m_b |= 0x04;
        else
            m_b &= 0xFB;
        m_b &= 0xBD;
        commit();
        m_b |= 2;
        commit();
    }
    void force() {
        m_a &= 0xBF;
        writeA();
        for (int i = 0; i < 5; ++i) {
            m_a |= 0x10;
            writeA();
            m_a &= 0xEF;
            writeA();
        }
    }
    void poll() {
        m_a &= 0xBF;
        writeA();
    }
    void clearA6() { poll(); }
    void stopAndSelectPlanes() {
        m_b |= 0x52;
        commit();
        m_b &= 0xFD;
        commit();
        m_a &= 0x90;
        writeA();
        m_a = static_cast<uint8_t>((m_a & 0xBF) | 1);
        writeA();
        m_a = static_cast<uint8_t>((m_a & 0xFE) | 0x40);
        writeA();
    }

  private:
    void write(uint8_t r, uint8_t v) { m_pairs.emplace_back(r, v); }
    void writeA() { write(0x22, m_a); }
    void commit() {
        write(0x24, m_b);
        write(0x26, m_c);
    }
    void strobe(uint32_t bit) {
        m_a = static_cast<uint8_t>((m_a & 0xFE) | bit);
        write(0x20, m_a);
    }
    void command(uint16_t value) {
        m_b &= 0xEF;
        commit();
        for (int bit = 0; bit < 14; ++bit)
            strobe((value >> bit) & 1);
    }
    void stuffed(uint32_t word) {
        int ones = 0;
        for (int bit = 0; bit < 22; ++bit) {
            const uint32_t v = (word >> bit) & 1;
            strobe(v);
            ones = v ? ones + 1 : 0;
            if (ones == 3) {
                strobe(0);
                ones = 0;
            }
        }
    }
    void external(char source, char edge) {
        if (source != 'E') return;
        if (edge == 'R')
            m_c = static_cast<uint8_t>((m_c & 0xFD) | 5);
        else
            m_c = static_cast<uint8_t>((m_c & 0xFE) | 6);
        m_b &= 0xAF;
    }
    void pulseChain1() {
        m_c = 1;
        commit();
        m_c = 0;
        commit();
    }
    void chain1(uint32_t bit) {
        m_a = static_cast<uint8_t>((m_a & 0x7E) | bit);
        writeA();
        pulseChain1();
    }

    uint8_t m_a, m_b, m_c;
    Pairs m_pairs;
};

// A bits 1..3 and 6, B bits 2 and 7, C bits 3..7 set.
constexpr uint8_t kA = 0x4E, kB = 0x84, kC = 0xF8;
constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
// 1X01X01X 0X10X10X X01X01X0: V = 92 24 24, K = B6 B6 6D (D23..D0).
constexpr const char *kMixed = "1X01X01X 0X10X10X X01X01X0";

void plantBlock(DeviceRig &rig, uint8_t a, uint8_t b, uint8_t c) {
    rig.state[kv::dev::state::A] = a;
    rig.state[kv::dev::state::B] = b;
    rig.state[kv::dev::state::C] = c;
}

}  // namespace

TEST(CaptureRegisterStream, FreeRunCaptureAt100MHz) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    plantBlock(rig, kA, kB, kC);
    rig.usb.calls.clear();
    rig.start(kFree, false, 1024, 4);
    Protocol p(kA, kB, kC);
    p.clock(0x178088, -1);
    p.threshold(20 * 128 / 10 * 4);  // threshold 20: code 256, word 1024
    p.counter(0x3F00);
    p.arm(false);
    p.clearA6();
    p.force();
    EXPECT_EQ(rig.usb.registerWrites(), p.pairs());

    // The read-out after the polls, from the block the last poll stored.
    ASSERT_EQ(rig.waitComplete(), 3);
    Protocol e(rig.state[0], rig.state[40], rig.state[44]);
    rig.usb.calls.clear();
    rig.end(kFree, false, 1024);
    e.stopAndSelectPlanes();
    EXPECT_EQ(rig.usb.registerWrites(), e.pairs());
    EXPECT_EQ(rig.offsets[0], 8);
}

TEST(CaptureRegisterStream, TriggerWordCaptureAt5kHzAndItsReadOut) {
    DeviceRig rig(Place::Usb2);
    ASSERT_EQ(rig.find(), 4);
    plantBlock(rig, kA, kB, kC);
    rig.usb.calls.clear();
    rig.start(kMixed, true, 1024, 22, 1);
    Protocol p(kA, kB, kC);
    p.clock(0x183920, 4);
    p.threshold(1024);
    p.triggerWord(0x922424, 0xB6B66D, true);
    p.counter(1024 / 8 + 2);
    p.arm(true);
    EXPECT_EQ(rig.usb.registerWrites(), p.pairs());

    // A forced trigger straight after the start works on the library's own copy.
    rig.usb.calls.clear();
    rig.device.forceTrigger(rig.base());
    rig.device.flushQueue();
    Protocol f(rig.state[0], rig.state[40], rig.state[44]);
    f.force();
    EXPECT_EQ(rig.usb.registerWrites(), f.pairs());

    // The read-out starts from the caller's block, whatever the library did last.
    rig.clock.advance(100);
    plantBlock(rig, 0x1F, 0x94, 0xFC);
    rig.usb.calls.clear();
    rig.end(kMixed, true, 1024, 1);
    Protocol e(0x1F, 0x94, 0xFC);
    e.stopAndSelectPlanes();
    EXPECT_EQ(rig.usb.registerWrites(), e.pairs());
    // A: 0x1F and 0x90 = 0x10 (plane 0), 0x11 (plane 1), 0x50 (plane 2) stored back.
    EXPECT_EQ(rig.state[0], 0x50);
}

TEST(CaptureRegisterStream, ExternalClockEdgesAndSlowRanges) {
    const struct {
        uint8_t rate, source, edge, condition;
        uint32_t word;
        int range;
        char src, edg;
    } rows[] = {
        {7, 1, 0, 0, 0x129880, -1, 'E', 'R'},  // external rising
        {7, 2, 0, 1, 0x129880, -1, 'E', 'F'},  // external falling
        {15, 3, 1, 0, 0x183920, 1, 'E', 'F'},  // source 3 takes the edge code
        {17, 0, 1, 1, 0x183920, 2, 'I', 'R'},  // internal: the edge code has no effect
        {19, 0, 0, 2, 0x182920, 4, 'I', 'R'},  // any condition but 1: when it stops
        {21, 4, 0, 1, 0x183120, 4, 'I', 'R'},  // unknown source: internal
        {13, 0, 0, 1, 0x183920, 0, 'I', 'R'},
    };
    for (const auto &r : rows) {
        DeviceRig rig(Place::Usb2);
        ASSERT_EQ(rig.find(), 4);
        plantBlock(rig, kA, kB, 0xFF);
        rig.usb.calls.clear();
        rig.start("XXXXXXXX XXXXXXXX 00010000", false, 1024, r.rate, r.condition, r.source, r.edge);
        Protocol p(kA, kB, 0xFF);
        p.clock(r.word, r.range, r.src, r.edg);
        p.threshold(1024);
        p.triggerWord(0x10, 0xFF, r.condition == 1);
        p.counter((1024 + 129024) / 8 + 2);
        p.arm(false, r.src, r.edg);
        EXPECT_EQ(rig.usb.registerWrites(), p.pairs()) << int(r.rate) << " " << int(r.source);
    }
}
