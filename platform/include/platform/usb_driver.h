// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv::platform {

// Driver families of the USB device search.
enum class UsbFamily : int {
    StillImage = 2,  // the still-image class driver ("Usbscan%d")
    Generic = 0,     // the unit's own driver ("Geneusb%d")
};

// Device I/O control request codes carried by the UsbDriver interface.
namespace usbreq {
inline constexpr uint32_t WriteRegisters = 0x80002010;
inline constexpr uint32_t ReadRegisters = 0x8000200C;
inline constexpr uint32_t StillImageIdentity = 0x80002018;
inline constexpr uint32_t DeviceDescriptor = 0x80002000;
}  // namespace usbreq

// Input block of the register requests. The data pointer is pointer-sized so that
// 64-bit builds carry it unchanged.
struct UsbRegisterIo {
    uint32_t offset;  // the command byte, zero-extended
    uint32_t length;
    void *data;
    uint32_t index;
};

// The USB driver requests of the device link: open device i of a family, control
// request, read, close. Handles are small non-negative integers; -1 is "no device".
class UsbDriver {
  public:
    virtual ~UsbDriver() = default;
    virtual int open(UsbFamily family, int index) = 0;
    // Returns false when the request failed. `returned` (may be null) receives the
    // number of output bytes the driver wrote.
    virtual bool control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                         size_t outLength, size_t *returned) = 0;
    // Returns the number of bytes read, or -1 on failure.
    virtual long read(int handle, void *buffer, size_t length) = 0;
    virtual void close(int handle) = 0;
    // How many units of the recognised vendor/product pairs have been plugged in since
    // the previous call; 0 where the system cannot tell.
    virtual int arrivals() { return 0; }
};

// No USB devices at all.
class NullUsbDriver final : public UsbDriver {
  public:
    int open(UsbFamily, int) override { return -1; }
    bool control(int, uint32_t, const void *, size_t, void *, size_t, size_t *) override {
        return false;
    }
    long read(int, void *, size_t) override { return -1; }
    void close(int) override {}
};

}  // namespace kv::platform
