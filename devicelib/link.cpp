// SPDX-License-Identifier: GPL-3.0-or-later
// The device link: byte writer and reader, register primitives on EPP, BPP and USB, the
// USB write queue, the device search, the presence test and the supply line.
#include <cstring>

#include "device.h"
#include "platform/backends.h"
#include "platform/tick.h"
#include "platform/unit_registers.h"

namespace kv::dev {

namespace {

constexpr int kDeviceNames = 127;  // device i = 0 .. 126 of a driver family
constexpr size_t kUsbChunk = 61440;
constexpr size_t kUsbPacket = 64;
constexpr uint32_t kPowerWaitMs = 300;
constexpr int kPowerWrites = 120;

}  // namespace

Device::Device(platform::PortIo *port, platform::UsbDriver *usb) : m_port(port), m_usb(usb) {}

Device::~Device() = default;

void Device::setBackends(platform::PortIo *port, platform::UsbDriver *usb) {
    m_port = port;
    m_usb = usb;
}

platform::PortIo &Device::port() {
    return m_port ? *m_port : platform::portIo();
}

platform::UsbDriver &Device::usb() {
    return m_usb ? *m_usb : platform::usbDriver();
}

void Device::out(uint16_t address, uint8_t value) {
    switch (m_writer) {
        case Writer::Port:
            port().out(address, value);
            break;
        case Writer::UsbQueue:
            if (m_queueCount + 2 > kQueueSize) flushQueue();
            m_queue[m_queueCount++] = static_cast<uint8_t>(address);
            m_queue[m_queueCount++] = value;
            break;
        case Writer::Nothing:
        case Writer::Unset:
            break;
    }
}

uint8_t Device::readByte() {
    switch (m_reader) {
        case Reader::Epp:
            return port().in(static_cast<uint16_t>(m_base + reg::EppData));
        case Reader::Bpp:
            return bppRead();
        case Reader::Usb: {
            flushQueue();
            const uint8_t select = reg::Status;
            uint8_t value = 0xFF;
            if (!usbWrite(reg::UsbWriteBytes, &select, 1)) return 0xFF;
            if (!usbRead(reg::UsbReadByte, &value, 1)) return 0xFF;
            return value;
        }
        case Reader::One:
            return 1;
        case Reader::Unset:
            break;
    }
    return 0xFF;
}

void Device::addressCycle(uint8_t reg) {
    if (m_mode == Transport::Epp) {
        out(static_cast<uint16_t>(m_base + reg::EppAddress), reg);
        return;
    }
    const auto control = static_cast<uint16_t>(m_base + reg::PortControl);
    out(m_base, reg);
    m_sh.p |= 0xCC;
    out(control, m_sh.p);
    m_sh.p = static_cast<uint8_t>((m_sh.p & 0xF7) | 0xC4);
    out(control, m_sh.p);
    out(control, m_sh.p);
}

void Device::dataWrite(uint8_t value) {
    if (m_mode == Transport::Epp) {
        out(static_cast<uint16_t>(m_base + reg::EppData), value);
        return;
    }
    const auto control = static_cast<uint16_t>(m_base + reg::PortControl);
    out(m_base, value);
    m_sh.p |= 0xC6;
    out(control, m_sh.p);
    m_sh.p &= 0xFD;
    out(control, m_sh.p);
    out(control, m_sh.p);
}

uint8_t Device::bppRead() {
    const auto control = static_cast<uint16_t>(m_base + reg::PortControl);
    m_sh.p |= 0x26;
    out(control, m_sh.p);
    const uint8_t value = port().in(m_base);
    m_sh.p &= 0xDD;
    out(control, m_sh.p);
    return value;
}

void Device::writeRegister(uint8_t reg, uint8_t value) {
    if (m_mode == Transport::Usb || m_mode == Transport::UsbHigh) {
        out(reg, value);
        return;
    }
    addressCycle(reg);
    dataWrite(value);
}

void Device::selectStatus() {
    if (m_mode == Transport::Usb || m_mode == Transport::UsbHigh) return;
    addressCycle(reg::Status);
}

uint8_t Device::readStatus() {
    return readByte();
}

void Device::commitBC() {
    writeRegister(reg::ControlB, m_sh.b);
    writeRegister(reg::ControlC, m_sh.c);
}

bool Device::usbWrite(uint8_t command, const uint8_t *data, uint32_t length, uint32_t index) {
    if (m_usbHandle < 0) return false;
    platform::UsbRegisterIo block{command, length, const_cast<uint8_t *>(data), index};
    const bool done = usb().control(m_usbHandle, platform::usbreq::WriteRegisters, &block,
                                    sizeof block, nullptr, 0, nullptr);
    m_transferFailed = m_transferFailed || !done;
    return done;
}

bool Device::usbRead(uint8_t command, uint8_t *data, uint32_t length) {
    if (m_usbHandle < 0) return false;
    platform::UsbRegisterIo block{command, length, data, 0};
    size_t returned = 0;
    const bool done = usb().control(m_usbHandle, platform::usbreq::ReadRegisters, &block,
                                    sizeof block, data, length, &returned) &&
                      returned >= length;
    m_transferFailed = m_transferFailed || !done;
    return done;
}

void Device::flushQueue() {
    size_t sent = 0;
    while (m_queueCount - sent > kUsbPacket) {
        usbWrite(reg::UsbWriteBytes, m_queue + sent, kUsbPacket);
        sent += kUsbPacket;
    }
    if (m_queueCount > sent) {
        usbWrite(reg::UsbWriteBytes, m_queue + sent, static_cast<uint32_t>(m_queueCount - sent));
    }
    m_queueCount = 0;
}

size_t Device::bulkRead(uint8_t *destination, size_t length) {
    flushQueue();
    const uint8_t select = reg::Status;
    if (!usbWrite(reg::UsbWriteBytes, &select, 1)) return 0;
    size_t done = 0;
    while (done < length) {
        const size_t chunk = std::min(kUsbChunk, length - done);
        uint8_t record[8] = {0,
                             0,
                             0,
                             0,
                             static_cast<uint8_t>(chunk),
                             static_cast<uint8_t>(chunk >> 8),
                             static_cast<uint8_t>(chunk >> 16),
                             static_cast<uint8_t>(chunk >> 24)};
        if (!usbWrite(reg::UsbBulkLength, record, sizeof record)) break;
        const long got = usb().read(m_usbHandle, destination + done, chunk);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < chunk) break;
    }
    m_transferFailed = m_transferFailed || done < length;
    return done;
}

