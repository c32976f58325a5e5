// SPDX-License-Identifier: GPL-3.0-or-later
// The second capture path: one acquisition, from the latches to the read-out.
#include <algorithm>
#include <cstring>

#include "platform/backends.h"
#include "platform/mixed_unit_registers.h"
#include "platform/tick.h"
#include "platform/unit_registers.h"
#include "platform/usb_driver.h"
#include "second_path.h"

namespace kv::render {
namespace {

namespace ub = unitblock;
namespace pr = portrecord;

constexpr uint32_t kLongestBulkRead = 61440;
constexpr uint8_t kLastFastRate = 7;

uint32_t depthOf(uint8_t depthIndex) {
    return depthIndex ? 131072u : 2048u;
}

uint32_t positionIn(int32_t position, uint32_t depth) {
    if (position < 0) return 0;
    return std::min(static_cast<uint32_t>(position), depth - 1);
}

// How many byte-valued channels the model has.
int byteChannels(uint8_t model) {
    return model >= 34 ? (model - 34) / 4 + 1 : 0;
}

}  // namespace

uint64_t ratePeriodPs(uint8_t rateCode) {
    static constexpr uint64_t kFirst[4] = {2000, 2500, 4000, 5000};
    if (rateCode < 4) return kFirst[rateCode];
    // From code 4 on: 10 ns, 20 ns, 50 ns, ... with one code per step up to 11 (2 us),
    // then two codes per step up to 21 (100 us), then one again up to 33 (1 s).
    int step = 0;
    if (rateCode <= 11)
        step = rateCode - 4;
    else if (rateCode <= 21)
        step = 7 + (rateCode - 11) / 2;
    else
        step = 12 + (std::min<int>(rateCode, 33) - 21);
    static constexpr uint64_t kMantissa[3] = {1, 2, 5};
    uint64_t decade = 10'000;  // 10 ns in picoseconds
    for (int i = 0; i < step / 3; ++i)
        decade *= 10;
    return decade * kMantissa[step % 3];
}

uint32_t SecondPath::capture(const CaptureArgs &a) {
    if (!ready(a.record, a.state)) return 0;
    uint8_t *latch = a.state + ub::Latches;
    const uint32_t depth = depthOf(a.depthIndex);
    const uint32_t p = positionIn(a.triggerPosition, depth);
    latch[0] = 0;  // stop whatever runs
    writeLatch(a.record, a.state, 0);
    latch[1] = static_cast<uint8_t>((a.rateCode & 0x3F) | (a.clockSource & 3) << 6);
    writeLatch(a.record, a.state, 1);
    const uint8_t channel = a.triggerChannel;
    if (channel < 4 && channel < byteChannels(a.state[ub::Model])) {
        const bool falling = a.slopes && a.slopes[channel] != 0;
        latch[2] = static_cast<uint8_t>(channel | (falling ? mixed::FallingSlope : 0));
    } else {
        latch[2] = mixed::FreeRun;
    }
    writeLatch(a.record, a.state, 2);
    latch[3] = a.level;
    writeLatch(a.record, a.state, 3);
    writeRegister(a.record, a.state, mixed::Position0, static_cast<uint8_t>(p));
    writeRegister(a.record, a.state, mixed::Position1, static_cast<uint8_t>(p >> 8));
    writeRegister(a.record, a.state, mixed::Position2, static_cast<uint8_t>(p >> 16));
    latch[0] = static_cast<uint8_t>(mixed::Armed | mixed::Run | (a.depthIndex ? mixed::Deep : 0));
    writeLatch(a.record, a.state, 0);
    // Nothing is worth asking before the pre-trigger part can be full.
    uint64_t delayMs = 0;
    if ((a.clockSource & 3) == 0) {
        const uint64_t ps = uint64_t{p} * ratePeriodPs(a.rateCode);
        delayMs = (ps + 999'999'999) / 1'000'000'000;
    }
    const uint32_t earliest = platform::tickMs() + static_cast<uint32_t>(delayMs);
    a.record[pr::EarliestPoll] = static_cast<int32_t>(earliest);
    return earliest;
}

uint8_t SecondPath::getTrigStat(const CaptureArgs &a) {
    if (!ready(a.record, a.state)) return 0;
    const auto earliest = static_cast<uint32_t>(a.record[pr::EarliestPoll]);
    if (!platform::tickReached(platform::tickMs(), earliest)) return 0;
    const bool waiting =
        m_functions == Functions::Usb
            ? (readRegister(a.record, a.state, mixed::UsbStatus) & mixed::UsbWaiting) != 0
            : (in(address(a.record, reg::PortStatus)) & mixed::ParallelWaiting) != 0;
    if (waiting) return 3;
    if (!(readRegister(a.record, a.state, mixed::Progress) & mixed::Complete)) return 8;
    uint8_t *latch = a.state + ub::Latches;
    if (latch[0] & mixed::Run) {
        latch[0] = static_cast<uint8_t>(latch[0] & ~mixed::Run);
        writeLatch(a.record, a.state, 0);
    }
    return 6;
}

void SecondPath::forceTrigger(int32_t *record, uint8_t *state) {
    if (!ready(record, state)) return;
    state[ub::Latches] &= 0x7F;
    writeLatch(record, state, 0);
}

void SecondPath::readBuffer(const int32_t *record, uint8_t *state, uint8_t buffer, uint8_t *to,
                            uint32_t count) {
    writeRegister(record, state, mixed::BufferSelect, buffer);
    if (m_functions == Functions::Usb) {
        const uint8_t select = mixed::BufferData;
        if (!usbWrite(reg::UsbWriteBytes, &select, 1)) return;
        for (uint32_t done = 0; done < count;) {
            const uint32_t n = std::min(count - done, kLongestBulkRead);
            const uint8_t length[8] = {0,
                                       0,
                                       0,
                                       0,
                                       static_cast<uint8_t>(n),
                                       static_cast<uint8_t>(n >> 8),
                                       static_cast<uint8_t>(n >> 16),
                                       static_cast<uint8_t>(n >> 24)};
            if (!usbWrite(reg::UsbBulkLength, length, 8)) return;
            const long got = platform::usbDriver().read(m_usb, to + done, n);
            if (got <= 0) return;
            done += static_cast<uint32_t>(got);
        }
        return;
    }
    const uint16_t base = address(record, 0);
    out(base, mixed::BufferData);
    control(state, base, 0x0C);
    control(state, base, 0x04);
    control(state, base, 0x24);
    for (uint32_t i = 0; i < count; ++i) {
        control(state, base, 0x26);
        to[i] = in(base);
        control(state, base, 0x24);
    }
    control(state, base, 0x04);
}

uint8_t SecondPath::endCapture(const CaptureArgs &a) {
    if (!ready(a.record, a.state)) return 0;
    uint8_t *latch = a.state + ub::Latches;
    if (latch[0] & mixed::Run) {
        latch[0] = static_cast<uint8_t>(latch[0] & ~mixed::Run);
        writeLatch(a.record, a.state, 0);
    }
    const uint32_t depth = depthOf(a.depthIndex);
    const bool fast = a.rateCode <= kLastFastRate;
    const int buffers = 3 + byteChannels(a.state[ub::Model]);
    for (int k = 0; k < buffers && k < 6; ++k) {
        const int enable = k < 3 ? 36 + k : k - 3;
        if (a.inputEnable && !a.inputEnable[enable]) continue;
        uint8_t *destination = a.destinations[k];
        uint8_t *to =
            fast ? a.state + ub::Buffers + size_t{ub::BufferSpacing} * size_t(k) : destination;
        if (!to) continue;
        readBuffer(a.record, a.state, static_cast<uint8_t>(k), to, depth);
        if (fast && destination) std::memcpy(destination, to, depth);
    }
    if (a.setRow) {
        a.setRow[1] = static_cast<int32_t>(positionIn(a.triggerPosition, depth));
        a.setRow[2] = static_cast<int32_t>(depth);
    }
    return 1;
}

}  // namespace kv::render
