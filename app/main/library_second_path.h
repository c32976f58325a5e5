// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library_binding.h"
#include "main/second_path_api.h"

namespace kv::app {

// The second capture path of the render library, bound by name (libout47.so).
class LibrarySecondPath final : public SecondPathApi {
  public:
    explicit LibrarySecondPath(LibraryBinding::ErrorHandler onError);

    uint8_t findHardware(uint8_t *model, int32_t *portRecord, uint8_t *unitBlock,
                         uint32_t family) override;
    uint32_t capture(const CaptureArgs &args) override;
    uint8_t getTrigStat(const CaptureArgs &args) override;
    uint8_t endCapture(const CaptureArgs &args) override;
    void forceTrigger(int32_t *portRecord, uint8_t *unitBlock) override;
    void testAd(const uint8_t *trace, int32_t start, uint32_t reference, uint32_t threshold,
                int16_t *record, int32_t length) override;

  private:
    LibraryBinding m_library;
};

}  // namespace kv::app
