// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/device_api.h"
#include "core/library_binding.h"

namespace kv::app {

// The device library bound by name (libkv68dll.so).
class LibraryDevice final : public DeviceApi {
  public:
    explicit LibraryDevice(LibraryBinding::ErrorHandler onError);

    uint8_t findBoard1(uint16_t port, uint8_t *selection, uint8_t *state, uint8_t *further,
                       uint32_t platformId) override;
    uint8_t findDemoBoard1(uint16_t port, uint8_t *selection, uint8_t *state) override;
    void powerOff1(uint16_t port) override;
    uint8_t startCapture1(const StartArgs &args) override;
    uint8_t getTrigStat1(uint16_t port, uint8_t *selection, uint8_t *state) override;
    void forceTrigger1(uint16_t port, uint8_t *selection, uint8_t *state) override;
    uint8_t endCapture1(const EndArgs &args) override;
    uint8_t getLinkStat1(uint16_t port, uint8_t *selection, uint8_t *state) override;
    uint8_t unitPlugged1() override;
    uint8_t prtDect() override;

  private:
    LibraryBinding m_library;
};

}  // namespace kv::app
