// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/mixed_unit.h"

#include <cmath>
#include <numbers>

#include "platform/mixed_unit_registers.h"
#include "platform/tick.h"
#include "simunit/board.h"

namespace kv::sim {
namespace {

constexpr uint64_t kPsPerMs = 1'000'000'000;
// A level the signal does not cross within this many samples is never crossed.
constexpr int64_t kLongestScan = 1 << 20;

}  // namespace

uint64_t MixedUnit::periodPs(uint8_t rateCode) {
    // 2, 2.5, 4, 5 ns; then 10 ns, 20 ns, 50 ns, ... one code per step up to 11 (2 us),
    // two codes per step up to 21 (100 us), one again up to 33 (1 s).
    static constexpr uint64_t kTable[34] = {2'000,           2'500,
                                            4'000,           5'000,
                                            10'000,          20'000,
                                            50'000,          100'000,
                                            200'000,         500'000,
                                            1'000'000,       2'000'000,
                                            2'000'000,       5'000'000,
                                            5'000'000,       10'000'000,
                                            10'000'000,      20'000'000,
                                            20'000'000,      50'000'000,
                                            50'000'000,      100'000'000,
                                            200'000'000,     500'000'000,
                                            1'000'000'000,   2'000'000'000,
                                            5'000'000'000,   10'000'000'000,
                                            20'000'000'000,  50'000'000'000,
                                            100'000'000'000, 200'000'000'000,
                                            500'000'000'000, 1'000'000'000'000};
    return kTable[rateCode > 33 ? 33 : rateCode];
}

uint8_t MixedUnit::byteSample(int channel, uint64_t t) {
    switch (channel) {
        case 0:
            return (t % 4000) < 2000 ? 48 : 208;
        case 1: {
            const uint64_t phase = t % 10000;  // down the screen for 5 us, then up
            const uint64_t d = phase < 5000 ? phase : 10000 - phase;
            return static_cast<uint8_t>(16 + d * 224 / 5000);
        }
        default: {
            const double x = 2 * std::numbers::pi * static_cast<double>(t % 20000) / 20000.0;
            return static_cast<uint8_t>(std::lround(128 - 96 * std::sin(x)));
        }
    }
}

uint64_t MixedUnit::timeNs(int64_t sample) const {
    return uint64_t{m_startTick} * 1'000'000 + static_cast<uint64_t>(sample) * m_periodPs / 1000;
}

uint64_t MixedUnit::taken() const {
    if (!m_running) return m_stoppedAt;
    const uint64_t elapsedPs = uint64_t{platform::tickMs() - m_startTick} * kPsPerMs;
    return elapsedPs / m_periodPs;
}

bool MixedUnit::crossed(int64_t k) const {
    const int channel = m_latch[2] & 3;
    const uint8_t level = m_latch[3];
    const uint8_t before = byteSample(channel, timeNs(k - 1));
    const uint8_t now = byteSample(channel, timeNs(k));
    // Screen heights: a rising signal moves up the screen, to smaller values.
    if (m_latch[2] & mixed::FallingSlope) return before < level && now >= level;
    return before > level && now <= level;
}

// Brings the run up to the samples taken so far: finds the trigger.
void MixedUnit::advance() {
    if (!m_running || m_trigger >= 0) return;
    const auto now = static_cast<int64_t>(taken());
    const int64_t first = m_pre;
    if (now <= first) return;
    if (m_forcedAt >= 0 || (m_latch[2] & mixed::FreeRun)) {
        m_trigger = std::max<int64_t>(first, m_forcedAt);
        return;
    }
    if (m_model.byteChannels() <= (m_latch[2] & 3)) return;  // no such channel
    m_scan = std::max(m_scan, first);
    const int64_t end = std::min(now, first + kLongestScan);
    for (; m_scan < end; ++m_scan) {
        if (m_scan > 0 && crossed(m_scan)) {
            m_trigger = m_scan;
            return;
        }
    }
}

bool MixedUnit::waiting() {
    advance();
    return m_running && (m_latch[0] & mixed::Armed) && m_trigger < 0;
}

void MixedUnit::start() {
    m_running = true;
    m_readOut = false;
    m_startTick = platform::tickMs();
    m_periodPs = (m_latch[1] >> 6) ? 500'000 : periodPs(m_latch[1] & 0x3F);
    m_depth = (m_latch[0] & mixed::Deep) ? 131072 : 2048;
    m_pre = m_position < m_depth ? m_position : m_depth - 1;
    m_forcedAt = -1;
    m_scan = 0;
    m_trigger = -1;
    m_stoppedAt = 0;
}

void MixedUnit::stop() {
    advance();
    m_stoppedAt = taken();
    m_running = false;
    m_readOut = true;
    m_buffer = 0;
    m_index = 0;
}

void MixedUnit::setLatch0(uint8_t value) {
    const uint8_t before = m_latch[0];
    m_latch[0] = value;
    if (!(before & mixed::Run) && (value & mixed::Run)) {
        start();
        return;
    }
    if ((before & mixed::Run) && !(value & mixed::Run)) {
        stop();
        return;
    }
    if (m_running && (before & mixed::Armed) && !(value & mixed::Armed) && m_forcedAt < 0) {
        advance();
        if (m_trigger < 0) m_forcedAt = static_cast<int64_t>(taken());
    }
}

void MixedUnit::write(uint8_t reg, uint8_t value) {
    if (reg == mixed::Reset && value == mixed::Reset) {
        ++m_resets;
        m_latch[0] = m_latch[1] = m_latch[2] = m_latch[3] = 0;
        m_running = m_readOut = false;
        return;
    }
    if (reg == mixed::Enable && value == mixed::Enable) {
        m_enabled = true;
        return;
    }
    if (!m_enabled) return;
    switch (reg) {
        case mixed::Latch0:
            setLatch0(value);
            break;
        case mixed::Latch1:
            m_latch[1] = value;
            break;
        case mixed::Latch2:
            m_latch[2] = value;
            break;
        case mixed::Latch3:
            m_latch[3] = value;
            break;
        case mixed::Position0:
            m_position = (m_position & 0xFFFF00) | value;
            break;
        case mixed::Position1:
            m_position = (m_position & 0xFF00FF) | uint32_t{value} << 8;
            break;
        case mixed::Position2:
            m_position = (m_position & 0x00FFFF) | uint32_t{value} << 16;
            break;
        case mixed::BufferSelect:
            m_buffer = value;
            m_index = 0;
            break;
        default:
            break;
    }
}

uint8_t MixedUnit::nextReadOut() {
    const bool logic = m_buffer < 3;
    const uint32_t i = m_index++;
    if (!m_readOut || m_buffer > 5 || (!logic && m_buffer - 3 >= m_model.byteChannels()))
        return 0xFF;
    const bool complete = m_trigger >= 0 && m_stoppedAt >= uint64_t(m_trigger) + m_depth - m_pre;
    const int64_t first = complete ? m_trigger - m_pre : 0;
    const uint64_t available = complete ? m_depth : std::min<uint64_t>(m_stoppedAt, m_depth);
    if (i >= m_depth || i >= available) return logic ? 0x00 : 0x80;
    const uint64_t t = timeNs(first + i);
    if (logic) return static_cast<uint8_t>(boardSample(t) >> (8 * m_buffer));
    return byteSample(m_buffer - 3, t);
}

uint8_t MixedUnit::read(uint8_t reg) {
    switch (reg) {
        case mixed::Configuration:
            return m_model.configuration;
        case mixed::Identification:
            return m_model.identification & 3;
        case mixed::Progress: {
            advance();
            uint8_t p = 0;
            if (m_trigger >= 0) p |= mixed::TriggerSeen;
            const uint64_t samples = taken();
            if (m_trigger >= 0 && samples >= uint64_t(m_trigger) + m_depth - m_pre)
                p |= mixed::Complete;
            return p;
        }
        case mixed::BufferData:
            return nextReadOut();
        default:
            return 0xFF;
    }
}

}  // namespace kv::sim