void Device::useParallel(Transport mode, Reader reader) {
    m_mode = mode;
    m_writer = Writer::Port;
    m_reader = reader;
}

void Device::useUsb() {
    m_mode = Transport::Usb;
    m_writer = Writer::UsbQueue;
    m_reader = Reader::Usb;
}

void Device::releaseLink() {
    m_queueCount = 0;
    closeUsb();
    m_writer = Writer::Unset;
    m_reader = Reader::Unset;
}

void Device::closeUsb() {
    if (m_usbHandle >= 0) usb().close(m_usbHandle);
    m_usbHandle = -1;
}

bool Device::identityMatches(int handle, platform::UsbFamily family, uint16_t vendor,
                             uint16_t product) {
    if (family == platform::UsbFamily::StillImage) {
        if (vendor == 0 && product == 0) return true;
        uint8_t ids[8] = {};
        if (!usb().control(handle, platform::usbreq::StillImageIdentity, ids, sizeof ids, ids,
                           sizeof ids, nullptr)) {
            return false;
        }
        return (ids[0] | ids[1] << 8) == vendor && (ids[2] | ids[3] << 8) == product;
    }
    uint8_t descriptor[18] = {};
    if (!usb().control(handle, platform::usbreq::DeviceDescriptor, nullptr, 0, descriptor,
                       sizeof descriptor, nullptr)) {
        return false;
    }
    return (descriptor[8] | descriptor[9] << 8) == vendor &&
           (descriptor[10] | descriptor[11] << 8) == product;
}

bool Device::usbSearch(uint16_t vendor, uint16_t product, platform::UsbFamily family) {
    for (int i = 0; i < kDeviceNames; ++i) {
        const int handle = usb().open(family, i);
        if (handle < 0) continue;
        if (identityMatches(handle, family, vendor, product)) {
            closeUsb();
            m_usbHandle = handle;
            m_queueCount = 0;
            return true;
        }
        usb().close(handle);
    }
    return false;
}

bool Device::presenceTest(uint16_t portBase) {
    m_base = portBase;
    m_sh.b = static_cast<uint8_t>((m_sh.b & 0x2F) | 0x10);
    commitBC();
    selectStatus();
    if (readStatus() & 0x40) return false;
    m_sh.b |= 0x80;
    commitBC();
    selectStatus();
    return (readStatus() & 0x40) != 0;
}

void Device::power(uint16_t portBase, bool on) {
    if (on)
        m_sh.p = static_cast<uint8_t>((m_sh.p & 0x1B) | 0xC4);
    else
        m_sh.p &= 0xFB;
    const auto control = static_cast<uint16_t>(portBase + reg::PortControl);
    for (int i = 0; i < kPowerWrites; ++i)
        out(control, m_sh.p);
}

void Device::waitMs(uint32_t ms) {
    const uint32_t start = platform::tickMs();
    while (platform::tickElapsed(platform::tickMs(), start) < ms)
        platform::tickIdle();
}

