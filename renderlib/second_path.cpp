// SPDX-License-Identifier: GPL-3.0-or-later
// The second capture path: finding the unit, its registers and its supply.
#include "second_path.h"

#include "platform/backends.h"
#include "platform/mixed_unit_registers.h"
#include "platform/tick.h"
#include "platform/unit_registers.h"
#include "platform/usb_driver.h"
#include "platform/usb_ids.h"

namespace kv::render {
namespace {

namespace ub = unitblock;
namespace pr = portrecord;

constexpr uint16_t kParallelBases[3] = {0x3BC, 0x378, 0x278};
constexpr uint8_t kParallelLinks[3] = {3, 1, 2};
constexpr uint16_t kUsbBlock = 0x3BC;
constexpr int kUsbNames = 127;
constexpr uint32_t kSupplyWaitMs = 50;

void waitMs(uint32_t ms) {
    const uint32_t until = platform::tickMs() + ms;
    while (!platform::tickReached(platform::tickMs(), until))
        platform::tickIdle();
}

bool identityMatches(int handle, uint16_t family, platform::UsbId id) {
    platform::UsbDriver &usb = platform::usbDriver();
    if (family == 2) {
        uint8_t ids[8] = {};
        if (!usb.control(handle, platform::usbreq::StillImageIdentity, ids, sizeof ids, ids,
                         sizeof ids, nullptr)) {
            return false;
        }
        return (ids[0] | ids[1] << 8) == id.vendor && (ids[2] | ids[3] << 8) == id.product;
    }
    uint8_t descriptor[18] = {};
    if (!usb.control(handle, platform::usbreq::DeviceDescriptor, nullptr, 0, descriptor,
                     sizeof descriptor, nullptr)) {
        return false;
    }
    return (descriptor[8] | descriptor[9] << 8) == id.vendor &&
           (descriptor[10] | descriptor[11] << 8) == id.product;
}

}  // namespace

SecondPath &secondPath() {
    static SecondPath path;
    return path;
}

void SecondPath::release() {
    if (m_usb >= 0) platform::usbDriver().close(m_usb);
    m_usb = -1;
    m_functions = Functions::None;
    m_found = false;
}

uint16_t SecondPath::address(const int32_t *record, int k) const {
    return static_cast<uint16_t>(record[pr::Addresses + k]);
}

bool SecondPath::ready(const int32_t *record, const uint8_t *state) const {
    return m_found && record && state;
}

// The port functions FindHardware chose: the ports themselves, nothing at all (driver
// family 2 without a USB unit), or the unit's register block over USB.
void SecondPath::out(uint16_t port, uint8_t value) {
    switch (m_functions) {
        case Functions::Port:
            platform::portIo().out(port, value);
            break;
        case Functions::Usb: {
            const uint8_t pair[2] = {static_cast<uint8_t>(port), value};
            usbWrite(reg::UsbWriteBytes, pair, 2);
            break;
        }
        default:
            break;
    }
}

uint8_t SecondPath::in(uint16_t port) {
    switch (m_functions) {
        case Functions::Port:
            return platform::portIo().in(port);
        case Functions::Usb: {
            const uint8_t select = static_cast<uint8_t>(port);
            if (!usbWrite(reg::UsbWriteBytes, &select, 1)) return 0xFF;
            return usbReadByte(reg::UsbReadByte);
        }
        default:
            return 0xFF;
    }
}

bool SecondPath::usbWrite(uint8_t command, const uint8_t *data, uint32_t length, uint32_t index) {
    platform::UsbRegisterIo block{command, length, const_cast<uint8_t *>(data), index};
    return platform::usbDriver().control(m_usb, platform::usbreq::WriteRegisters, &block,
                                         sizeof block, nullptr, 0, nullptr);
}

uint8_t SecondPath::usbReadByte(uint8_t command) {
    uint8_t value = 0xFF;
    platform::UsbRegisterIo block{command, 1, &value, 0};
    size_t returned = 0;
    if (!platform::usbDriver().control(m_usb, platform::usbreq::ReadRegisters, &block, sizeof block,
                                       &value, 1, &returned) ||
        returned < 1) {
        return 0xFF;
    }
    return value;
}

void SecondPath::control(uint8_t *state, uint16_t base, uint8_t value) {
    state[ub::Control] = value;
    out(static_cast<uint16_t>(base + reg::PortControl), value);
}

void SecondPath::writeRegister(const int32_t *record, uint8_t *state, uint8_t r, uint8_t value) {
    if (m_functions == Functions::Usb) {
        const uint8_t pair[2] = {r, value};
        usbWrite(reg::UsbWriteBytes, pair, 2);
        return;
    }
    const uint16_t base = address(record, 0);
    out(base, r);  // the address, latched as bit 3 falls
    control(state, base, 0x0C);
    control(state, base, 0x04);
    out(base, value);  // the value, written as bit 1 falls
    if (state[ub::NoStrobe] != 1) {
        control(state, base, 0x06);
        control(state, base, 0x04);
    }
}

uint8_t SecondPath::readRegister(const int32_t *record, uint8_t *state, uint8_t r) {
    if (m_functions == Functions::Usb) {
        if (!usbWrite(reg::UsbWriteBytes, &r, 1)) return 0xFF;
        return usbReadByte(reg::UsbReadByte);
    }
    const uint16_t base = address(record, 0);
    out(base, r);
    control(state, base, 0x0C);
    control(state, base, 0x04);
    control(state, base, 0x24);
    control(state, base, 0x26);  // the unit drives the data lines
    const uint8_t value = in(base);
    control(state, base, 0x24);
    control(state, base, 0x04);
    return value;
}

void SecondPath::writeLatch(const int32_t *record, uint8_t *state, int latch) {
    static constexpr uint8_t kLatches[4] = {mixed::Latch0, mixed::Latch1, mixed::Latch2,
                                            mixed::Latch3};
    writeRegister(record, state, kLatches[latch], state[ub::Latches + latch]);
}

uint8_t SecondPath::findPort(uint16_t base) {
    if (m_functions == Functions::None) return 0;
    out(static_cast<uint16_t>(base + reg::PortControl), 4);
    out(base, 0x55);
    if (in(base) != 0x55) return 0;
    out(base, 0xAA);
    return in(base) == 0xAA ? 1 : 0;
}

bool SecondPath::handshake(uint16_t base) {
    const auto status = static_cast<uint16_t>(base + reg::PortStatus);
    const auto controlPort = static_cast<uint16_t>(base + reg::PortControl);
    out(controlPort, 0x0C);
    const uint8_t selected = in(status);
    out(controlPort, 0x04);
    const uint8_t released = in(status);
    return (selected & mixed::HandshakeMask) == mixed::HandshakeSelected &&
           (released & mixed::HandshakeMask) == mixed::HandshakeReleased;
}

bool SecondPath::usbPresent() {
    const auto status = [this] {
        const uint8_t select = mixed::UsbStatus;
        if (!usbWrite(reg::UsbWriteBytes, &select, 1)) return uint8_t{0xFF};
        return usbReadByte(reg::UsbReadByte);
    };
    const uint8_t on = 0xFF, off = 0x00;
    if (!usbWrite(mixed::UsbLoopBackLatch, &on, 1)) return false;
    status();
    if (!(status() & mixed::UsbLoopBack)) return false;
    if (!usbWrite(mixed::UsbLoopBackLatch, &off, 1)) return false;
    status();
    return !(status() & mixed::UsbLoopBack);
}

bool SecondPath::searchUsb(int32_t *record, uint8_t *state, uint16_t family) {
    platform::UsbDriver &usb = platform::usbDriver();
    const auto driverFamily =
        family == 2 ? platform::UsbFamily::StillImage : platform::UsbFamily::Generic;
    for (const platform::UsbId &id : platform::kUnitUsbIds) {
        for (int i = 0; i < kUsbNames; ++i) {
            const int handle = usb.open(driverFamily, i);
            if (handle < 0) continue;
            if (!identityMatches(handle, family, id)) {
                usb.close(handle);
                continue;
            }
            m_usb = handle;
            if (!usbPresent()) {
                usb.close(handle);
                m_usb = -1;
                continue;
            }
            m_functions = Functions::Usb;
            state[ub::Link] = 4;
            for (int k = 0; k < 8; ++k)
                record[pr::Addresses + k] = kUsbBlock + k;
            const uint8_t configuration = 8;
            usbWrite(reg::UsbConfigure, &configuration, 1, 16);
            uint8_t speed = 0;
            platform::UsbRegisterIo block{reg::UsbLinkSpeed, 1, &speed, 0};
            size_t returned = 0;
            const bool full = usb.control(m_usb, platform::usbreq::ReadRegisters, &block,
                                          sizeof block, &speed, 1, &returned) &&
                              returned == 1 && (speed & 0x08);
            state[ub::LinkKind] = full ? 3 : 4;
            for (const uint8_t v : {uint8_t{0xFF}, uint8_t{0}}) {
                state[ub::LoopBack] = v;
                usbWrite(mixed::UsbLoopBackLatch, &state[ub::LoopBack], 1);
            }
            return true;
        }
    }
    return false;
}

bool SecondPath::searchParallel(int32_t *record, uint8_t *state) {
    for (int b = 0; b < 3; ++b) {
        const uint16_t base = kParallelBases[b];
        control(state, base, 0xC4);
        if (!findPort(base) || !handshake(base)) continue;
        state[ub::Link] = kParallelLinks[b];
        for (int k = 0; k < 8; ++k)
            record[pr::Addresses + k] = base + k;
        out(static_cast<uint16_t>(base + reg::EppAddress), mixed::Echo);
        const bool epp = in(static_cast<uint16_t>(base + reg::EppData)) == 0xA5;
        state[ub::PortMode] = epp ? 2 : 1;
        state[ub::LinkKind] = epp ? 1 : 2;
        for (const uint8_t r : {mixed::Reset, mixed::Enable}) {
            out(base, r);
            out(base, r);
            for (const uint8_t c : {uint8_t{0x0C}, uint8_t{0x0C}, uint8_t{0x07}, uint8_t{0x07},
                                    uint8_t{0x0C}, uint8_t{0x0C}})
                control(state, base, c);
        }
        return true;
    }
    return false;
}

uint8_t SecondPath::identify(const int32_t *record, uint8_t *state) {
    const uint8_t configuration = readRegister(record, state, mixed::Configuration);
    const int c = readRegister(record, state, mixed::Identification) & 3;
    state[1005] = configuration & 0x04;
    state[173] = state[1003] = configuration & 0x02;
    state[1012] = configuration & 0x08;
    state[1010] = (configuration & 0x01) ? 0 : 1;
    uint8_t model = 27;
    if (configuration & 0x02)
        model = static_cast<uint8_t>(34 + 4 * (c > 2 ? 2 : c) + (configuration & 0x01));
    else
        model = static_cast<uint8_t>(28 + c);
    state[ub::Model] = model;
    return model;
}

uint8_t SecondPath::findHardware(uint8_t *model, int32_t *record, uint8_t *state, uint16_t family) {
    if (model) *model = 0;
    if (!record || !state) return 0;
    release();
    for (int k = 0; k < 8; ++k) {
        state[157 + k] = static_cast<uint8_t>(k);
        state[165 + k] = static_cast<uint8_t>(k);
    }
    state[175] = 0xFF;
    state[1000] = 1;
    for (const int i : {ub::Model, ub::Link, ub::LinkKind, 173, 1003, 1005, 1010, 1012})
        state[i] = 0;
    record[pr::Family] = family;
    record[110] = 0;
    record[111] = 0x80400;
    for (int i = 127; i <= 150; ++i) {
        if (i != 146) record[i] = 0xFB00;
    }
    m_functions = family == 2 ? Functions::Quiet : Functions::Port;
    if (!searchUsb(record, state, family) && !searchParallel(record, state)) return 0;
    m_found = true;
    const uint8_t code = identify(record, state);
    if (model) *model = code;
    return code;
}

void SecondPath::power(int32_t *record, uint8_t *state, bool on) {
    if (!ready(record, state)) return;
    const int control = on ? state[ub::Control] | 0x04 : state[ub::Control] & 0xFB;
    state[ub::Control] = static_cast<uint8_t>(control);
    out(static_cast<uint16_t>(address(record, 0) + reg::PortControl), state[ub::Control]);
    waitMs(kSupplyWaitMs);
}

}  // namespace kv::render
