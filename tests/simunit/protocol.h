// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The unit's register protocol as a host sends it, written for the tests from the
// protocol description: per link the register write, the status read and the plane
// read-out, and the serial sequences that program the unit.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/port_io.h"
#include "platform/usb_driver.h"

namespace kvtest {

class HostLink {
  public:
    virtual ~HostLink() = default;
    virtual void write(uint8_t reg, uint8_t value) = 0;
    virtual uint8_t readStatus() = 0;                      // select register 6, read it
    virtual std::vector<uint8_t> readBytes(size_t n) = 0;  // n reads of register 6
    virtual uint8_t readData() = 0;                        // one read, no select
    virtual void powerOn() {}
};

enum class LinkKind { Epp, Bpp, Usb };
const char *linkName(LinkKind kind);
std::unique_ptr<HostLink> makeHostLink(LinkKind kind, kv::platform::PortIo &port,
                                       kv::platform::UsbDriver &usb, uint16_t base);

// Register sequences, on control register shadows A, B, C.
class Host {
  public:
    explicit Host(HostLink &link) : m_link(link) {}
    uint8_t a = 0, b = 0, c = 0;

    void writeA() { m_link.write(0x22, a); }
    void commit() {
        m_link.write(0x24, b);
        m_link.write(0x26, c);
    }
    void strobe(int bit) {
        a = static_cast<uint8_t>((a & 0xFE) | (bit & 1));
        m_link.write(0x20, a);
    }
    uint8_t status() { return m_link.readStatus(); }
    std::vector<uint8_t> read(size_t n) { return m_link.readBytes(n); }

    // Presence: returns the status bytes of the two reads.
    std::pair<uint8_t, uint8_t> presence();
    // Clock generator: word and the C range bits in force while it is loaded.
    void loadClock(uint32_t word, uint8_t range, bool stuff = true);
    void loadThreshold(uint16_t word12);
    // Trigger word with D23 first, 24 characters of 0/1/X.
    void loadTrigger(const char *d23first, bool triggerWhenFalse);
    void loadCounter(uint16_t count);
    void arm(bool deep, uint8_t rangeAtStart = 0);
    void force();
    void stop();
    std::vector<uint8_t> readPlane(int plane, size_t n);

  private:
    void command(uint16_t cmd);
    HostLink &m_link;
};

}  // namespace kvtest
