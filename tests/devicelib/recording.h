// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Backends that pass every call on to an inner backend (or answer themselves) and keep a
// record of it, for request-level tests of the device library.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/port_io.h"
#include "platform/usb_driver.h"

namespace kvtest {

struct PortCall {
    bool write;
    uint16_t port;
    uint8_t value;
    bool operator==(const PortCall &) const = default;
};

class RecordingPort : public kv::platform::PortIo {
  public:
    explicit RecordingPort(kv::platform::PortIo *inner = nullptr) : m_inner(inner) {}
    void out(uint16_t port, uint8_t value) override {
        calls.push_back({true, port, value});
        if (m_inner) m_inner->out(port, value);
    }
    uint8_t in(uint16_t port) override {
        const uint8_t v = m_inner ? m_inner->in(port) : 0xFF;
        calls.push_back({false, port, v});
        return v;
    }
    // The recorder stands for a machine with all three parallel ports, unless it is told
    // to answer for the machine behind it.
    bool present(uint16_t base) override {
        return !innerPorts || !m_inner || m_inner->present(base);
    }
    bool innerPorts = false;
    // Register writes (address, value) decoded from EPP cycles at `base`.
    std::vector<std::pair<uint8_t, uint8_t>> eppRegisterWrites(uint16_t base) const;

    std::vector<PortCall> calls;

  private:
    kv::platform::PortIo *m_inner;
};

struct UsbCall {
    enum Kind { Open, Control, Read, Close } kind = Open;
    uint32_t code = 0;     // Control
    uint32_t command = 0;  // register requests: the offset field
    uint32_t index = 0;
    std::vector<uint8_t> data;  // bytes carried by a write request
    size_t length = 0;          // read length
    bool ok = true;
};

class RecordingUsb : public kv::platform::UsbDriver {
  public:
    explicit RecordingUsb(kv::platform::UsbDriver *inner) : m_inner(inner) {}
    int open(kv::platform::UsbFamily family, int index) override;
    bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                 size_t outLength, size_t *returned) override;
    long read(int handle, void *buffer, size_t length) override;
    void close(int handle) override;
    int arrivals() override { return m_inner->arrivals(); }

    // Requests other than open and close.
    size_t requestCount() const;
    // Register pairs carried by write requests, in order.
    std::vector<std::pair<uint8_t, uint8_t>> registerWrites() const;

    std::vector<UsbCall> calls;

  private:
    kv::platform::UsbDriver *m_inner;
};

}  // namespace kvtest
