// SPDX-License-Identifier: GPL-3.0-or-later
// The exported C entry points: argument unpacking onto the one process-wide Device.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "device.h"
#include "kv68dll.h"
#include "platform/backends.h"
#include "simunit/attach.h"

namespace {

kv::dev::Device &device() {
    static kv::dev::Device instance;
    return instance;
}

// KV6830_SIMULATE may attach a simulated unit where a real one would be found.
const bool g_simulatorRegistered = [] {
    kv::sim::registerWithPlatform();
    return true;
}();

// Set while the demonstration unit stands in for the real links.
bool g_demonstration = false;

uint16_t low16(uint32_t v) {
    return static_cast<uint16_t>(v);
}
uint8_t low8(uint32_t v) {
    return static_cast<uint8_t>(v);
}

kv::dev::StartArgs startArgs(uint32_t port, uint8_t *stateBlock, uint32_t depthFlag,
                             int32_t triggerPosition, uint32_t clockSource, uint32_t rateCode,
                             const char *triggerWord, uint32_t edgeCode, uint32_t condition,
                             uint16_t *threshold) {
    kv::dev::StartArgs a;
    a.port = low16(port);
    a.stateBlock = stateBlock;
    a.deep = low8(depthFlag) != 0;
    a.triggerPosition = triggerPosition;
    a.clockSource = low8(clockSource);
    a.rateCode = low8(rateCode);
    a.triggerWord = triggerWord;
    a.edgeCode = low8(edgeCode);
    a.condition = low8(condition);
    a.threshold = threshold;
    return a;
}

kv::dev::EndArgs endArgs(uint8_t *p0, uint8_t *p1, uint8_t *p2, uint32_t port, uint8_t *stateBlock,
                         const uint8_t *flags, int32_t n, int32_t a, int32_t b,
                         const int32_t *lengths, const char *triggerWord, int32_t triggerIndex,
                         uint32_t condition, int32_t *offsets) {
    kv::dev::EndArgs e;
    e.planes[0] = p0;
    e.planes[1] = p1;
    e.planes[2] = p2;
    e.port = low16(port);
    e.stateBlock = stateBlock;
    e.flags = flags;
    e.n = static_cast<int8_t>(n);
    e.a = a;
    e.b = b;
    e.lengths = lengths;
    e.triggerWord = triggerWord;
    e.triggerIndex = triggerIndex;
    e.condition = low8(condition);
    e.offsets = offsets;
    return e;
}

}  // namespace

extern "C" {

uint8_t FindBoard1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock, intptr_t, intptr_t,
                   intptr_t, uint32_t family) {
    // After demonstration mode the search looks at the real links again.
    if (g_demonstration) {
        device().releaseLink();
        kv::platform::overridePortIo(nullptr);
        kv::platform::overrideUsbDriver(nullptr);
        g_demonstration = false;
    }
    return device().findBoard1(low16(port), selectionBlock, stateBlock, low16(family));
}

uint8_t FindBoard(uint32_t port, intptr_t, uint8_t *stateBlock) {
    return device().findBoard(low16(port), stateBlock);
}

uint8_t prt_dect(void) {
    return device().prtDect();
}

void SetupIO(uint32_t index, uint32_t type, int32_t *outType, uint16_t *outBase,
             const uint16_t *table) {
    device().setupIo(low16(index), low8(type), outType, outBase, table);
}

uint8_t LAPower(uint32_t port, uint32_t on) {
    return device().laPower(low16(port), low8(on) == 1);
}

void PowerOff1(uint32_t port) {
    device().powerOff(low16(port));
}

float GetDLLVersion(char *model, char *version) {
    const float v = 0.1f;
    if (model) std::strcpy(model, "KV6830");
    if (version) std::snprintf(version, 17, "DLL ver %f", static_cast<double>(v));
    return v;
}

uint8_t StartCapture1(void *, void *, void *, void *, void *, void *, int32_t a7, uint32_t port,
                      uint8_t *selectionBlock, uint8_t *stateBlock, int32_t a11, uint32_t depthFlag,
                      intptr_t a13, intptr_t a14, intptr_t a15, intptr_t a16, intptr_t a17,
                      int32_t triggerPosition, intptr_t a19, uint32_t clockSource,
                      uint32_t rateCode, intptr_t a22, intptr_t a23, intptr_t a24,
                      const char *triggerWord, intptr_t a26, intptr_t a27, intptr_t a28,
                      uint32_t edgeCode, intptr_t a30, uint32_t condition, uint16_t *threshold,
                      intptr_t a33) {
    return StartCapture(a7, port, selectionBlock, stateBlock, a11, depthFlag, a13, a14, a15, a16,
                        a17, triggerPosition, a19, clockSource, rateCode, a22, a23, a24, nullptr,
                        triggerWord, a26, a27, a28, edgeCode, a30, condition, threshold, a33);
}

