// SPDX-License-Identifier: GPL-3.0-or-later
// One acquisition through the second capture path, on USB and on the parallel port.
#include <vector>

#include "platform/mixed_unit_registers.h"
#include "second_path_fixture.h"
#include "simunit/board.h"

using namespace kvtest;
using kv::sim::ParallelMode;

namespace {

class CaptureTest : public SecondPathTest {
  protected:
    void SetUp() override {
        for (auto &d : buffers)
            d.assign(2048, 0x5A);
    }
    kv::render::CaptureArgs args(uint8_t rate, int32_t position, uint8_t level) {
        kv::render::CaptureArgs a;
        for (int k = 0; k < 6; ++k)
            a.destinations[k] = buffers[k].data();
        a.record = record.data();
        a.state = state.data();
        a.rateCode = rate;
        a.triggerChannel = 0;
        a.slopes = slopes;
        a.level = level;
        a.triggerPosition = position;
        a.setRow = row;
        return a;
    }
    // The board time of sample k of a run started at tick `start`, at `periodNs`.
    static uint64_t at(uint32_t start, uint64_t periodNs, int k) {
        return uint64_t{start} * 1'000'000 + periodNs * static_cast<uint64_t>(k);
    }
    std::vector<uint8_t> buffers[6];
    uint8_t slopes[51] = {};
    int32_t row[51] = {};
};

}  // namespace

TEST_F(CaptureTest, ChannelTriggerOnUsbReadsSixBuffers) {
    onUsb();
    ASSERT_EQ(find(), 43);
    // 200 ns per sample, 100 samples before the trigger: 20 us, so the first poll is
    // worth making a whole millisecond later.
    const uint32_t start = clock.now();
    const uint32_t earliest = path.capture(args(8, 100, 128));
    EXPECT_EQ(earliest, start + 1);
    EXPECT_EQ(static_cast<uint32_t>(record[36]), start + 1);
    EXPECT_EQ(unit->latch(0), 0xC0);  // armed, run, 2K
    EXPECT_EQ(unit->latch(1), 8);
    EXPECT_EQ(unit->latch(2), 0);  // channel 0, rising
    EXPECT_EQ(unit->latch(3), 128);
    EXPECT_EQ(unit->position(), 100u);
    EXPECT_EQ(path.getTrigStat(args(8, 100, 128)), 0);  // too early to ask
    clock.advance(1);
    // 5000 samples by now: channel 0 (250 kHz, 20 samples a period) went up the screen's
    // top half at sample 100, and 1948 more samples complete the memory.
    EXPECT_EQ(path.getTrigStat(args(8, 100, 128)), 6);
    EXPECT_FALSE(unit->running());
    EXPECT_EQ(unit->triggerSample(), 100);
    EXPECT_EQ(path.endCapture(args(8, 100, 128)), 1);
    for (int i : {0, 9, 99, 100, 109, 110, 2047}) {
        const uint64_t t = at(start, 200, i);
        EXPECT_EQ(buffers[0][i], kv::sim::boardSample(t) & 0xFF) << i;
        EXPECT_EQ(buffers[1][i], (kv::sim::boardSample(t) >> 8) & 0xFF) << i;
        EXPECT_EQ(buffers[2][i], (kv::sim::boardSample(t) >> 16) & 0xFF) << i;
        EXPECT_EQ(buffers[3][i], i % 20 < 10 ? 48 : 208) << i;
    }
    // Channel 1, the triangle: 16 at the start of its 10 us period, 240 half way.
    EXPECT_EQ(buffers[4][0], 16);
    EXPECT_EQ(buffers[4][25], 240);
    EXPECT_EQ(buffers[5][0], 128);  // the sine's zero crossing
    EXPECT_EQ(row[1], 100);
    EXPECT_EQ(row[2], 2048);
    // A slow rate does not use the state block's buffers.
    EXPECT_EQ(state[10240], 0);
}

