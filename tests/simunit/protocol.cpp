// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol.h"

#include <cstring>

namespace kvtest {
namespace {

using kv::platform::PortIo;
using kv::platform::UsbDriver;

class EppHost : public HostLink {
  public:
    EppHost(PortIo &port, uint16_t base) : m_port(port), m_base(base) {}
    void powerOn() override { m_port.out(m_base + 2, 0xC4); }
    void write(uint8_t reg, uint8_t value) override {
        m_port.out(m_base + 3, reg);
        m_port.out(m_base + 4, value);
    }
    uint8_t readStatus() override {
        m_port.out(m_base + 3, 6);
        return m_port.in(m_base + 4);
    }
    std::vector<uint8_t> readBytes(size_t n) override {
        m_port.out(m_base + 3, 6);
        std::vector<uint8_t> bytes(n);
        for (auto &b : bytes)
            b = m_port.in(m_base + 4);
        return bytes;
    }
    uint8_t readData() override { return m_port.in(m_base + 4); }

  private:
    PortIo &m_port;
    uint16_t m_base;
};

class BppHost : public HostLink {
  public:
    BppHost(PortIo &port, uint16_t base) : m_port(port), m_base(base) {}
    void powerOn() override {
        m_p = 0xC4;
        m_port.out(m_base + 2, m_p);
    }
    void write(uint8_t reg, uint8_t value) override {
        address(reg);
        m_port.out(m_base, value);
        m_p |= 0xC6;
        m_port.out(m_base + 2, m_p);
        m_p &= 0xFD;
        m_port.out(m_base + 2, m_p);
        m_port.out(m_base + 2, m_p);
    }
    uint8_t readStatus() override {
        address(6);
        return readOne();
    }
    std::vector<uint8_t> readBytes(size_t n) override {
        address(6);
        std::vector<uint8_t> bytes(n);
        for (auto &b : bytes)
            b = readOne();
        return bytes;
    }
    uint8_t readData() override { return readOne(); }

