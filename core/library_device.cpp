// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library_device.h"

#include "kv68dll.h"

namespace kv::app {
namespace {

template <typename T>
T slot(intptr_t v) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(v);
    else
        return static_cast<T>(v);
}

}  // namespace

LibraryDevice::LibraryDevice(LibraryBinding::ErrorHandler onError)
    : m_library("libkv68dll.so", std::move(onError)) {}

uint8_t LibraryDevice::findBoard1(uint16_t port, uint8_t *selection, uint8_t *state,
                                  uint8_t *further, uint32_t platformId) {
    auto f = m_library.as<decltype(&::FindBoard1)>("FindBoard1");
    return f ? f(port, selection, state, 0, reinterpret_cast<intptr_t>(further), 0, platformId) : 0;
}

uint8_t LibraryDevice::findDemoBoard1(uint16_t port, uint8_t *selection, uint8_t *state) {
    auto f = m_library.as<decltype(&::FindDemoBoard1)>("FindDemoBoard1");
    return f ? f(port, selection, state) : 0;
}

void LibraryDevice::powerOff1(uint16_t port) {
    if (auto f = m_library.as<decltype(&::PowerOff1)>("PowerOff1")) f(port);
}

uint8_t LibraryDevice::startCapture1(const StartArgs &a) {
    auto f = m_library.as<decltype(&::StartCapture1)>("StartCapture1");
    if (!f) return 1;
    return f(slot<void *>(a[0]), slot<void *>(a[1]), slot<void *>(a[2]), slot<void *>(a[3]),
             slot<void *>(a[4]), slot<void *>(a[5]), slot<int32_t>(a[6]), slot<uint32_t>(a[7]),
             slot<uint8_t *>(a[8]), slot<uint8_t *>(a[9]), slot<int32_t>(a[10]),
             slot<uint32_t>(a[11]), a[12], a[13], a[14], a[15], a[16], slot<int32_t>(a[17]), a[18],
             slot<uint32_t>(a[19]), slot<uint32_t>(a[20]), a[21], a[22], a[23],
             slot<const char *>(a[24]), a[25], a[26], a[27], slot<uint32_t>(a[28]), a[29],
             slot<uint32_t>(a[30]), slot<uint16_t *>(a[31]), a[32]);
}

uint8_t LibraryDevice::getTrigStat1(uint16_t port, uint8_t *selection, uint8_t *state) {
    auto f = m_library.as<decltype(&::GetTrigStat1)>("GetTrigStat1");
    return f ? f(port, selection, state) : 0;
}

void LibraryDevice::forceTrigger1(uint16_t port, uint8_t *selection, uint8_t *state) {
    if (auto f = m_library.as<decltype(&::ForceTrigger1)>("ForceTrigger1"))
        f(port, selection, state);
}

uint8_t LibraryDevice::endCapture1(const EndArgs &a) {
    auto f = m_library.as<decltype(&::EndCapture1)>("EndCapture1");
    if (!f) return 0;
    return f(slot<uint8_t *>(a[0]), slot<uint8_t *>(a[1]), slot<uint8_t *>(a[2]),
             slot<void *>(a[3]), slot<void *>(a[4]), slot<void *>(a[5]), a[6], a[7],
             slot<uint32_t>(a[8]), slot<uint8_t *>(a[9]), slot<uint8_t *>(a[10]), a[11],
             slot<const uint8_t *>(a[12]), slot<int32_t>(a[13]), slot<int32_t>(a[14]), a[15], a[16],
             slot<int32_t>(a[17]), a[18], slot<const int32_t *>(a[19]), a[20],
             slot<const char *>(a[21]), slot<int32_t>(a[22]), a[23], a[24], slot<uint32_t>(a[25]),
             slot<int32_t *>(a[26]), a[27]);
}

uint8_t LibraryDevice::getLinkStat1(uint16_t port, uint8_t *selection, uint8_t *state) {
    auto f = m_library.as<decltype(&::GetLinkStat1)>("GetLinkStat1");
    return f ? f(port, selection, state) : 0;
}

uint8_t LibraryDevice::unitPlugged1() {
    auto f = m_library.as<decltype(&::UnitPlugged1)>("UnitPlugged1");
    return f ? f() : 0;
}

uint8_t LibraryDevice::prtDect() {
    auto f = m_library.as<decltype(&::prt_dect)>("prt_dect");
    return f ? f() : 0;
}

}  // namespace kv::app
