// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A device library with no unit anywhere, not even the demonstration one: the windows run
// on data the test puts in place.

#include "core/device_api.h"

namespace kvtest {

struct NoDevice : kv::app::DeviceApi {
    uint8_t findBoard1(uint16_t, uint8_t *, uint8_t *, uint8_t *, uint32_t) override { return 0; }
    uint8_t findDemoBoard1(uint16_t, uint8_t *, uint8_t *) override { return 0; }
    void powerOff1(uint16_t) override {}
    uint8_t startCapture1(const StartArgs &) override { return 1; }
    uint8_t getTrigStat1(uint16_t, uint8_t *, uint8_t *) override { return 0; }
    void forceTrigger1(uint16_t, uint8_t *, uint8_t *) override {}
    uint8_t endCapture1(const EndArgs &) override { return 0; }
};

}  // namespace kvtest
