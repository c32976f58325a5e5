// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

#include "platform/port_io.h"
#include "platform/usb_driver.h"

namespace kv::platform {

// What a simulator offers in place of the real ports and USB driver.
struct SimulatedBackends {
    PortIo *port = nullptr;
    UsbDriver *usb = nullptr;
};

// A simulator registers a hook that turns the text of KV6830_SIMULATE ("usb2",
// "epp:0x378", ...) into backends; it returns nothing for text it does not understand.
using SimulatorHook = std::optional<SimulatedBackends> (*)(std::string_view setting);
void registerSimulator(SimulatorHook hook);

// The backends of this process, chosen at first use: an explicit override, else the
// simulator when KV6830_SIMULATE names one, else the real system (ppdev, or direct
// port instructions where permitted; USB through the registered real driver).
PortIo &portIo();
UsbDriver &usbDriver();
// The USB driver of the system (or of KV6830_SIMULATE), whatever override is in place:
// where units are plugged in even while the demonstration unit stands in.
UsbDriver &systemUsbDriver();

// Overrides for tests and the demonstration mode; nullptr returns to the default choice.
void overridePortIo(PortIo *port);
void overrideUsbDriver(UsbDriver *usb);

// A factory for the real USB driver, registered by the code that owns it.
using UsbDriverFactory = UsbDriver *(*)();
void registerRealUsbDriver(UsbDriverFactory factory);

}  // namespace kv::platform
