// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "simunit/clock_chain.h"

namespace kv::sim {

// What can go wrong with a simulated unit, for tests.
struct Faults {
    bool absent = false;        // no unit on the link at all
    bool unpowered = false;     // the unit's supply never comes up (parallel links)
    int usbFailFrom = -1;       // USB requests fail from this request number on (0-based)
    int shortBulkBy = 0;        // every bulk read returns this many bytes fewer
    bool neverTrigger = false;  // the signals never meet the trigger word
    // The cable: pulled by a test (cableOut), or at the tick unplugAt until the tick
    // replugAt. While it is out the unit answers on no link.
    bool cableOut = false;
    std::optional<uint32_t> unplugAt, replugAt;
    bool disconnected(uint32_t now) const;
};

// A departure from the register protocol seen by the unit: the register it concerns,
// the link it came over and what the unit expected instead.
struct Violation {
    uint8_t reg = 0;
    std::string link;
    std::string expected;
};
std::string describe(const std::vector<Violation> &violations);

// The unit behind the register protocol: control registers A, B and C, the serial
// chains, the sample memory and the run, in real time measured with the platform tick.
// Every link reaches it the same way: an address cycle selects a register, data writes
// and reads go to the selected register. Whatever the protocol does not allow is
// recorded as a violation and otherwise treated the way the hardware would.
class Unit {
  public:
    Unit();

    // The three cycles of every link.
    void select(uint8_t reg);
    void writeSelected(uint8_t value);
    uint8_t readSelected();
    uint8_t selected() const { return m_selected; }
    // Address cycle and data cycle in one.
    void write(uint8_t reg, uint8_t value);
    uint8_t read(uint8_t reg);
    // Back to the state after power-up.
    void reset();
    // The supply came up now: the unit starts from reset and ignores every cycle until
    // kSettleMs have passed. Cycles lost that way are violations when the host switched
    // the supply itself (it has to wait), not when a cable was plugged in again.
    void powerUp(bool byHost = true);
    bool settling() const;
    bool settlingByHost() const { return m_settleByHost; }
    static constexpr uint32_t kSettleMs = 200;

    // The link's name in violation records ("EPP", "BPP", "USB").
    void setLink(std::string name) { m_link = std::move(name); }
    const std::string &link() const { return m_link; }
    void violation(uint8_t reg, std::string expected);
    const std::vector<Violation> &violations() const { return m_violations; }
    void clearViolations() { m_violations.clear(); }
    // Seeds the trigger latency (repeatable per seed).
    void seedTrigger(uint32_t seed) { m_random.seed(seed); }

    Faults &faults() { return m_faults; }
    const Faults &faults() const { return m_faults; }

    // Inspection, for tests and for the links.
    uint8_t regA() const { return m_a; }
    uint8_t regB() const { return m_b; }
    uint8_t regC() const { return m_c; }
    uint64_t internalPeriodNs() const { return m_internalPeriodNs; }
    bool clockProgrammed() const { return m_clockValid; }
    uint32_t clockWord() const { return m_clockWord; }
    uint16_t thresholdWord() const { return m_thresholdWord; }
    uint16_t thresholdCode() const { return static_cast<uint16_t>(m_thresholdWord / 4); }
    uint32_t triggerValue() const;  // V, D23..D0
    uint32_t triggerCare() const;   // K, D23..D0
    uint16_t counterStart() const { return m_counter; }
    bool running() const { return m_running; }
    bool readOut() const { return m_readOut; }

    // Of the last run started.
    struct RunInfo {
        uint32_t startTick = 0;
        uint64_t periodNs = 10;
        uint64_t firstSampleNs = 0;  // board time of sample 0
        bool external = false;
        bool fallingEdge = false;
        bool clocked = true;  // false: armed without a clock program, takes no samples
        uint32_t depth = 2048;
        uint32_t kept = 2048;         // samples kept after the trigger, may exceed the depth
        uint32_t latency = 0;         // samples between a word trigger and its recognition
        bool triggerOnFalse = false;  // the word stops being true
        uint32_t value = 0;
        uint32_t care = 0;
    };
    const RunInfo &run() const { return m_run; }
    // Board time of sample k of the last run, in nanoseconds.
    uint64_t sampleTimeNs(int64_t k) const;
    // The sample word that read-out index i delivers (0 where memory holds no sample).
    uint32_t memoryWord(uint32_t i) const;
    // Sample index of the trigger in the read-out (depth - kept - latency, negative when
    // the trigger lies before the memory), or nothing before a trigger.
    std::optional<int64_t> triggerIndexInMemory() const;

  private:
    void writeA(uint8_t value);
    void writeB(uint8_t value);
    void writeC(uint8_t value);
    void strobe(uint8_t value);
    void startRun();
    void stopRun();
    void abandonRun();
    bool triggerChainsOpen() const;
    void advance();  // brings the run up to the current tick
    uint64_t samplesTaken() const;
    uint32_t sampleWord(int64_t k) const;
    bool matches(uint32_t word) const;
    uint8_t statusByte();
    uint8_t nextReadOutByte();

    Faults m_faults;
    std::string m_link = "USB";
    std::vector<Violation> m_violations;
    std::minstd_rand m_random{6830};
    std::optional<uint32_t> m_poweredAt;
    bool m_settleByHost = true;
    uint8_t m_selected = 0;
    uint8_t m_a = 0, m_b = 0, m_c = 0;

    ClockChain m_clockChain;
    uint32_t m_clockWord = 0;
    uint64_t m_internalPeriodNs = 10;
    bool m_clockValid = false;
    uint16_t m_thresholdShift = 0, m_thresholdWord = 0;
    uint32_t m_chain1 = 0, m_chain1Latched = 0, m_chain2 = 0;
    uint16_t m_counterShift = 0, m_counter = 0;

    bool m_running = false;
    RunInfo m_run;
    int64_t m_preTrigger = 0;      // samples before a trigger is accepted
    int64_t m_scanNext = 0;        // next sample to examine for the trigger
    bool m_scanPrevMatch = false;  // whether sample m_scanNext - 1 matched
    bool m_gaveUp = false;         // a whole board period examined without a trigger
    int64_t m_triggerSample = -1;  // run sample index of the trigger
    bool m_complete = false;

    bool m_readOut = false;
    bool m_abandoned = false;  // a run stopped without the stop pattern, B not written since
    bool m_wrapped = false;    // the read-out went past the depth since the plane select
    int64_t m_memoryEnd = -1;  // run sample index of the newest sample in memory
    int m_plane = -1;          // nothing selected until A is written in read-out
    uint32_t m_readIndex = 0;
};

}  // namespace kv::sim
