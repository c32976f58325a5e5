// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/tick.h"

#include <chrono>
#include <thread>

namespace kv::platform {
namespace {

class SteadyTick final : public TickSource {
  public:
    uint32_t now() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());
    }
    void idle() override { std::this_thread::sleep_for(std::chrono::microseconds(500)); }
};

SteadyTick g_steady;
TickSource *g_override = nullptr;

TickSource &source() {
    return g_override ? *g_override : g_steady;
}

}  // namespace

uint32_t tickMs() {
    return source().now();
}

void tickIdle() {
    source().idle();
}

TickSource *setTickSource(TickSource *s) {
    TickSource *previous = g_override;
    g_override = s;
    return previous;
}

}  // namespace kv::platform
