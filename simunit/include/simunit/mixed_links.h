// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/port_io.h"
#include "platform/usb_driver.h"
#include "simunit/links.h"
#include "simunit/mixed_unit.h"

namespace kv::sim {

// A mixed-signal unit on a parallel port at `base`: powered by control bit 2, it answers
// the handshake on status bits 5..3, shows "waiting for the trigger" on status bit 7,
// takes register cycles by the strobe sequences on the control register (bit 3 falling
// latches the address, bit 1 falling with bit 5 clear writes, bit 1 rising with bit 5
// set drives the read value) and, in EPP mode, answers the echo register 0x5A with 0xA5.
class MixedParallelPort final : public platform::PortIo {
  public:
    MixedParallelPort(MixedUnit &unit, uint16_t base, ParallelMode mode);
    void out(uint16_t port, uint8_t value) override;
    uint8_t in(uint16_t port) override;
    bool present(uint16_t base) override { return base == m_base; }
    bool powered() const { return (m_control & 0x04) != 0; }

  private:
    MixedUnit &m_unit;
    uint16_t m_base;
    ParallelMode m_mode;
    uint8_t m_data = 0, m_control = 0, m_address = 0, m_eppAddress = 0;
    bool m_driving = false;
    uint8_t m_driven = 0xFF;
};

// A mixed-signal unit on USB (device 0 of either driver family): register writes and
// selects by request 0x83, reads by 0x84 (register 0xBD: the status), the loop-back latch
// by 0x88, bulk read-out of register 0xED after 0x82, 0x8C and 0x8E as for the first unit.
class MixedUsbDriver final : public platform::UsbDriver {
  public:
    MixedUsbDriver(MixedUnit &unit, UsbIdentity identity);
    int open(platform::UsbFamily family, int index) override;
    bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                 size_t outLength, size_t *returned) override;
    long read(int handle, void *buffer, size_t length) override;
    void close(int handle) override;
    int openHandles() const { return m_open; }

  private:
    MixedUnit &m_unit;
    UsbIdentity m_identity;
    int m_open = 0;
    uint8_t m_selected = 0;
    uint8_t m_loopBack = 0;
    uint32_t m_bulkLength = 0;
};

// Several simulated units on one machine: the ports of all of them (a read is what every
// port drives, and an undriven line reads high), and the USB devices of all of them
// numbered in turn.
class PortBus final : public platform::PortIo {
  public:
    explicit PortBus(std::vector<platform::PortIo *> ports) : m_ports(std::move(ports)) {}
    void out(uint16_t port, uint8_t value) override;
    uint8_t in(uint16_t port) override;
    bool present(uint16_t base) override;

  private:
    std::vector<platform::PortIo *> m_ports;
};

class UsbBus final : public platform::UsbDriver {
  public:
    explicit UsbBus(std::vector<platform::UsbDriver *> drivers) : m_drivers(std::move(drivers)) {}
    int open(platform::UsbFamily family, int index) override;
    bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                 size_t outLength, size_t *returned) override;
    long read(int handle, void *buffer, size_t length) override;
    void close(int handle) override;
    int arrivals() override;

  private:
    static constexpr int kSpan = 1 << 16;  // handles of device k: k * kSpan + its own
    platform::UsbDriver *owner(int handle) const;
    std::vector<platform::UsbDriver *> m_drivers;
};

}  // namespace kv::sim
