// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "decode/decoding.h"

namespace kv::decode {

// Decoding of one data set on a thread of its own. A new start cancels the run before;
// `done` is called on the decoding thread with the result of a run that was not cancelled,
// together with the number start() returned for it, so that a caller can drop late results.
class DecodingSession {
  public:
    using Done = std::function<void(int generation, DecodeResult result)>;
    DecodingSession() = default;
    ~DecodingSession();
    DecodingSession(const DecodingSession &) = delete;
    DecodingSession &operator=(const DecodingSession &) = delete;

    // Copies the samples (planes p of `count` bytes from `first`) and decodes them with each
    // stack in turn; the results come back in the order of `stacks`.
    int start(std::vector<DecoderStack> stacks, const std::array<const uint8_t *, 3> &planes,
              int64_t first, int64_t count, uint64_t sampleRate,
              std::function<void(int, std::vector<DecodeResult>)> done);
    // Stops the current run (its result is dropped) and waits for its thread.
    void cancel();
    bool running() const { return m_running && !m_running->load(); }
    int generation() const { return m_generation; }

  private:
    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::shared_ptr<std::atomic<bool>> m_running;  // true once the run ended
    int m_generation = 0;
};

}  // namespace kv::decode
