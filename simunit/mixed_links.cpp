// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/mixed_links.h"

#include <algorithm>
#include <cstring>

#include "platform/mixed_unit_registers.h"
#include "platform/unit_registers.h"

namespace kv::sim {
namespace {

bool rose(uint8_t before, uint8_t after, uint8_t bit) {
    return !(before & bit) && (after & bit);
}
bool fell(uint8_t before, uint8_t after, uint8_t bit) {
    return (before & bit) && !(after & bit);
}

}  // namespace

MixedParallelPort::MixedParallelPort(MixedUnit &unit, uint16_t base, ParallelMode mode)
    : m_unit(unit), m_base(base), m_mode(mode) {
    m_unit.setNeedsEnable(true);
}

void MixedParallelPort::out(uint16_t port, uint8_t value) {
    if (port < m_base || port > m_base + 7) return;
    switch (port - m_base) {
        case reg::PortData:
            m_data = value;
            break;
        case reg::PortControl: {
            const uint8_t before = m_control;
            m_control = value;
            if (!powered()) {
                m_driving = false;
                break;
            }
            if (fell(before, value, 0x08)) m_address = m_data;
            const bool reverse = (value & 0x20) != 0;
            if (fell(before, value, 0x02) && !reverse) m_unit.write(m_address, m_data);
            if (rose(before, value, 0x02) && reverse) {
                m_driven = m_unit.read(m_address);
                m_driving = true;
            }
            if (fell(before, value, 0x02) && reverse) m_driving = false;
            break;
        }
        case reg::EppAddress:
            if (m_mode == ParallelMode::Epp && powered()) m_eppAddress = value;
            break;
        default:
            break;
    }
}

uint8_t MixedParallelPort::in(uint16_t port) {
    if (port < m_base || port > m_base + 7) return 0xFF;
    switch (port - m_base) {
        case reg::PortData:
            if (m_control & 0x20) return m_driving ? m_driven : 0xFF;
            return m_data;
        case reg::PortStatus: {
            if (!powered()) return 0xFF;
            uint8_t status =
                (m_control & 0x08) ? mixed::HandshakeSelected : mixed::HandshakeReleased;
            if (m_unit.waiting()) status |= mixed::ParallelWaiting;
            return status;
        }
        case reg::PortControl:
            return m_control;
        case reg::EppData:
            if (m_mode != ParallelMode::Epp || !powered()) return 0xFF;
            return m_eppAddress == mixed::Echo ? 0xA5 : m_unit.read(m_eppAddress);
        default:
            return 0xFF;
    }
}

MixedUsbDriver::MixedUsbDriver(MixedUnit &unit, UsbIdentity identity)
    : m_unit(unit), m_identity(identity) {}

int MixedUsbDriver::open(platform::UsbFamily, int index) {
    if (index != 0) return -1;
    ++m_open;
    return 1;
}

void MixedUsbDriver::close(int handle) {
    if (handle == 1 && m_open > 0) --m_open;
}

bool MixedUsbDriver::control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                             size_t outLength, size_t *returned) {
    if (returned) *returned = 0;
    if (handle != 1 || m_open == 0) return false;
    const auto *block = static_cast<const platform::UsbRegisterIo *>(in);
    switch (code) {
        case platform::usbreq::StillImageIdentity: {
            if (!out || outLength < 4) return false;
            auto *b = static_cast<uint8_t *>(out);
            std::memset(b, 0, outLength);
            b[0] = static_cast<uint8_t>(m_identity.vendor);
            b[1] = static_cast<uint8_t>(m_identity.vendor >> 8);
            b[2] = static_cast<uint8_t>(m_identity.product);
            b[3] = static_cast<uint8_t>(m_identity.product >> 8);
            if (returned) *returned = std::min<size_t>(outLength, 8);
            return true;
        }
        case platform::usbreq::DeviceDescriptor: {
            if (!out || outLength < 18) return false;
            auto *d = static_cast<uint8_t *>(out);
            std::memset(d, 0, 18);
            d[0] = 18;
            d[1] = 1;
            d[8] = static_cast<uint8_t>(m_identity.vendor);
            d[9] = static_cast<uint8_t>(m_identity.vendor >> 8);
            d[10] = static_cast<uint8_t>(m_identity.product);
            d[11] = static_cast<uint8_t>(m_identity.product >> 8);
            if (returned) *returned = 18;
            return true;
        }
        case platform::usbreq::WriteRegisters: {
            if (!block || inLength < sizeof *block) return false;
            const auto *data = static_cast<const uint8_t *>(block->data);
            if (block->length == 0 || !data) return false;
            switch (block->offset) {
                case reg::UsbWriteBytes:
                    if (block->length == 1) {
                        m_selected = data[0];
                        return true;
                    }
                    if (block->length % 2 || block->length > 64) return false;
                    for (uint32_t i = 0; i < block->length; i += 2) {
                        // The addresses of the register block's port side are not the unit's.
                        if (data[i] < 0xBC || data[i] > 0xC3) m_unit.write(data[i], data[i + 1]);
                    }
                    return true;
                case mixed::UsbLoopBackLatch:
                    if (block->length != 1) return false;
                    m_loopBack = data[0];
                    return true;
                case reg::UsbBulkLength:
                    if (block->length != 8) return false;
                    m_bulkLength = uint32_t{data[4]} | uint32_t{data[5]} << 8 |
                                   uint32_t{data[6]} << 16 | uint32_t{data[7]} << 24;
                    return m_bulkLength > 0 && m_bulkLength <= 61440;
                case reg::UsbConfigure:
                    return block->length == 1 && block->index == 16 && data[0] == 8;
                default:
                    return false;
            }
        }
        case platform::usbreq::ReadRegisters: {
            if (!block || inLength < sizeof *block || !out || outLength != 1) return false;
            auto *b = static_cast<uint8_t *>(out);
            if (block->offset == reg::UsbLinkSpeed) {
                b[0] = m_identity.highSpeed ? 0x00 : 0x08;
            } else if (block->offset == reg::UsbReadByte) {
                if (m_selected == mixed::UsbStatus) {
                    b[0] = static_cast<uint8_t>((m_unit.waiting() ? mixed::UsbWaiting : 0) |
                                                (m_loopBack & mixed::UsbLoopBack));
                } else {
                    b[0] = m_unit.read(m_selected);
                }
            } else {
                return false;
            }
            if (returned) *returned = 1;
            return true;
        }
        default:
            return false;
    }
}