  private:
    void address(uint8_t reg) {
        m_port.out(m_base, reg);
        m_p |= 0xCC;
        m_port.out(m_base + 2, m_p);
        m_p = static_cast<uint8_t>((m_p & 0xF7) | 0xC4);
        m_port.out(m_base + 2, m_p);
        m_port.out(m_base + 2, m_p);
    }
    uint8_t readOne() {
        m_p |= 0x26;
        m_port.out(m_base + 2, m_p);
        const uint8_t v = m_port.in(m_base);
        m_p &= 0xDD;
        m_port.out(m_base + 2, m_p);
        return v;
    }
    PortIo &m_port;
    uint16_t m_base;
    uint8_t m_p = 0;
};

class UsbHost : public HostLink {
  public:
    explicit UsbHost(UsbDriver &usb) : m_usb(usb) {
        m_handle = m_usb.open(kv::platform::UsbFamily::Generic, 0);
    }
    void write(uint8_t reg, uint8_t value) override {
        uint8_t pair[2] = {reg, value};
        send(0x83, pair, 2);
    }
    uint8_t readStatus() override {
        uint8_t six = 6;
        send(0x83, &six, 1);
        return readData();
    }
    uint8_t readData() override {
        uint8_t value = 0xFF;
        kv::platform::UsbRegisterIo block{0x84, 1, &value, 0};
        if (!m_usb.control(m_handle, 0x8000200C, &block, sizeof block, &value, 1, nullptr))
            return 0xFF;
        return value;
    }
    std::vector<uint8_t> readBytes(size_t n) override {
        uint8_t six = 6;
        send(0x83, &six, 1);
        std::vector<uint8_t> bytes(n);
        size_t done = 0;
        while (done < n) {
            const size_t chunk = std::min<size_t>(61440, n - done);
            uint8_t record[8] = {0,
                                 0,
                                 0,
                                 0,
                                 static_cast<uint8_t>(chunk),
                                 static_cast<uint8_t>(chunk >> 8),
                                 static_cast<uint8_t>(chunk >> 16),
                                 0};
            send(0x82, record, 8);
            const long got = m_usb.read(m_handle, bytes.data() + done, chunk);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
        return bytes;
    }

  private:
    void send(uint8_t command, uint8_t *data, uint32_t length) {
        kv::platform::UsbRegisterIo block{command, length, data, 0};
        m_usb.control(m_handle, 0x80002010, &block, sizeof block, nullptr, 0, nullptr);
    }
    UsbDriver &m_usb;
    int m_handle = -1;
};

}  // namespace

const char *linkName(LinkKind kind) {
    switch (kind) {
        case LinkKind::Epp:
            return "Epp";
        case LinkKind::Bpp:
            return "Bpp";
        case LinkKind::Usb:
            return "Usb";
    }
    return "?";
}

std::unique_ptr<HostLink> makeHostLink(LinkKind kind, PortIo &port, UsbDriver &usb, uint16_t base) {
    switch (kind) {
        case LinkKind::Epp:
            return std::make_unique<EppHost>(port, base);
        case LinkKind::Bpp:
            return std::make_unique<BppHost>(port, base);
        case LinkKind::Usb:
            return std::make_unique<UsbHost>(usb);
    }
    return nullptr;
}

std::pair<uint8_t, uint8_t> Host::presence() {
    b = static_cast<uint8_t>((b & 0x2F) | 0x10);
    commit();
    const uint8_t first = status();
    b |= 0x80;
    commit();
    return {first, status()};
}

void Host::command(uint16_t cmd) {
    b &= 0xEF;
    commit();
    for (int i = 0; i < 14; ++i)
        strobe((cmd >> i) & 1);
}

void Host::loadClock(uint32_t word, uint8_t range, bool stuff) {
    c = static_cast<uint8_t>((c & 0xF8) | range);
    b |= 0x10;
    commit();
    command(0x1E05);
    int ones = 0;
    for (int i = 0; i < 22; ++i) {
        const int bit = (word >> i) & 1;
        strobe(bit);
        ones = bit ? ones + 1 : 0;
        if (stuff && ones == 3) {
            strobe(0);
            ones = 0;
        }
    }
    command(0x1E04);
    command(0x1E00);
    // B bit 4 stays set for the fast rates (500 kHz and above) only.
    const bool slow = word == 0x183920 || word == 0x182920 || word == 0x183120;
    if (slow)
        b &= 0xEF;
    else
        b |= 0x10;
    commit();
}

void Host::loadThreshold(uint16_t word12) {
    b &= 0x7F;
    commit();
    for (int i = 11; i >= 0; --i)
        strobe((word12 >> i) & 1);
    b |= 0x80;
    commit();
}

void Host::loadTrigger(const char *d23first, bool triggerWhenFalse) {
    uint32_t value = 0, care = 0;
    for (int i = 0; i < 24; ++i) {
        const int channel = 23 - i;
        if (d23first[i] == '1') value |= 1u << channel;
        if (d23first[i] == '0' || d23first[i] == '1') care |= 1u << channel;
    }
    const auto pulseC = [&] {
        c = 1;
        commit();
        c = 0;
        commit();
    };
    // The chains take bits while B holds 0x41 and A bit 5 is clear.
    const uint8_t rememberedB = b;
    b |= 0x41;
    commit();
    a &= 0xDF;
    writeA();
    // Chain 1: V bit 16, then bits 15..0.
    const uint32_t chain1 = ((value >> 16) & 1) << 16 | (value & 0xFFFF);
    for (int i = 16; i >= 0; --i) {
        a = static_cast<uint8_t>((a & 0x7E) | ((chain1 >> i) & 1));
        writeA();
        pulseC();
    }
    b |= 0x20;
    commit();
    b &= 0xDF;
    commit();
    // Chain 2: bits 31..1 of K2 K1 K0 V2.
    const uint32_t word2 = (care >> 16) << 24 | ((care >> 8) & 0xFF) << 16 | (care & 0xFF) << 8 |
                           ((value >> 16) & 0xFF);
    for (int i = 31; i >= 1; --i) {
        a = static_cast<uint8_t>((a & 0x7E) | ((word2 >> i) & 1));
        writeA();
        a |= 0x80;
        writeA();
        a &= 0x7F;
        writeA();
    }
    if (triggerWhenFalse)
        a |= 0x10;
    else
        a &= 0xEF;
    writeA();
    b = rememberedB;
    commit();
}

void Host::loadCounter(uint16_t count) {
    b = static_cast<uint8_t>((b & 0xF7) | 1);
    commit();
    for (int i = 13; i >= 0; --i) {
        a = static_cast<uint8_t>((a & 0xFE) | ((count >> i) & 1));
        writeA();
        b |= 8;
        commit();
        b &= 0xF7;
        commit();
    }
    b &= 0xFE;
    commit();
}

void Host::arm(bool deep, uint8_t rangeAtStart) {
    c = static_cast<uint8_t>((c & 0xF8) | rangeAtStart);
    if (rangeAtStart == 5 || rangeAtStart == 6) b &= 0xEF;  // external clock
    if (deep)
        b |= 4;
    else
        b &= 0xFB;
    b &= 0xBD;
    commit();
    b |= 2;
    commit();
}

void Host::force() {
    a &= 0xBF;
    writeA();
    a |= 0x10;
    writeA();
    a &= 0xEF;
    writeA();
}

void Host::stop() {
    b |= 0x52;
    commit();
    b &= 0xFD;
    commit();
}

std::vector<uint8_t> Host::readPlane(int plane, size_t n) {
    a = static_cast<uint8_t>(a & 0xBE);
    if (plane == 1) a |= 0x01;
    if (plane == 2) a |= 0x40;
    writeA();
    return read(n);
}

}  // namespace kvtest
