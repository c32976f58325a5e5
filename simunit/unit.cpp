// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/unit.h"

#include <algorithm>
#include <cstdio>

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

std::string hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

std::string describe(const std::vector<Violation> &violations) {
    std::string text;
    for (const Violation &v : violations)
        text += v.link + " register " + hex(v.reg) + ": expected " + v.expected + "\n";
    return text;
}

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
    m_clockValid = false;
    m_selected = 0;
    m_thresholdShift = m_thresholdWord = 0;
    m_chain1 = m_chain1Latched = m_chain2 = 0;
    m_counterShift = m_counter = 0;
    m_running = false;
    m_run = RunInfo();
    m_preTrigger = m_scanNext = 0;
    m_scanPrevMatch = false;
    m_gaveUp = false;
    m_triggerSample = -1;
    m_complete = false;
    m_readOut = false;
    m_abandoned = false;
    m_wrapped = false;
    m_memoryEnd = -1;
    m_plane = -1;
    m_readIndex = 0;
    m_faults = faults;
}

void Unit::powerUp(bool byHost) {
    reset();
    m_poweredAt = platform::tickMs();
    m_settleByHost = byHost;
}

// Until the supply has settled the unit takes no cycle: reads float high.
bool Unit::settling() const {
    return m_poweredAt && platform::tickElapsed(platform::tickMs(), *m_poweredAt) < kSettleMs;
}

void Unit::violation(uint8_t reg, std::string expected) {
    m_violations.push_back(Violation{reg, m_link, std::move(expected)});
}

void Unit::select(uint8_t reg) {
    if (reg != reg::Status && reg != reg::SerialStrobe && reg != reg::ControlA &&
        reg != reg::ControlB && reg != reg::ControlC) {
        violation(reg, "an address of 0x06, 0x20, 0x22, 0x24 or 0x26");
    }
    m_selected = reg;
}

void Unit::write(uint8_t reg, uint8_t value) {
    select(reg);
    writeSelected(value);
}

uint8_t Unit::read(uint8_t reg) {
    select(reg);
    return readSelected();
}

void Unit::writeSelected(uint8_t value) {
    switch (m_selected) {
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
            violation(m_selected, "data writes to 0x20, 0x22, 0x24 or 0x26 only");
            break;
    }
}

// Reads come from register 6 only; any other selection leaves the data lines floating.
uint8_t Unit::readSelected() {
    if (m_selected != reg::Status) {
        violation(m_selected, "register 0x06 selected before a data read");
        return 0xFF;
    }
    if (m_abandoned) {
        violation(reg::ControlB,
                  "B bits 4 and 6 set as B bit 1 falls (stop 0x52) before "
                  "reading the memory");
        m_abandoned = false;
    }
    return m_readOut ? nextReadOutByte() : statusByte();
}

// Both trigger chains take bits only while B holds the load pattern 0x41 (bits 0 and 6)
// and A bit 5 is clear.
bool Unit::triggerChainsOpen() const {
    return (m_b & 0x41) == 0x41 && !(m_a & 0x20);
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
        m_wrapped = false;
        if (m_plane > 2) violation(reg::ControlA, "A bits 6 and 0 of 00, 01 or 10 (plane 0 to 2)");
    }
    if (rose(before, value, 0x80)) {
        if (triggerChainsOpen())
            m_chain2 = ((m_chain2 << 1) | (value & 1)) & 0x7FFFFFFF;
        else
            violation(reg::ControlA,
                      "B bits 0 and 6 set and A bit 5 clear while A bit 7 clocks "
                      "trigger chain 2");
    }
    if (rose(before, value, 0x10) && m_running && !m_complete) {
        // A force while A bit 6 is set is not seen; one while the pre-trigger part still
        // fills is not remembered either: the unit accepts a trigger only once that part
        // is full.
        if (value & 0x40) {
            violation(reg::ControlA, "A bit 6 clear before a forced trigger");
            return;
        }
        advance();
        if (m_triggerSample < 0) {
            const auto taken = static_cast<int64_t>(samplesTaken());
            if (m_run.clocked && taken >= m_preTrigger) m_triggerSample = taken;
        }
    }
}

void Unit::writeB(uint8_t value) {
    const uint8_t before = m_b;
    m_b = value;
    m_readOut = false;  // any write to B leaves read-out; a stop enters it again below
    m_abandoned = false;
    if (fell(before, value, 0x10)) m_clockChain.reset();
    if (rose(before, value, 0x80)) m_thresholdWord = m_thresholdShift;
    if (rose(before, value, 0x20)) {
        if (triggerChainsOpen())
            m_chain1Latched = m_chain1;
        else
            violation(reg::ControlB,
                      "B bits 0 and 6 set and A bit 5 clear at the transfer "
                      "strobe B bit 5");
    }
    if ((value & 0x01) && rose(before, value, 0x08)) {
        m_counterShift = static_cast<uint16_t>(((m_counterShift << 1) | (m_a & 1)) & 0x3FFF);
    }
    if (fell(before, value, 0x01)) m_counter = m_counterShift;
    if (rose(before, value, 0x02)) startRun();
    if (fell(before, value, 0x02)) {
        // Only the stop pattern (B bits 4 and 6 set as bit 1 falls) hands the memory to
        // the read-out; bit 1 alone abandons the run.
        if ((value & 0x50) == 0x50)
            stopRun();
        else
            abandonRun();
    }
}