long MixedUsbDriver::read(int handle, void *buffer, size_t length) {
    if (handle != 1 || m_open == 0 || !buffer) return -1;
    const uint32_t announced = m_bulkLength;
    m_bulkLength = 0;
    if (announced == 0 || length != announced || m_selected != mixed::BufferData) return -1;
    auto *bytes = static_cast<uint8_t *>(buffer);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = m_unit.read(mixed::BufferData);
    return static_cast<long>(length);
}

void PortBus::out(uint16_t port, uint8_t value) {
    for (platform::PortIo *p : m_ports)
        p->out(port, value);
}

uint8_t PortBus::in(uint16_t port) {
    uint8_t value = 0xFF;
    for (platform::PortIo *p : m_ports)
        value &= p->in(port);
    return value;
}

bool PortBus::present(uint16_t base) {
    return std::any_of(m_ports.begin(), m_ports.end(),
                       [base](platform::PortIo *p) { return p->present(base); });
}

int UsbBus::open(platform::UsbFamily family, int index) {
    if (index < 0 || index >= static_cast<int>(m_drivers.size())) return -1;
    const int handle = m_drivers[static_cast<size_t>(index)]->open(family, 0);
    return handle < 0 ? -1 : index * kSpan + handle;
}

platform::UsbDriver *UsbBus::owner(int handle) const {
    const int k = handle / kSpan;
    return handle < 0 || k >= static_cast<int>(m_drivers.size())
               ? nullptr
               : m_drivers[static_cast<size_t>(k)];
}

bool UsbBus::control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                     size_t outLength, size_t *returned) {
    platform::UsbDriver *d = owner(handle);
    if (!d) return false;
    return d->control(handle % kSpan, code, in, inLength, out, outLength, returned);
}

long UsbBus::read(int handle, void *buffer, size_t length) {
    platform::UsbDriver *d = owner(handle);
    return d ? d->read(handle % kSpan, buffer, length) : -1;
}

void UsbBus::close(int handle) {
    if (platform::UsbDriver *d = owner(handle)) d->close(handle % kSpan);
}

int UsbBus::arrivals() {
    int n = 0;
    for (platform::UsbDriver *d : m_drivers)
        n += d->arrivals();
    return n;
}

}  // namespace kv::sim
