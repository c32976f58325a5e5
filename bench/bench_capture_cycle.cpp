// SPDX-License-Identifier: GPL-3.0-or-later
// One 2K free-run capture cycle (start, poll until complete, read-out) against the
// simulated unit on a manual clock, per link. The counters give the wall time of the
// cycle as a fraction of the sampling time it stands for (ratio < 1: the cycle is
// dominated by the unit's sampling, not by the library) and the USB requests made.
#include <benchmark/benchmark.h>

#include <vector>

#include "device.h"
#include "platform/tick.h"
#include "simunit/attach.h"

namespace {

struct CountingUsb : kv::platform::UsbDriver {
    explicit CountingUsb(kv::platform::UsbDriver *wrapped) : inner(wrapped) {}
    int open(kv::platform::UsbFamily f, int i) override { return inner->open(f, i); }
    bool control(int h, uint32_t c, const void *in, size_t il, void *out, size_t ol,
                 size_t *r) override {
        ++requests;
        return inner->control(h, c, in, il, out, ol, r);
    }
    long read(int h, void *b, size_t n) override {
        ++requests;
        return inner->read(h, b, n);
    }
    void close(int h) override { inner->close(h); }
    kv::platform::UsbDriver *inner;
    long requests = 0;
};

void captureCycle(benchmark::State &st, kv::sim::Attachment where, const char *word, bool deep) {
    kv::platform::ManualClock clock(1000);
    auto *previous = kv::platform::setTickSource(&clock);
    kv::sim::Simulator sim(where);
    CountingUsb usb(sim.backends().usb);
    kv::dev::Device device(sim.backends().port, &usb);
    std::vector<uint8_t> selection(2020), state(1009);
    device.findBoard1(0x3BC, selection.data(), state.data(), 1);
    const uint16_t port = where.base ? where.base : 0x3BC;
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0);
    uint16_t threshold = 20;
    const uint8_t flags[3] = {1, 1, 1};
    const int32_t length = deep ? 131072 : 2048;
    const int32_t lengths[3] = {length, length, length};
    int32_t offsets[3] = {};
    uint64_t simulatedMs = 0;
    long startRequests = 0, endRequests = 0;
    for (auto _ : st) {
        const uint32_t t0 = clock.now();
        const long r0 = usb.requests;
        kv::dev::StartArgs a;
        a.port = port;
        a.stateBlock = state.data();
        a.deep = deep;
        a.triggerPosition = 1024;
        a.rateCode = 4;
        a.triggerWord = word;
        a.condition = 1;
        a.threshold = &threshold;
        device.startCapture(a);
        startRequests = usb.requests - r0;
        while (device.getTrigStat(port, state.data()) != 3)
            clock.advance(1);
        const long r1 = usb.requests;
        kv::dev::EndArgs e;
        for (int i = 0; i < 3; ++i)
            e.planes[i] = planes[i].data();
        e.port = port;
        e.stateBlock = state.data();
        e.flags = flags;
        e.n = 3;
        e.a = 1;
        e.b = 3;
        e.lengths = lengths;
        e.triggerWord = word;
        e.triggerIndex = 1024;
        e.condition = 1;
        e.offsets = offsets;
        device.endCapture(e);
        endRequests = usb.requests - r1;
        simulatedMs += clock.now() - t0;
        benchmark::DoNotOptimize(offsets[0]);
    }
    st.counters["simulated_ms_per_cycle"] =
        benchmark::Counter(static_cast<double>(simulatedMs) / static_cast<double>(st.iterations()));
    st.counters["wall_over_simulated"] =
        benchmark::Counter(static_cast<double>(simulatedMs) / 1000.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    st.counters["usb_requests_start"] = static_cast<double>(startRequests);
    st.counters["usb_requests_end"] = static_cast<double>(endRequests);
    kv::platform::setTickSource(previous);
}

kv::sim::Attachment usb2() {
    return kv::sim::Attachment{};
}
kv::sim::Attachment parallel(kv::sim::Attachment::Link link) {
    kv::sim::Attachment a;
    a.link = link;
    a.base = 0x378;
    return a;
}

constexpr const char *kFree = "XXXXXXXX XXXXXXXX XXXXXXXX";
constexpr const char *kTrigger = "XXXXXXXX XXXXXXXX 00010000";

void BM_FreeRun2K_Usb(benchmark::State &st) {
    captureCycle(st, usb2(), kFree, false);
}
void BM_FreeRun2K_Epp(benchmark::State &st) {
    captureCycle(st, parallel(kv::sim::Attachment::Link::Epp), kFree, false);
}
void BM_FreeRun2K_Bpp(benchmark::State &st) {
    captureCycle(st, parallel(kv::sim::Attachment::Link::Bpp), kFree, false);
}
void BM_Trigger128K_Usb(benchmark::State &st) {
    captureCycle(st, usb2(), kTrigger, true);
}

}  // namespace

BENCHMARK(BM_FreeRun2K_Usb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeRun2K_Epp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeRun2K_Bpp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Trigger128K_Usb)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
