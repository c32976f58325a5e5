// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace kv::app {

// The render library's second capture path as the program binds it, with the 34
// arguments of capture, GetTrigStat and EndCapture as an array of slots so that a test
// can check them position by position.
class SecondPathApi {
  public:
    using CaptureArgs = std::array<intptr_t, 34>;

    virtual ~SecondPathApi() = default;
    virtual uint8_t findHardware(uint8_t *model, int32_t *portRecord, uint8_t *unitBlock,
                                 uint32_t family) = 0;
    virtual uint32_t capture(const CaptureArgs &args) = 0;
    virtual uint8_t getTrigStat(const CaptureArgs &args) = 0;
    virtual uint8_t endCapture(const CaptureArgs &args) = 0;
    virtual void forceTrigger(int32_t *portRecord, uint8_t *unitBlock) = 0;
    virtual void testAd(const uint8_t *trace, int32_t start, uint32_t reference, uint32_t threshold,
                        int16_t *record, int32_t length) = 0;
};

}  // namespace kv::app