uint8_t StartCapture(int32_t, uint32_t port, uint8_t *, uint8_t *stateBlock, int32_t,
                     uint32_t depthFlag, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                     int32_t triggerPosition, intptr_t, uint32_t clockSource, uint32_t rateCode,
                     intptr_t, intptr_t, intptr_t, void *const *, const char *triggerWord, intptr_t,
                     intptr_t, intptr_t, uint32_t edgeCode, intptr_t, uint32_t condition,
                     uint16_t *threshold, intptr_t) {
    return device().startCapture(startArgs(port, stateBlock, depthFlag, triggerPosition,
                                           clockSource, rateCode, triggerWord, edgeCode, condition,
                                           threshold));
}

uint8_t GetTrigStat1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock) {
    return GetTrigStat(port, selectionBlock, stateBlock);
}

uint8_t GetTrigStat(uint32_t port, uint8_t *, uint8_t *stateBlock) {
    return device().getTrigStat(low16(port), stateBlock);
}

void ForceTrigger1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock) {
    ForceTrigger(port, selectionBlock, stateBlock);
}

void ForceTrigger(uint32_t port, uint8_t *, uint8_t *) {
    device().forceTrigger(low16(port));
}

uint8_t EndCapture1(uint8_t *plane0, uint8_t *plane1, uint8_t *plane2, void *p4, void *p5, void *p6,
                    intptr_t a7, intptr_t a8, uint32_t port, uint8_t *selectionBlock,
                    uint8_t *stateBlock, intptr_t a12, const uint8_t *flags, int32_t n, int32_t a,
                    intptr_t a16, intptr_t a17, int32_t b, intptr_t a19, const int32_t *lengths,
                    intptr_t a21, const char *triggerWord, int32_t triggerIndex, intptr_t a24,
                    intptr_t a25, uint32_t condition, int32_t *offsets, intptr_t a28) {
    void *const destinations[6] = {plane0, plane1, plane2, p4, p5, p6};
    return EndCapture(a7, a8, port, selectionBlock, stateBlock, a12, flags, n, a, a16, a17, b, a19,
                      lengths, destinations, a21, triggerWord, triggerIndex, a24, a25, condition,
                      offsets, a28);
}

uint8_t EndCapture(intptr_t, intptr_t, uint32_t port, uint8_t *, uint8_t *stateBlock, intptr_t,
                   const uint8_t *flags, int32_t n, int32_t a, intptr_t, intptr_t, int32_t b,
                   intptr_t, const int32_t *lengths, void *const *destinations, intptr_t,
                   const char *triggerWord, int32_t triggerIndex, intptr_t, intptr_t,
                   uint32_t condition, int32_t *offsets, intptr_t) {
    if (!destinations) return 0;
    return device().endCapture(
        endArgs(static_cast<uint8_t *>(destinations[0]), static_cast<uint8_t *>(destinations[1]),
                static_cast<uint8_t *>(destinations[2]), port, stateBlock, flags, n, a, b, lengths,
                triggerWord, triggerIndex, condition, offsets));
}

uint8_t SetClock(intptr_t, intptr_t, intptr_t, intptr_t, uint8_t *stateBlock, uint32_t rateCode,
                 intptr_t, uint32_t clockSource, uint32_t edgeCode) {
    return device().setClock(stateBlock, low8(rateCode), low8(clockSource), low8(edgeCode));
}

double GetRateNS(uint32_t family, uint32_t index) {
    return kv::dev::rateNs(low8(family), low8(index));
}

int32_t GetBufLenDisp(uint32_t index, const int32_t *table, int32_t reserve) {
    if (!table) return 0;
    // In 64 bits: a very negative entry must not wrap round to a large length.
    const int64_t value = int64_t{table[low8(index)]} - (reserve < 50 ? reserve : 50) - 1;
    if (value < 0) return 0;
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

int32_t GetBufLenFull(const int32_t *table, uint32_t index) {
    return table ? table[low8(index)] : 0;
}

void SetBufLenFull(int32_t *table, uint32_t index, int32_t value) {
    if (table) table[low8(index)] = value;
}

uint8_t SetupMemConfig(void) {
    return 1;
}

uint8_t GetLinkStat1(uint32_t port, uint8_t *, uint8_t *stateBlock) {
    return device().linkStat(low16(port), stateBlock);
}

uint8_t UnitPlugged1(void) {
    return device().unitsPlugged();
}

uint8_t FindDemoBoard1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock) {
    if (!selectionBlock || !stateBlock) return 0;
    auto backends = kv::sim::demonstrationUnit().backends();
    device().releaseLink();
    g_demonstration = true;
    kv::platform::overridePortIo(backends.port);
    kv::platform::overrideUsbDriver(backends.usb);
    uint16_t family = 0;
    std::memcpy(&family, selectionBlock + kv::dev::kFamilyOffset, sizeof family);
    return device().findBoard1(low16(port), selectionBlock, stateBlock, family);
}

}  // extern "C"
