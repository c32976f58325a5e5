#include "simunit/unit.h"

#include <algorithm>

#include "platform/tick.h"
#include "platform/unit_registers.h"
#include "simunit/board.h"

namespace kv::sim {
namespace {

constexpr uint64_t kNsPerMs = 1'000'000;
constexpr uint32_t kCounterUnits = 16384;  // the 14-bit counter's range, in units of 8 samples

bool rose(uint8_t before, uint8_t after, uint8_t bit) {
    return !(before & bit) && (after & bit);
}
bool fell(uint8_t before, uint8_t after, uint8_t bit) {
    return (before & bit) && !(after & bit);
}

}  // namespace

bool Faults::disconnected(uint32_t now) const {
    if (cableOut) return true;
    if (!unplugAt || !platform::tickReached(now, *unplugAt)) return false;
    return !replugAt || !platform::tickReached(now, *replugAt);
}

Unit::Unit() {
    reset();
}

void Unit::reset() {
    const Faults faults = m_faults;
    m_a = m_b = m_c = 0;
    m_clockChain.reset();
    m_clockWord = 0;
    m_internalPeriodNs = 10;
    m_thresholdShift = m_thresholdWord = 0;
    m_chain1 = m_chain1Latched = m_chain2 = 0;
    m_counterShift = m_counter = 0;
    m_running = false;
    m_run = RunInfo();
    m_preTrigger = m_scanNext = 0;
    m_scanPrevMatch = false;
    m_gaveUp = false;
    m_triggerSample = -1;
    m_forcePending = false;
    m_complete = false;
    m_readOut = false;
    m_memoryEnd = -1;
    m_plane = 0;
    m_readIndex = 0;
    m_faults = faults;
}

void Unit::write(uint8_t reg, uint8_t value) {
    switch (reg) {
        case reg::SerialStrobe:
            strobe(value);
            break;
        case reg::ControlA:
            writeA(value);
            break;
        case reg::ControlB:
            writeB(value);
            break;
        case reg::ControlC:
            writeC(value);
            break;
        default:
            break;
    }
}

uint8_t Unit::read(uint8_t reg) {
    if (reg != reg::Status) return 0xFF;
    return m_readOut ? nextReadOutByte() : statusByte();
}

uint32_t Unit::triggerValue() const {
    const uint32_t word2 = m_chain2 << 1;  // bits 31..1 of K2 K1 K0 V2
    const uint32_t v2 = (word2 & 0xFE) | ((m_chain1Latched >> 16) & 1);
    return (v2 << 16) | (m_chain1Latched & 0xFFFF);
}

uint32_t Unit::triggerCare() const {
    const uint32_t word2 = m_chain2 << 1;
    return ((word2 >> 24) & 0xFF) << 16 | ((word2 >> 16) & 0xFF) << 8 | ((word2 >> 8) & 0xFF);
}

void Unit::writeA(uint8_t value) {
    const uint8_t before = m_a;
    m_a = value;
    if (m_readOut) {
        m_plane = ((value >> 6) & 1) << 1 | (value & 1);
        m_readIndex = 0;
    }
    if (rose(before, value, 0x80)) m_chain2 = ((m_chain2 << 1) | (value & 1)) & 0x7FFFFFFF;
    if (rose(before, value, 0x10) && m_running && !m_complete) {
        advance();
        if (m_triggerSample < 0) {
            const auto taken = static_cast<int64_t>(samplesTaken());
            if (taken >= m_preTrigger)
                m_triggerSample = taken;
            else
                m_forcePending = true;
        }
    }
}

void Unit::writeB(uint8_t value) {
    const uint8_t before = m_b;
    m_b = value;
    m_readOut = false;  // any write to B leaves read-out; a stop enters it again below
    if (fell(before, value, 0x10)) m_clockChain.reset();
    if (rose(before, value, 0x80)) m_thresholdWord = m_thresholdShift;
    if (rose(before, value, 0x20)) m_chain1Latched = m_chain1;
    if ((value & 0x01) && rose(before, value, 0x08)) {
        m_counterShift = static_cast<uint16_t>(((m_counterShift << 1) | (m_a & 1)) & 0x3FFF);
    }
    if (fell(before, value, 0x01)) m_counter = m_counterShift;
    if (rose(before, value, 0x02)) startRun();
    if (fell(before, value, 0x02)) stopRun();
}

void Unit::writeC(uint8_t value) {
    const uint8_t before = m_c;
    m_c = value;
    if (rose(before, value, 0x01)) m_chain1 = ((m_chain1 << 1) | (m_a & 1)) & 0x1FFFF;
}

void Unit::strobe(uint8_t value) {
    const bool bit = value & 1;
    if (!(m_b & 0x10)) {
        if (auto word = m_clockChain.shift(bit)) {
            m_clockWord = *word;
            if (auto period = periodForWord(*word, m_c)) m_internalPeriodNs = *period;
        }
    }
    if (!(m_b & 0x80)) {
        m_thresholdShift = static_cast<uint16_t>(((m_thresholdShift << 1) | bit) & 0xFFF);
    }
}

void Unit::startRun() {
    RunInfo run;
    run.startTick = platform::tickMs();
    run.depth = (m_b & 0x04) ? 131072 : 2048;
    run.kept = std::min<uint32_t>((kCounterUnits - m_counter) * 8, run.depth);
    const uint8_t range = m_c & 7;
    run.external = range == 5 || range == 6;
    run.fallingEdge = range == 6;
    run.periodNs = run.external ? kExternalClockPeriodNs : m_internalPeriodNs;
    const uint64_t startNs = static_cast<uint64_t>(run.startTick) * kNsPerMs;
    uint64_t first = (startNs + run.periodNs - 1) / run.periodNs * run.periodNs;
    if (run.fallingEdge) first += kExternalClockPeriodNs / 2;
    run.firstSampleNs = first;
    run.triggerOnFalse = (m_a & 0x10) != 0;
    run.value = triggerValue();
    run.care = triggerCare();
    m_run = run;

    m_running = true;
    m_complete = false;
    m_readOut = false;
    m_preTrigger = static_cast<int64_t>(run.depth - run.kept);
    m_scanNext = m_preTrigger;
    m_scanPrevMatch = matches(sampleWord(m_preTrigger - 1));
    m_gaveUp = m_faults.neverTrigger;
    m_triggerSample = -1;
    m_forcePending = false;
    m_memoryEnd = -1;
}

void Unit::stopRun() {
    if (m_running) {
        advance();
        if (!m_complete) m_memoryEnd = static_cast<int64_t>(samplesTaken()) - 1;
    }
    m_running = false;
    m_readOut = true;
    m_plane = 0;
    m_readIndex = 0;
}

uint64_t Unit::sampleTimeNs(int64_t k) const {
    const auto period = static_cast<int64_t>(kBoardPeriodNs);
    int64_t t = static_cast<int64_t>(m_run.firstSampleNs % kBoardPeriodNs) +
                (k % period) * static_cast<int64_t>(m_run.periodNs) % period;
    t %= period;
    if (t < 0) t += period;
    return static_cast<uint64_t>(t);
}

uint32_t Unit::sampleWord(int64_t k) const {
    return boardSample(sampleTimeNs(k));
}

bool Unit::matches(uint32_t word) const {
    return ((word ^ m_run.value) & m_run.care) == 0;
}

uint64_t Unit::samplesTaken() const {
    const uint64_t now = platform::tickMs();
    const uint64_t elapsedNs =
        platform::tickElapsed(static_cast<uint32_t>(now), m_run.startTick) * kNsPerMs;
    const uint64_t startNs = static_cast<uint64_t>(m_run.startTick) * kNsPerMs;
    const uint64_t firstOffset = m_run.firstSampleNs - startNs;
    if (elapsedNs < firstOffset) return 0;
    return (elapsedNs - firstOffset) / m_run.periodNs + 1;
}

void Unit::advance() {
    if (!m_running || m_complete) return;
    const auto taken = static_cast<int64_t>(samplesTaken());
    if (m_triggerSample < 0) {
        const auto periodSamples = static_cast<int64_t>(kBoardPeriodNs / m_run.periodNs);
        while (!m_gaveUp && m_scanNext < taken) {
            const bool match = matches(sampleWord(m_scanNext));
            const bool fired =
                m_run.triggerOnFalse ? (m_scanPrevMatch && !match) : (!m_scanPrevMatch && match);
            m_scanPrevMatch = match;
            if (fired) {
                m_triggerSample = m_scanNext;
                break;
            }
            ++m_scanNext;
            // The board repeats: a whole period without the event means it never comes.
            if (m_scanNext - m_preTrigger > periodSamples + 1) m_gaveUp = true;
        }
        if (m_triggerSample < 0 && m_forcePending && taken >= m_preTrigger) {
            m_triggerSample = m_preTrigger;
        }
    }
    if (m_triggerSample >= 0 && taken >= m_triggerSample + static_cast<int64_t>(m_run.kept)) {
        m_complete = true;
        m_memoryEnd = m_triggerSample + static_cast<int64_t>(m_run.kept) - 1;
    }
}

int64_t Unit::triggerIndexInMemory() const {
    if (m_triggerSample < 0 || m_memoryEnd < 0) return -1;
    return m_triggerSample - (m_memoryEnd - static_cast<int64_t>(m_run.depth) + 1);
}

uint8_t Unit::statusByte() {
    advance();
    uint8_t status = 0;
    if (m_b & 0x80) status |= 0x40;  // presence loop-back
    if (m_triggerSample >= 0) {
        status |= 0x10;
        if (m_running && !m_complete) status |= 0x20;
    }
    return status;
}

uint32_t Unit::memoryWord(uint32_t i) const {
    if (i >= m_run.depth) return 0;
    const int64_t k = m_memoryEnd - static_cast<int64_t>(m_run.depth) + 1 + i;
    return k >= 0 ? sampleWord(k) : 0;
}

uint8_t Unit::nextReadOutByte() {
    const uint32_t i = m_readIndex;
    if (i < m_run.depth) ++m_readIndex;
    if (m_plane > 2) return 0;
    return static_cast<uint8_t>(memoryWord(i) >> (8 * m_plane));
}

}  // namespace kv::sim
