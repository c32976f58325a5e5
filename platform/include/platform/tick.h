// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::platform {

// Source of the millisecond tick. The real one is monotonic time; tests put a
// ManualClock in its place.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual uint32_t now() = 0;
    // Called by busy waits once per iteration: the real clock sleeps briefly,
    // a manual clock moves on by one millisecond so that the wait ends.
    virtual void idle() = 0;
};

class ManualClock final : public TickSource {
  public:
    explicit ManualClock(uint32_t start = 0) : m_now(start) {}
    uint32_t now() override { return m_now; }
    void idle() override { ++m_now; }
    void advance(uint32_t ms) { m_now += ms; }
    void set(uint32_t ms) { m_now = ms; }

  private:
    uint32_t m_now;
};

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t tickMs();
// Lets a busy wait yield without burning the processor.
void tickIdle();
// Replaces the tick source; nullptr restores the real one. Returns the previous override.
TickSource *setTickSource(TickSource *source);

// True once `now` has reached `deadline`, correct across the 32-bit wrap-around as long
// as the two are less than 2^31 ms apart.
inline bool tickReached(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) >= 0;
}

// Milliseconds elapsed from `since` to `now`, across the wrap-around.
inline uint32_t tickElapsed(uint32_t now, uint32_t since) {
    return now - since;
}

}  // namespace kv::platform