TEST_F(CaptureTest, ForcedTriggerWhenTheLevelIsNeverCrossed) {
    onUsb();
    ASSERT_EQ(find(), 43);
    const auto a = args(10, 8, 0);  // 1 us a sample; level 0 is never reached going up
    path.capture(a);
    clock.advance(1);  // 1000 samples, none over the level
    EXPECT_EQ(path.getTrigStat(a), 3);
    path.forceTrigger(record.data(), state.data());
    EXPECT_EQ(state[119], 0x40);
    EXPECT_EQ(unit->latch(0), 0x40);
    EXPECT_EQ(path.getTrigStat(a), 8);  // taken at sample 1000; 2040 more to come
    clock.advance(2);
    EXPECT_EQ(path.getTrigStat(a), 8);
    clock.advance(1);
    EXPECT_EQ(path.getTrigStat(a), 6);
    EXPECT_EQ(path.endCapture(a), 1);
    EXPECT_EQ(unit->triggerSample(), 1000);
    // Index 8 of the buffers is sample 1000 of the run.
    EXPECT_EQ(buffers[0][8], kv::sim::boardSample(at(1000, 1000, 1000)) & 0xFF);
}

TEST_F(CaptureTest, FastRatesGoThroughTheStateBlockBuffers) {
    onUsb();
    ASSERT_EQ(find(), 43);
    auto a = args(4, 0, 128);  // 10 ns a sample; free of any channel: trigger channel 5
    a.triggerChannel = 5;
    uint8_t enable[51] = {};
    enable[36] = enable[0] = 1;  // logic plane 0 and channel 0 only
    a.inputEnable = enable;
    path.capture(a);
    EXPECT_EQ(unit->latch(2), 0x80);
    clock.advance(1);
    EXPECT_EQ(path.getTrigStat(a), 6);
    path.endCapture(a);
    const uint8_t *internal0 = state.data() + 10240;
    const uint8_t *internal3 = state.data() + 10240 + 3 * 1048576;
    for (int i : {0, 5, 2047}) {
        EXPECT_EQ(internal0[i], kv::sim::boardSample(at(1000, 10, i)) & 0xFF);
        EXPECT_EQ(buffers[0][i], internal0[i]);
        EXPECT_EQ(internal3[i], (i * 10) % 4000 < 2000 ? 48 : 208);
        EXPECT_EQ(buffers[3][i], internal3[i]);
    }
    // Planes 1 and 2 and channels 1 and 2 were not enabled: left as they were.
    EXPECT_EQ(buffers[1][0], 0x5A);
    EXPECT_EQ(buffers[4][0], 0x5A);
    EXPECT_EQ(state[10240 + 1048576], 0);
}

TEST_F(CaptureTest, ParallelRunReadByStrobes) {
    onParallel(0x378, ParallelMode::Bpp);
    ASSERT_EQ(find(), 43);
    slopes[0] = 1;  // falling in volts: down the screen, 48 -> 208
    auto a = args(8, 40, 128);
    path.capture(a);
    EXPECT_EQ(unit->latch(2), 0x08);
    EXPECT_EQ(path.getTrigStat(a), 0);
    clock.advance(1);
    EXPECT_EQ(path.getTrigStat(a), 6);
    EXPECT_EQ(unit->triggerSample(), 50);  // the first k >= 40 with k % 20 == 10
    port.events.clear();
    path.endCapture(a);
    EXPECT_EQ(buffers[3][0], 208);   // sample 10
    EXPECT_EQ(buffers[3][39], 48);   // sample 49
    EXPECT_EQ(buffers[3][40], 208);  // the trigger sample
    // The read-out of one buffer: select, the address of the data register, then one
    // strobe per sample.
    const std::vector<std::string> select = {"out 378 EC", "out 37A 0C", "out 37A 04", "out 378 00",
                                             "out 37A 06", "out 37A 04", "out 378 ED", "out 37A 0C",
                                             "out 37A 04", "out 37A 24", "out 37A 26"};
    ASSERT_GE(port.events.size(), select.size() + 2);
    EXPECT_EQ(std::vector<std::string>(port.events.begin(),
                                       port.events.begin() + static_cast<long>(select.size())),
              select);
    // 6 buffers x (11 + 3 x 2048 - 1 + 1) events.
    EXPECT_EQ(port.events.size(), 6u * (11 + 3 * 2048));
}
