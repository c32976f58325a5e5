// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::sim {

// What a mixed-signal unit reports about itself: the configuration byte (0x01 deep
// memory, 0x02 byte-valued channels, 0x04 external clock input, 0x08) and the class in
// the identification register's bits 0..1.
struct MixedModel {
    uint8_t configuration = 0x07;
    uint8_t identification = 2;
    int byteChannels() const {
        if (!(configuration & 0x02)) return 0;
        return (identification & 3) > 2 ? 3 : (identification & 3) + 1;
    }
};

// A mixed-signal unit behind its register protocol: four latches, the trigger position,
// one acquisition in real time (measured with the platform tick), and the read-out of
// its six buffers. Its inputs: the demonstration board on the logic channels, and on
// the byte-valued channels (screen heights, 0 at the top)
//   0: a 250 kHz square wave between 48 and 208,
//   1: a 100 kHz triangle between 16 and 240,
//   2: a 50 kHz sine around 128 with an amplitude of 96.
class MixedUnit {
  public:
    explicit MixedUnit(MixedModel model = {}) : m_model(model) {}

    void write(uint8_t reg, uint8_t value);
    uint8_t read(uint8_t reg);
    // Armed, running and no trigger yet: what the status line and status bit show.
    bool waiting();
    // The unit answers register cycles on a parallel port only after its interface has
    // been enabled (0xBC := 0xBC); on USB always.
    void setNeedsEnable(bool needs) { m_enabled = !needs; }

    const MixedModel &model() const { return m_model; }
    uint8_t latch(int i) const { return m_latch[i & 3]; }
    uint32_t position() const { return m_position; }
    bool running() const { return m_running; }
    bool enabled() const { return m_enabled; }
    // The trigger's sample index within the run, -1 before the trigger.
    int64_t triggerSample() { return (advance(), m_trigger); }
    int resets() const { return m_resets; }

    // The byte-valued channel's sample at board time t.
    static uint8_t byteSample(int channel, uint64_t timeNs);
    // Sample period of a rate code, in picoseconds.
    static uint64_t periodPs(uint8_t rateCode);

  private:
    void setLatch0(uint8_t value);
    void start();
    void stop();
    void advance();
    uint64_t taken() const;
    uint64_t timeNs(int64_t sample) const;
    bool crossed(int64_t sample) const;
    uint8_t nextReadOut();

    MixedModel m_model;
    bool m_enabled = true;
    int m_resets = 0;
    uint8_t m_latch[4] = {};
    uint32_t m_position = 0;
    // The run.
    bool m_running = false;
    uint32_t m_startTick = 0;
    uint64_t m_periodPs = 10'000;
    uint32_t m_depth = 2048;
    uint32_t m_pre = 0;       // the trigger position, within the depth
    int64_t m_forcedAt = -1;  // sample at which the trigger was forced
    int64_t m_scan = 0;       // next sample to look at for the trigger
    int64_t m_trigger = -1;
    uint64_t m_stoppedAt = 0;  // samples taken when the run stopped
    // Read-out.
    bool m_readOut = false;
    int m_buffer = 0;
    uint32_t m_index = 0;
};

}  // namespace kv::sim
