// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/port_io.h"
#include "platform/usb_driver.h"
#include "simunit/unit.h"

namespace kv::sim {

enum class ParallelMode { Epp, Bpp };

// A unit on a parallel port at `base`. The port's own registers (data latch, control
// register) behave like a PC port; the unit is powered by control bit 2 and answers EPP
// cycles (base+3 address, base+4 data) or the BPP strobe sequences on the control
// register, by its mode. Every other port address reads 0xFF.
class SimParallelPort final : public platform::PortIo {
  public:
    SimParallelPort(Unit &unit, uint16_t base, ParallelMode mode);

    void out(uint16_t port, uint8_t value) override;
    uint8_t in(uint16_t port) override;
    bool present(uint16_t base) override { return base == m_base; }

    bool powered() const;
    uint16_t base() const { return m_base; }
    ParallelMode mode() const { return m_mode; }

  private:
    void controlWritten(uint8_t before, uint8_t after);
    void followCable();
    bool answering();

    Unit &m_unit;
    uint16_t m_base;
    ParallelMode m_mode;
    uint8_t m_data = 0;
    uint8_t m_control = 0;
    bool m_cableOut = false;
    bool m_driving = false;  // the unit drives the data lines (BPP read)
    uint8_t m_driven = 0xFF;
};

struct UsbIdentity {
    uint16_t vendor = 0x05E3;
    uint16_t product = 0x013C;
    bool highSpeed = true;
};

// A unit on USB behind the driver requests: device 0 of either driver family.
class SimUsbDriver final : public platform::UsbDriver {
  public:
    SimUsbDriver(Unit &unit, UsbIdentity identity);

    int open(platform::UsbFamily family, int index) override;
    bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                 size_t outLength, size_t *returned) override;
    long read(int handle, void *buffer, size_t length) override;
    void close(int handle) override;
    int arrivals() override;

    UsbIdentity &identity() { return m_identity; }
    int requestCount() const { return m_requests; }
    int openHandles() const { return m_open; }

  private:
    bool failing();
    bool unplugged();
    bool writeRequest(const platform::UsbRegisterIo &block);
    bool readRequest(const platform::UsbRegisterIo &block, void *out, size_t outLength,
                     size_t *returned);

    Unit &m_unit;
    UsbIdentity m_identity;
    int m_open = 0;
    int m_handle = 0;  // the first handle a driver gives out
    int m_requests = 0;
    int m_arrivals = 0;
    bool m_cableOut = false;
    uint32_t m_bulkLength = 0;
};

}  // namespace kv::sim
