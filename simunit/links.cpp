// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/links.h"

#include <algorithm>
#include <cstring>

#include "platform/tick.h"
#include "platform/unit_registers.h"

namespace kv::sim {
namespace {

constexpr uint8_t kSupply = 0x04;
constexpr uint32_t kLongestBulkRead = 61440;

}  // namespace

SimParallelPort::SimParallelPort(Unit &unit, uint16_t base, ParallelMode mode)
    : m_unit(unit), m_base(base), m_mode(mode) {}

bool SimParallelPort::powered() const {
    return (m_control & kSupply) && !m_unit.faults().absent && !m_unit.faults().unpowered &&
           !m_cableOut;
}

// The cable carries the supply: a unit plugged in again starts from power-up.
void SimParallelPort::followCable() {
    const bool out = m_unit.faults().disconnected(platform::tickMs());
    if (m_cableOut && !out) m_unit.powerUp(false);
    m_cableOut = out;
}

// A cycle that reaches the unit while its supply is still settling is lost.
bool SimParallelPort::answering() {
    if (!powered()) return false;
    if (!m_unit.settling()) return true;
    if (!m_unit.settlingByHost()) return false;
    m_unit.violation(m_unit.selected(),
                     "no cycle within " + std::to_string(Unit::kSettleMs) + " ms of power-up");
    return false;
}

void SimParallelPort::out(uint16_t port, uint8_t value) {
    if (port < m_base || port > m_base + 4) return;
    followCable();
    switch (port - m_base) {
        case reg::PortData:
            m_data = value;
            break;
        case reg::PortControl: {
            const uint8_t before = m_control;
            m_control = value;
            const bool wasPowered = (before & kSupply) != 0;
            if (!wasPowered && powered()) m_unit.powerUp();
            controlWritten(before, value);
            break;
        }
        case reg::EppAddress:
            if (m_mode == ParallelMode::Epp && answering()) m_unit.select(value);
            break;
        case reg::EppData:
            if (m_mode == ParallelMode::Epp && answering()) m_unit.writeSelected(value);
            break;
        default:
            break;
    }
}

uint8_t SimParallelPort::in(uint16_t port) {
    if (port < m_base || port > m_base + 4) return 0xFF;
    followCable();
    switch (port - m_base) {
        case reg::PortData:
            if (m_control & 0x20) return m_driving ? m_driven : 0xFF;  // reversed, floating
            return m_data;
        case reg::PortStatus:
            return 0xFF;
        case reg::PortControl:
            return m_control;
        case reg::EppData:
            if (m_mode == ParallelMode::Epp && answering()) return m_unit.readSelected();
            return 0xFF;
        default:
            return 0xFF;
    }
}

// The BPP protocol: control bit 3 falling latches the data lines as the address; bit 1
// falling writes them to the addressed register, or, while the port was reading (bit 5),
// ends the unit's read cycle; bit 1 rising with bit 5 set starts a read cycle.
void SimParallelPort::controlWritten(uint8_t before, uint8_t after) {
    if (m_mode != ParallelMode::Bpp || !powered()) {
        m_driving = false;
        return;
    }
    const bool latch = (before & 0x08) && !(after & 0x08);
    const bool readStart = !(before & 0x02) && (after & 0x02) && (after & 0x20);
    const bool strobe = (before & 0x02) && !(after & 0x02);
    if (strobe && (before & 0x20)) m_driving = false;
    if (!latch && !readStart && !(strobe && !(before & 0x20))) return;
    if (!answering()) return;
    if (latch) m_unit.select(m_data);
    if (readStart) {
        m_driven = m_unit.readSelected();
        m_driving = true;
    }
    if (strobe && !(before & 0x20)) m_unit.writeSelected(m_data);
}

SimUsbDriver::SimUsbDriver(Unit &unit, UsbIdentity identity) : m_unit(unit), m_identity(identity) {}

// A pulled cable ends every open handle; the unit plugged in again starts from power-up
// and has to be opened anew.
bool SimUsbDriver::unplugged() {
    const bool out = m_unit.faults().disconnected(platform::tickMs());
    if (out && m_open > 0) {
        m_open = 0;
        ++m_handle;  // handles of before the pull stay dead
    }
    if (m_cableOut && !out) {
        m_unit.reset();
        ++m_arrivals;
    }
    m_cableOut = out;
    return out;
}

int SimUsbDriver::arrivals() {
    unplugged();
    const int n = m_arrivals;
    m_arrivals = 0;
    return n;
}

bool SimUsbDriver::failing() {
    if (unplugged()) return true;
    const int n = m_requests++;
    const int from = m_unit.faults().usbFailFrom;
    return from >= 0 && n >= from;
}

int SimUsbDriver::open(platform::UsbFamily, int index) {
    if (m_unit.faults().absent || index != 0 || unplugged()) return -1;
    const int from = m_unit.faults().usbFailFrom;
    if (from >= 0 && m_requests >= from) return -1;  // unplugged
    ++m_open;
    return m_handle;
}

void SimUsbDriver::close(int handle) {
    if (handle == m_handle && m_open > 0) --m_open;
}

bool SimUsbDriver::control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                           size_t outLength, size_t *returned) {
    if (returned) *returned = 0;
    if (handle != m_handle || m_open == 0 || failing()) return false;
    // A request of the wrong shape is refused as the driver would, and recorded.
    const auto refuse = [&](const char *expected) {
        m_unit.violation(0, expected);
        return false;
    };
    switch (code) {
        case platform::usbreq::StillImageIdentity: {
            if (!in || inLength != 8 || !out || outLength != 8)
                return refuse("the identity request with an 8-byte buffer as input and output");
            auto *bytes = static_cast<uint8_t *>(out);
            std::memset(bytes, 0, outLength);
            bytes[0] = static_cast<uint8_t>(m_identity.vendor);
            bytes[1] = static_cast<uint8_t>(m_identity.vendor >> 8);
            bytes[2] = static_cast<uint8_t>(m_identity.product);
            bytes[3] = static_cast<uint8_t>(m_identity.product >> 8);
            if (returned) *returned = std::min<size_t>(outLength, 8);
            return true;
        }
        case platform::usbreq::DeviceDescriptor: {
            if (in || inLength || !out || outLength != 18)
                return refuse("the descriptor request with no input and an 18-byte output");
            const uint8_t descriptor[18] = {18,
                                            1,
                                            0x00,
                                            0x02,
                                            0xFF,
                                            0xFF,
                                            0xFF,
                                            64,
                                            static_cast<uint8_t>(m_identity.vendor),
                                            static_cast<uint8_t>(m_identity.vendor >> 8),
                                            static_cast<uint8_t>(m_identity.product),
                                            static_cast<uint8_t>(m_identity.product >> 8),
                                            0x00,
                                            0x01,
                                            1,
                                            2,
                                            0,
                                            1};
            std::memcpy(out, descriptor, sizeof descriptor);
            if (returned) *returned = 18;
            return true;
        }
        case platform::usbreq::WriteRegisters:
            if (!in || inLength < sizeof(platform::UsbRegisterIo)) return false;
            if (out || outLength) return refuse("a write request with no output");
            return writeRequest(*static_cast<const platform::UsbRegisterIo *>(in));
        case platform::usbreq::ReadRegisters:
            if (!in || inLength < sizeof(platform::UsbRegisterIo)) return false;
            return readRequest(*static_cast<const platform::UsbRegisterIo *>(in), out, outLength,
                               returned);
        default:
            return false;
    }
}

