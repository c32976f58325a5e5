// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::platform {

// One byte in or out at a processor port address, as the parallel-port links use them.
class PortIo {
  public:
    virtual ~PortIo() = default;
    virtual void out(uint16_t port, uint8_t value) = 0;
    virtual uint8_t in(uint16_t port) = 0;
    // Whether a port block exists at this base at all; the device search skips (and does
    // not wait for) bases that do not.
    virtual bool present(uint16_t /*base*/) { return true; }
};

// A port with no backend behind it: reads float high, writes go nowhere.
class NullPortIo final : public PortIo {
  public:
    void out(uint16_t, uint8_t) override {}
    uint8_t in(uint16_t) override { return 0xFF; }
    bool present(uint16_t) override { return false; }
};

}  // namespace kv::platform
