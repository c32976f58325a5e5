// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/backends.h"

#include <cstdlib>
#include <memory>

#include "platform/direct_port_io.h"
#include "platform/ppdev_port_io.h"
#include "platform/usb_libusb.h"

namespace kv::platform {
namespace {

struct Registry {
    SimulatorHook simulator = nullptr;
    UsbDriverFactory realUsb = nullptr;
    PortIo *portOverride = nullptr;
    UsbDriver *usbOverride = nullptr;
    bool chosen = false;
    std::optional<SimulatedBackends> simulated;
    std::unique_ptr<PortIo> realPort;
    UsbDriver *realUsbDriver = nullptr;
    std::unique_ptr<UsbDriver> ownUsb;
    NullPortIo nullPort;
    NullUsbDriver nullUsb;
};

Registry &registry() {
    static Registry r;
    return r;
}

void choose() {
    Registry &r = registry();
    if (r.chosen) return;
    r.chosen = true;
    const char *setting = std::getenv("KV6830_SIMULATE");
    if (setting && *setting && r.simulator) {
        r.simulated = r.simulator(setting);
        if (r.simulated) return;
    }
    auto ppdev = std::make_unique<PpdevPortIo>(makeLinuxPpdevSystem());
    if (ppdev->hasPorts()) {
        r.realPort = std::move(ppdev);
    } else {
        r.realPort = makeDirectPortIo();
    }
    if (r.realUsb) {
        r.realUsbDriver = r.realUsb();
    } else if (auto api = makeLibusbApi()) {
        r.ownUsb = std::make_unique<LibusbDriver>(std::move(api));
        r.realUsbDriver = r.ownUsb.get();
    }
}

}  // namespace

void registerSimulator(SimulatorHook hook) {
    registry().simulator = hook;
}

void registerRealUsbDriver(UsbDriverFactory factory) {
    registry().realUsb = factory;
}

PortIo &portIo() {
    Registry &r = registry();
    if (r.portOverride) return *r.portOverride;
    choose();
    if (r.simulated) return r.simulated->port ? *r.simulated->port : r.nullPort;
    return r.realPort ? *r.realPort : r.nullPort;
}

UsbDriver &usbDriver() {
    Registry &r = registry();
    if (r.usbOverride) return *r.usbOverride;
    return systemUsbDriver();
}

UsbDriver &systemUsbDriver() {
    Registry &r = registry();
    choose();
    if (r.simulated) return r.simulated->usb ? *r.simulated->usb : r.nullUsb;
    return r.realUsbDriver ? *r.realUsbDriver : r.nullUsb;
}

void overridePortIo(PortIo *port) {
    registry().portOverride = port;
}

void overrideUsbDriver(UsbDriver *usb) {
    registry().usbOverride = usb;
}

}  // namespace kv::platform