bool SimUsbDriver::writeRequest(const platform::UsbRegisterIo &block) {
    const auto *data = static_cast<const uint8_t *>(block.data);
    if (block.length > 0 && !data) return false;
    // A request of the wrong shape is refused as a whole.
    const auto refuse = [&](const char *expected) {
        m_unit.violation(static_cast<uint8_t>(block.offset), expected);
        return false;
    };
    switch (block.offset) {
        case reg::UsbWriteBytes:
            if (block.length == 0 || block.length > 64 || (block.length > 1 && block.length % 2))
                return refuse("request 0x83 with one byte (a select) or 1 to 32 pairs");
            if (block.length == 1) {
                m_unit.select(data[0]);
                return true;
            }
            for (uint32_t i = 0; i + 1 < block.length; i += 2) {
                const uint8_t r = data[i];
                // Port-control writes of the parallel links reach the queue too; the unit
                // takes only its own registers, and the others leave its selection alone.
                if (r >= reg::SerialStrobe && r <= reg::ControlC) m_unit.write(r, data[i + 1]);
            }
            return true;
        case reg::UsbBulkLength: {
            if (block.length != 8 || data[0] || data[1] || data[2] || data[3])
                return refuse("request 0x82 with the 8-byte record, bytes 0 to 3 zero");
            const uint32_t n =
                static_cast<uint32_t>(data[4]) | static_cast<uint32_t>(data[5]) << 8 |
                static_cast<uint32_t>(data[6]) << 16 | static_cast<uint32_t>(data[7]) << 24;
            if (n == 0 || n > kLongestBulkRead)
                return refuse("a bulk-read length of 1 to 61440 bytes");
            m_bulkLength = n;
            return true;
        }
        case reg::UsbConfigure:
            if (block.length != 1 || block.index != 16 || data[0] != 8)
                return refuse("request 0x8C with index 16 and the one byte 8");
            return true;
        default:
            return refuse("a write request 0x83, 0x82 or 0x8C");
    }
}

bool SimUsbDriver::readRequest(const platform::UsbRegisterIo &block, void *out, size_t outLength,
                               size_t *returned) {
    if (!out || outLength < 1 || block.length < 1) return false;
    if (block.index != 0) {
        m_unit.violation(static_cast<uint8_t>(block.offset), "read requests with index 0");
        return false;
    }
    if (block.length != 1 || outLength != 1) {
        m_unit.violation(static_cast<uint8_t>(block.offset), "read requests of one byte");
        return false;
    }
    auto *bytes = static_cast<uint8_t *>(out);
    switch (block.offset) {
        case reg::UsbReadByte:
            bytes[0] = m_unit.readSelected();
            break;
        case reg::UsbLinkSpeed:
            bytes[0] = m_identity.highSpeed ? 0x00 : 0x08;
            break;
        default:
            m_unit.violation(static_cast<uint8_t>(block.offset), "a read request 0x84 or 0x8E");
            return false;
    }
    if (returned) *returned = 1;
    return true;
}

long SimUsbDriver::read(int handle, void *buffer, size_t length) {
    if (handle != m_handle || m_open == 0 || !buffer || failing()) return -1;
    // The read takes exactly the length that 0x82 set, from register 6.
    const uint32_t announced = m_bulkLength;
    m_bulkLength = 0;
    if (announced == 0 || length != announced) {
        m_unit.violation(reg::UsbBulkLength, "a bulk read of the length that request 0x82 set");
        return -1;
    }
    if (m_unit.selected() != reg::Status) {
        m_unit.violation(m_unit.selected(), "register 0x06 selected before a bulk read");
        return -1;
    }
    size_t n = length;
    const auto shortBy = static_cast<size_t>(std::max(0, m_unit.faults().shortBulkBy));
    n = n > shortBy ? n - shortBy : 0;
    auto *bytes = static_cast<uint8_t *>(buffer);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = m_unit.readSelected();
    return static_cast<long>(n);
}

}  // namespace kv::sim
