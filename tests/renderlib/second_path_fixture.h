// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The second capture path against a simulated mixed-signal unit, on a manual clock, with
// every port access written down.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "out47.h"
#include "platform/backends.h"
#include "platform/tick.h"
#include "second_path.h"
#include "simunit/mixed_links.h"

namespace kvtest {

// Forwards to the port behind it (or to nothing: floating lines) and writes down every
// access as "out 37A 0C" or "in 379 28".
class RecordingPort final : public kv::platform::PortIo {
  public:
    void setInner(kv::platform::PortIo *inner) { m_inner = inner; }
    std::vector<std::string> events;
    // Reads of the data register give this when there is nothing behind the port.
    int dataReads = -1;

    void out(uint16_t port, uint8_t value) override {
        events.push_back(line("out", port, value));
        if (m_inner) m_inner->out(port, value);
    }
    uint8_t in(uint16_t port) override {
        uint8_t value = 0xFF;
        if (m_inner)
            value = m_inner->in(port);
        else if (dataReads >= 0 && (port & 7) == 0)
            value = static_cast<uint8_t>(dataReads);
        events.push_back(line("in", port, value));
        return value;
    }
    bool present(uint16_t base) override { return !m_inner || m_inner->present(base); }

    static std::string line(const char *what, uint16_t port, uint8_t value) {
        char text[32];
        std::snprintf(text, sizeof text, "%s %03X %02X", what, port, value);
        return text;
    }

  private:
    kv::platform::PortIo *m_inner = nullptr;
};

class SecondPathTest : public ::testing::Test {
  protected:
    SecondPathTest() : state(OUT47_UNIT_BLOCK_SIZE, 0), record(OUT47_PORT_RECORD_SIZE, 0) {
        m_previous = kv::platform::setTickSource(&clock);
        kv::platform::overridePortIo(&port);
        kv::platform::overrideUsbDriver(&noUsb);
    }
    ~SecondPathTest() override {
        path.release();
        kv::platform::overridePortIo(nullptr);
        kv::platform::overrideUsbDriver(nullptr);
        kv::platform::setTickSource(m_previous);
    }
    // A mixed-signal unit on a parallel port at `base` (the recording port in front).
    void onParallel(uint16_t base, kv::sim::ParallelMode mode, kv::sim::MixedModel kind = {}) {
        unit = std::make_unique<kv::sim::MixedUnit>(kind);
        parallel = std::make_unique<kv::sim::MixedParallelPort>(*unit, base, mode);
        port.setInner(parallel.get());
    }
    // A mixed-signal unit on USB, behind `before` when given (device 0).
    void onUsb(kv::sim::MixedModel kind = {}, bool highSpeed = true,
               kv::platform::UsbDriver *before = nullptr) {
        unit = std::make_unique<kv::sim::MixedUnit>(kind);
        kv::sim::UsbIdentity id;
        id.product = 0x0185;
        id.highSpeed = highSpeed;
        usb = std::make_unique<kv::sim::MixedUsbDriver>(*unit, id);
        if (before) {
            bus = std::make_unique<kv::sim::UsbBus>(
                std::vector<kv::platform::UsbDriver *>{before, usb.get()});
            kv::platform::overrideUsbDriver(bus.get());
        } else {
            kv::platform::overrideUsbDriver(usb.get());
        }
    }
    uint8_t find(uint16_t family = 0) {
        model = 0xEE;
        return path.findHardware(&model, record.data(), state.data(), family);
    }

    kv::platform::ManualClock clock{1000};
    RecordingPort port;
    kv::platform::NullUsbDriver noUsb;
    std::unique_ptr<kv::sim::MixedUnit> unit;
    std::unique_ptr<kv::sim::MixedParallelPort> parallel;
    std::unique_ptr<kv::sim::MixedUsbDriver> usb;
    std::unique_ptr<kv::sim::UsbBus> bus;
    kv::render::SecondPath path;
    std::vector<uint8_t> state;
    std::vector<int32_t> record;
    uint8_t model = 0;

  private:
    kv::platform::TickSource *m_previous;
};

}  // namespace kvtest