void Unit::writeC(uint8_t value) {
    const uint8_t before = m_c;
    m_c = value;
    // C bit 0 is also a range bit of the clock: its edges outside the trigger load are
    // no fault, they just shift nothing.
    if (rose(before, value, 0x01) && (m_b & 0x41) == 0x41) {
        if (m_a & 0x20)
            violation(reg::ControlC, "A bit 5 clear while C bit 0 clocks trigger chain 1");
        else
            m_chain1 = ((m_chain1 << 1) | (m_a & 1)) & 0x1FFFF;
    }
}

void Unit::strobe(uint8_t value) {
    const bool bit = value & 1;
    if (!(m_b & 0x10)) {
        if (auto word = m_clockChain.shift(bit)) {
            // A word the generator does not know (for the range in C) leaves it without a
            // valid frequency: it does not keep the previous one.
            // With the external ranges (5 and 6) in C the generator is not used: its word
            // is taken without a rate.
            m_clockWord = *word;
            const auto period = periodForWord(*word, m_c);
            const bool external = (m_c & 7) == 5 || (m_c & 7) == 6;
            m_clockValid = period.has_value();
            if (period)
                m_internalPeriodNs = *period;
            else if (!external)
                violation(reg::SerialStrobe, "a clock program word known for C bits 0..2 = " +
                                                 std::to_string(m_c & 7));
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
    // The counter counts its units after the trigger whatever the depth: with 2K memory
    // a count of more than 256 units keeps writing round the memory (trigger delay).
    run.kept = (kCounterUnits - m_counter) * 8;
    const uint8_t range = m_c & 7;
    run.external = range == 5 || range == 6;
    run.fallingEdge = range == 6;
    // Without a clock program the run takes no samples (a presence test on a fresh unit
    // may arm one that the next start replaces).
    run.clocked = run.external || m_clockValid;
    // B bit 4 picks the fast clock path (internal rates of 500 kHz and above); B bit 6
    // must be clear for slow and external clocks. Either wrong: the samples are not taken
    // the way the program asked.
    const bool fast = !run.external && m_clockValid && m_internalPeriodNs <= 2'000;
    if (run.clocked && ((m_b & 0x10) != 0) != fast) {
        violation(reg::ControlB, fast ? "B bit 4 set at arming for a rate of 500 kHz and above"
                                      : "B bit 4 clear at arming for slow and external clocks");
    }
    if (run.clocked && !fast && (m_b & 0x40)) {
        violation(reg::ControlB, "B bit 6 clear at arming for slow and external clocks");
    }
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
    m_preTrigger = std::max<int64_t>(int64_t{run.depth} - run.kept, 0);
    m_scanNext = m_preTrigger;
    m_scanPrevMatch = matches(sampleWord(m_preTrigger - 1));
    m_gaveUp = m_faults.neverTrigger;
    m_triggerSample = -1;
    m_memoryEnd = -1;
}

// Arming falls on bit 1 alone, so that is no fault in itself; reading before B is
// written again is a read-out that was never handed the memory.
void Unit::abandonRun() {
    if (m_running) m_abandoned = true;
    m_running = false;
    m_memoryEnd = -1;
}

void Unit::stopRun() {
    if (m_running) {
        advance();
        if (!m_complete) m_memoryEnd = static_cast<int64_t>(samplesTaken()) - 1;
    }
    m_running = false;
    m_readOut = true;
    m_plane = -1;
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
    if (!m_run.clocked) return 0;
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
                // The trigger is recognised a few samples after the event (0 to 3, drawn
                // per run); the counter starts from the recognition.
                m_triggerSample = m_scanNext;
                m_run.latency = static_cast<uint32_t>(m_random() % 4);
                break;
            }
            ++m_scanNext;
            // The board repeats: a whole period without the event means it never comes.
            if (m_scanNext - m_preTrigger > periodSamples + 1) m_gaveUp = true;
        }
    }
    const int64_t end = m_triggerSample + m_run.latency + int64_t{m_run.kept};
    if (m_triggerSample >= 0 && taken >= end) {
        m_complete = true;
        m_memoryEnd = end - 1;
    }
}

std::optional<int64_t> Unit::triggerIndexInMemory() const {
    if (m_triggerSample < 0 || m_memoryEnd < 0) return std::nullopt;
    return m_triggerSample - (m_memoryEnd - static_cast<int64_t>(m_run.depth) + 1);
}

uint8_t Unit::statusByte() {
    advance();
    uint8_t status = 0;
    if (m_b & 0x80) status |= 0x40;  // presence loop-back
    // During a run the progress bits only reach the status with A bit 6 clear.
    if (m_running && (m_a & 0x40)) {
        violation(reg::Status, "A bit 6 clear before a status read during a run");
        return status;
    }
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

// The read address counts round the memory: reading past the depth starts again at the
// oldest sample.
uint8_t Unit::nextReadOutByte() {
    if (m_plane < 0) {
        violation(reg::Status, "a plane select (write to A) before the read-out");
        return 0xFF;
    }
    if (m_readIndex == m_run.depth) {
        if (!m_wrapped) {
            violation(reg::Status,
                      "at most " + std::to_string(m_run.depth) + " reads per plane select");
        }
        m_wrapped = true;
        m_readIndex = 0;
    }
    const uint32_t i = m_readIndex++;
    if (m_plane > 2) return 0xFF;
    return static_cast<uint8_t>(memoryWord(i) >> (8 * m_plane));
}

}  // namespace kv::sim
