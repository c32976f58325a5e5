// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace kv::app {

// The device library entry points the program binds, with argument lists as arrays of
// 32-bit-or-pointer slots so that a test can check them position by position.
class DeviceApi {
  public:
    using StartArgs = std::array<intptr_t, 33>;
    using EndArgs = std::array<intptr_t, 28>;

    virtual ~DeviceApi() = default;
    virtual uint8_t findBoard1(uint16_t port, uint8_t *selection, uint8_t *state, uint8_t *further,
                               uint32_t platformId) = 0;
    virtual uint8_t findDemoBoard1(uint16_t port, uint8_t *selection, uint8_t *state) = 0;
    virtual void powerOff1(uint16_t port) = 0;
    virtual uint8_t startCapture1(const StartArgs &args) = 0;
    virtual uint8_t getTrigStat1(uint16_t port, uint8_t *selection, uint8_t *state) = 0;
    virtual void forceTrigger1(uint16_t port, uint8_t *selection, uint8_t *state) = 0;
    virtual uint8_t endCapture1(const EndArgs &args) = 0;
    // Whether the unit no longer answers (1) or does (0), and how many units were
    // plugged in on USB since the last call. A library without them tells nothing.
    virtual uint8_t getLinkStat1(uint16_t /*port*/, uint8_t * /*selection*/, uint8_t * /*state*/) {
        return 0;
    }
    virtual uint8_t unitPlugged1() { return 0; }
    // Parallel ports that echo their data register: bit 0 0x3BC, bit 1 0x378, bit 2 0x278.
    virtual uint8_t prtDect() { return 0; }
};

}  // namespace kv::app
