// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/library_second_path.h"

#include <type_traits>

#include "out47.h"

namespace kv::app {
namespace {

template <typename T>
T slot(intptr_t v) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(v);
    else
        return static_cast<T>(v);
}

// Calls one of the three entry points that take the 34 arguments.
template <typename F>
auto call34(F f, const SecondPathApi::CaptureArgs &a) {
    const auto u = [&](int i) { return slot<uint32_t>(a[static_cast<size_t>(i - 1)]); };
    const auto p = [&](int i) { return slot<uint8_t *>(a[static_cast<size_t>(i - 1)]); };
    return f(p(1), p(2), p(3), p(4), p(5), p(6), slot<int32_t>(a[6]), u(8), u(9),
             slot<int32_t *>(a[9]), p(11), a[11], u(13), u(14), slot<const uint8_t *>(a[14]), u(16),
             u(17), u(18), u(19), u(20), u(21), u(22), u(23), u(24), u(25), u(26), u(27), a[27],
             a[28], slot<int32_t>(a[29]), a[30], u(32), slot<const uint8_t *>(a[32]),
             slot<int32_t *>(a[33]));
}

}  // namespace

LibrarySecondPath::LibrarySecondPath(LibraryBinding::ErrorHandler onError)
    : m_library("libout47.so", std::move(onError)) {}

uint8_t LibrarySecondPath::findHardware(uint8_t *model, int32_t *portRecord, uint8_t *unitBlock,
                                        uint32_t family) {
    auto f = m_library.as<decltype(&::FindHardware)>("FindHardware");
    return f ? f(model, portRecord, unitBlock, family) : 0;
}

uint32_t LibrarySecondPath::capture(const CaptureArgs &a) {
    auto f = m_library.as<decltype(&::capture)>("capture");
    return f ? call34(f, a) : 0;
}

uint8_t LibrarySecondPath::getTrigStat(const CaptureArgs &a) {
    auto f = m_library.as<decltype(&::GetTrigStat)>("GetTrigStat");
    return f ? call34(f, a) : 0;
}

uint8_t LibrarySecondPath::endCapture(const CaptureArgs &a) {
    auto f = m_library.as<decltype(&::EndCapture)>("EndCapture");
    return f ? call34(f, a) : 0;
}

void LibrarySecondPath::forceTrigger(int32_t *portRecord, uint8_t *unitBlock) {
    if (auto f = m_library.as<decltype(&::ForceTrigger)>("ForceTrigger")) f(portRecord, unitBlock);
}

void LibrarySecondPath::testAd(const uint8_t *trace, int32_t start, uint32_t reference,
                               uint32_t threshold, int16_t *record, int32_t length) {
    if (auto f = m_library.as<decltype(&::TestAd)>("TestAd"))
        f(trace, start, reference, threshold, record, length);
}

}  // namespace kv::app
