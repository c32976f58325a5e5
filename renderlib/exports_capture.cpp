// SPDX-License-Identifier: GPL-3.0-or-later
// The exported C entry points of the second capture path.
#include "out47.h"
#include "second_path.h"
#include "simunit/attach.h"

namespace {

// KV6830_SIMULATE may attach a simulated unit where a real one would be found.
const bool g_simulatorRegistered = [] {
    kv::sim::registerWithPlatform();
    return true;
}();

kv::render::CaptureArgs captureArgs(uint8_t *const destinations[6], uint32_t depthIndex,
                                    int32_t *record, uint8_t *state, uint32_t rateCode,
                                    uint32_t triggerChannel, const uint8_t *slopes, uint32_t level,
                                    int32_t triggerPosition, uint32_t clockSource,
                                    const uint8_t *inputEnable, int32_t *setRow) {
    kv::render::CaptureArgs a;
    for (int k = 0; k < 6; ++k)
        a.destinations[k] = destinations[k];
    a.depthIndex = static_cast<uint8_t>(depthIndex);
    a.record = record;
    a.state = state;
    a.rateCode = static_cast<uint8_t>(rateCode);
    a.triggerChannel = static_cast<uint8_t>(triggerChannel);
    a.slopes = slopes;
    a.level = static_cast<uint8_t>(level);
    a.triggerPosition = triggerPosition;
    a.clockSource = static_cast<uint8_t>(clockSource);
    a.inputEnable = inputEnable;
    a.setRow = setRow;
    return a;
}

}  // namespace

// The 34 arguments, with the unused ones unnamed.
#define KV_CAPTURE_PARAMETERS                                                                     \
    uint8_t *d1, uint8_t *d2, uint8_t *d3, uint8_t *d4, uint8_t *d5, uint8_t *d6, int32_t,        \
        uint32_t depthIndex, uint32_t, int32_t *record, uint8_t *state, intptr_t,                 \
        uint32_t rateCode, uint32_t triggerChannel, const uint8_t *slopes, uint32_t level,        \
        uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, \
        uint32_t, uint32_t, intptr_t, intptr_t, int32_t triggerPosition, intptr_t,                \
        uint32_t clockSource, const uint8_t *inputEnable, int32_t *setRow
#define KV_CAPTURE_ARGS                                                                       \
    [&] {                                                                                     \
        uint8_t *const destinations[6] = {d1, d2, d3, d4, d5, d6};                            \
        return captureArgs(destinations, depthIndex, record, state, rateCode, triggerChannel, \
                           slopes, level, triggerPosition, clockSource, inputEnable, setRow); \
    }()

extern "C" {

uint8_t FindHardware(uint8_t *model, int32_t *portRecord, uint8_t *unitState, uint32_t family) {
    return kv::render::secondPath().findHardware(model, portRecord, unitState,
                                                 static_cast<uint16_t>(family));
}

uint8_t FindPort(uint32_t base) {
    return kv::render::secondPath().findPort(static_cast<uint16_t>(base));
}

void PowerOn(int32_t *portRecord, uint8_t *unitState) {
    kv::render::secondPath().power(portRecord, unitState, true);
}

void PowerOff(int32_t *portRecord, uint8_t *unitState) {
    kv::render::secondPath().power(portRecord, unitState, false);
}

uint32_t capture(KV_CAPTURE_PARAMETERS) {
    return kv::render::secondPath().capture(KV_CAPTURE_ARGS);
}

uint8_t GetTrigStat(KV_CAPTURE_PARAMETERS) {
    return kv::render::secondPath().getTrigStat(KV_CAPTURE_ARGS);
}

uint8_t EndCapture(KV_CAPTURE_PARAMETERS) {
    return kv::render::secondPath().endCapture(KV_CAPTURE_ARGS);
}

void ForceTrigger(int32_t *portRecord, uint8_t *unitState) {
    kv::render::secondPath().forceTrigger(portRecord, unitState);
}

void TestAd(const uint8_t *trace, int32_t start, uint32_t reference, uint32_t threshold,
            int16_t *record, int32_t length) {
    if (!trace) return;
    kv::render::testAd(trace + start, length, static_cast<int32_t>(reference & 0xFFFF),
                       static_cast<uint8_t>(threshold), record);
}

}  // extern "C"
