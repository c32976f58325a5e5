// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording.h"

namespace kvtest {

std::vector<std::pair<uint8_t, uint8_t>> RecordingPort::eppRegisterWrites(uint16_t base) const {
    std::vector<std::pair<uint8_t, uint8_t>> writes;
    uint8_t address = 0;
    for (const PortCall &c : calls) {
        if (!c.write) continue;
        if (c.port == base + 3) address = c.value;
        if (c.port == base + 4) writes.emplace_back(address, c.value);
    }
    return writes;
}

int RecordingUsb::open(kv::platform::UsbFamily family, int index) {
    UsbCall call;
    call.kind = UsbCall::Open;
    call.index = static_cast<uint32_t>(index);
    const int handle = m_inner ? m_inner->open(family, index) : -1;
    call.ok = handle >= 0;
    calls.push_back(call);
    return handle;
}

bool RecordingUsb::control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                           size_t outLength, size_t *returned) {
    UsbCall call;
    call.kind = UsbCall::Control;
    call.code = code;
    if ((code == kv::platform::usbreq::WriteRegisters ||
         code == kv::platform::usbreq::ReadRegisters) &&
        in && inLength >= sizeof(kv::platform::UsbRegisterIo)) {
        const auto *block = static_cast<const kv::platform::UsbRegisterIo *>(in);
        call.command = block->offset;
        call.index = block->index;
        call.length = block->length;
        if (code == kv::platform::usbreq::WriteRegisters && block->data) {
            const auto *bytes = static_cast<const uint8_t *>(block->data);
            call.data.assign(bytes, bytes + block->length);
        }
    }
    call.ok = m_inner && m_inner->control(handle, code, in, inLength, out, outLength, returned);
    calls.push_back(call);
    return call.ok;
}

long RecordingUsb::read(int handle, void *buffer, size_t length) {
    UsbCall call;
    call.kind = UsbCall::Read;
    call.length = length;
    const long got = m_inner ? m_inner->read(handle, buffer, length) : -1;
    call.ok = got >= 0;
    calls.push_back(call);
    return got;
}

void RecordingUsb::close(int handle) {
    UsbCall call;
    call.kind = UsbCall::Close;
    calls.push_back(call);
    if (m_inner) m_inner->close(handle);
}

size_t RecordingUsb::requestCount() const {
    size_t n = 0;
    for (const UsbCall &c : calls)
        n += (c.kind == UsbCall::Control || c.kind == UsbCall::Read);
    return n;
}

std::vector<std::pair<uint8_t, uint8_t>> RecordingUsb::registerWrites() const {
    std::vector<std::pair<uint8_t, uint8_t>> writes;
    for (const UsbCall &c : calls) {
        if (c.kind != UsbCall::Control || c.code != kv::platform::usbreq::WriteRegisters ||
            c.command != 0x83 || c.data.size() < 2)
            continue;
        for (size_t i = 0; i + 1 < c.data.size(); i += 2)
            writes.emplace_back(c.data[i], c.data[i + 1]);
    }
    return writes;
}

}  // namespace kvtest