uint8_t Device::findBoard1(uint16_t portBase, uint8_t *selectionBlock, uint8_t *stateBlock,
                           uint16_t family) {
    if (!selectionBlock || !stateBlock) return 0;
    // Step 1. A unit already open on USB is let go first: the system grants its
    // interface to one handle only, so opening it again while held would fail.
    releaseLink();
    m_writer = Writer::Port;
    m_reader = Reader::Bpp;
    std::memcpy(selectionBlock + kFamilyOffset, &family, sizeof family);
    stateBlock[state::UsbFound] = 0;
    stateBlock[state::LinkKind] = 0;

    // Step 2: USB
    const auto usbFamily =
        family == 2 ? platform::UsbFamily::StillImage : platform::UsbFamily::Generic;
    for (const UsbId &id : kUsbIds) {
        if (!usbSearch(id.vendor, id.product, usbFamily)) continue;
        useUsb();
        if (presenceTest(portBase)) {
            stateBlock[state::UsbFound] = 4;
            const uint8_t configuration = 8;
            flushQueue();
            usbWrite(reg::UsbConfigure, &configuration, 1, 16);
            uint8_t speed = 0;
            const bool fullSpeed = usbRead(reg::UsbLinkSpeed, &speed, 1) && (speed & 0x08);
            m_mode = fullSpeed ? Transport::Usb : Transport::UsbHigh;
            stateBlock[state::LinkKind] = fullSpeed ? 3 : 4;
            return 4;
        }
        m_queueCount = 0;
        closeUsb();
    }

    // Step 3: the still-image family searches USB only.
    if (family == 2) {
        m_writer = Writer::Nothing;
        m_reader = Reader::One;
        return 0;
    }

    // Step 4: EPP
    useParallel(Transport::Epp, Reader::Epp);
    for (uint16_t base : {uint16_t{0x278}, uint16_t{0x378}}) {
        if (!port().present(base)) continue;
        laPower(base, true);
        if (presenceTest(base)) {
            stateBlock[state::LinkKind] = 1;
            return base == 0x278 ? 2 : 1;
        }
    }

    // Step 5: BPP
    useParallel(Transport::Bpp, Reader::Bpp);
    for (uint16_t base : {uint16_t{0x278}, uint16_t{0x378}, uint16_t{0x3BC}}) {
        if (!port().present(base)) continue;
        laPower(base, true);
        if (presenceTest(base)) {
            stateBlock[state::LinkKind] = 2;
            return base == 0x278 ? 2 : base == 0x378 ? 1 : 3;
        }
    }
    return 0;
}

uint8_t Device::findBoard(uint16_t portBase, uint8_t *stateBlock) {
    if (!linkChosen() || !stateBlock) return 0;
    loadShadows(stateBlock);
    laPower(portBase, true);
    const bool present = presenceTest(portBase);
    storeShadows(stateBlock);
    return present ? 17 : 0;
}

uint8_t Device::prtDect() {
    uint8_t mask = 0;
    const struct {
        uint16_t base;
        uint8_t bit;
    } ports[] = {{0x3BC, 1}, {0x378, 2}, {0x278, 4}};
    for (const auto &p : ports) {
        port().out(p.base, 0xAA);
        const bool first = port().in(p.base) == 0xAA;
        port().out(p.base, 0x55);
        const bool second = port().in(p.base) == 0x55;
        if (first && second) mask |= p.bit;
    }
    return mask;
}

void Device::setupIo(uint16_t index, uint8_t type, int32_t *outType, uint16_t *outBase,
                     const uint16_t *table) {
    if (outType) *outType = type;
    switch (type) {
        case 4:
        case 1:
        case 0x80:
            useParallel(type == 4 ? Transport::Epp : Transport::Bpp,
                        type == 4 ? Reader::Epp : Reader::Bpp);
            if (index < 3 && outBase && table) *outBase = table[index];
            break;
        case 9:
            m_mode = Transport::Usb;
            for (const UsbId &id : kUsbIds) {
                if (!usbSearch(id.vendor, id.product, platform::UsbFamily::Generic)) continue;
                useUsb();
                const uint8_t configuration = 8;
                usbWrite(reg::UsbConfigure, &configuration, 1, 16);
                break;
            }
            break;
        default:
            break;
    }
}

uint8_t Device::laPower(uint16_t portBase, bool on) {
    power(portBase, on);
    waitMs(kPowerWaitMs);
    return 1;
}

uint8_t Device::linkStat(uint16_t portBase, uint8_t *stateBlock) {
    if (!linkChosen() || !stateBlock) return 0;
    if (m_writer == Writer::Nothing) return 0;
    loadShadows(stateBlock);
    const bool armed = (m_sh.b & 0x02) != 0;
    const auto readAsPolled = [&] {
        m_sh.a &= 0xBF;
        writeRegister(reg::ControlA, m_sh.a);
        selectStatus();
        return readStatus();
    };
    bool lost = false;
    if (m_writer == Writer::UsbQueue) {
        if (m_usbHandle >= 0 && !m_transferFailed && armed) readAsPolled();
        lost = m_usbHandle < 0 || m_transferFailed;
    } else if (armed) {
        m_base = portBase;
        lost = readAsPolled() == 0xFF;
    } else {
        lost = !presenceTest(portBase);
    }
    m_transferFailed = false;
    storeShadows(stateBlock);
    return lost ? 1 : 0;
}

uint8_t Device::unitsPlugged() {
    const int n = m_usb ? m_usb->arrivals() : platform::systemUsbDriver().arrivals();
    return static_cast<uint8_t>(n > 255 ? 255 : n < 0 ? 0 : n);
}

void Device::powerOff(uint16_t portBase) {
    if (!linkChosen()) return;
    power(portBase, false);
}

}  // namespace kv::dev
