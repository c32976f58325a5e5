// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb_driver.h"

namespace kv::platform {

// Every transfer to a real unit gives up after this many milliseconds.
inline constexpr unsigned kUsbTimeoutMs = 1000;

// The libusb calls the backend makes, so that tests can put a fake device behind it.
class LibusbApi {
  public:
    struct Device {
        uint16_t vendor = 0, product = 0;
        uint8_t descriptor[18] = {};
        uint8_t bulkInEndpoint = 0x82;
        uint8_t interfaceNumber = 0;
        void *opaque = nullptr;  // the library's device
    };
    virtual ~LibusbApi() = default;
    // Devices present now.
    virtual std::vector<Device> devices() = 0;
    // 0 or a libusb error code. `handle` receives an opaque handle.
    virtual int open(const Device &device, void **handle) = 0;
    virtual void close(void *handle) = 0;
    virtual int claimInterface(void *handle, int number) = 0;
    virtual int control(void *handle, uint8_t requestType, uint8_t request, uint16_t value,
                        uint16_t index, uint8_t *data, uint16_t length, unsigned timeoutMs) = 0;
    virtual int bulkIn(void *handle, uint8_t endpoint, uint8_t *data, int length, int *transferred,
                       unsigned timeoutMs) = 0;
    virtual int clearHalt(void *handle, uint8_t endpoint) = 0;
    // Units of the recognised pairs plugged in since the previous call (hot-plug events
    // handled without waiting); 0 where the system has no hot-plug support.
    virtual int arrivals() { return 0; }
};

// The real libusb, one context for the process; nothing when libusb cannot start.
std::unique_ptr<LibusbApi> makeLibusbApi();

// The driver requests on a unit reached through libusb, mapped as the still-image class
// driver documents them: write registers as a vendor OUT control transfer (0x40, request
// 0x04 for more than one byte else 0x0C, value = command, index = index), read registers
// as the same IN transfer (0xC0), the identity requests answered from the device
// descriptor, reads as bulk IN transfers. Device i of either family is the i-th device
// whose vendor/product pair is one of the unit's, in the order of the pairs.
class LibusbDriver final : public UsbDriver {
  public:
    explicit LibusbDriver(std::unique_ptr<LibusbApi> api);
    ~LibusbDriver() override;

    int open(UsbFamily family, int index) override;
    bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                 size_t outLength, size_t *returned) override;
    long read(int handle, void *buffer, size_t length) override;
    void close(int handle) override;
    int arrivals() override { return m_api ? m_api->arrivals() : 0; }

    // Whether the last search met a unit it was not allowed to open.
    bool accessDenied() const { return m_accessDenied; }

  private:
    struct Open {
        void *handle = nullptr;
        LibusbApi::Device device;
        bool gone = false;  // unplugged: every later request fails at once
    };
    Open *find(int handle);
    bool check(Open &o, int result);

    std::unique_ptr<LibusbApi> m_api;
    std::vector<std::unique_ptr<Open>> m_open;
    bool m_accessDenied = false;
};

// True when a unit is attached that this user may not open (its device file is not
// readable and writable), as the detection message explains. Looks in sysfs.
bool usbUnitWithoutPermission();

}  // namespace kv::platform
