// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "recorder.h"
#include "traces.h"

using namespace kvtest;
using Calls = std::vector<std::string>;

TEST(Traces, GridDots) {
    Recorder r;
    kv::render::drawGrid(*r.surface(), 9, 100);
    // 11 rows of 10 dots, then 3 columns (x = 0, 50, 100) of 49 dots.
    ASSERT_EQ(r.calls.size(), 11u * 10u + 3u * 49u);
    EXPECT_EQ(r.calls.front(), "pixel 10 3 9");
    EXPECT_EQ(r.calls[109], "pixel 100 253 9");
    EXPECT_EQ(r.calls[110], "pixel 0 8 9");
    EXPECT_EQ(r.calls.back(), "pixel 100 248 9");
}

TEST(Traces, PixelsJumpsAndLogic) {
    std::vector<uint8_t> trace(900, 10);
    trace[5] = 14;  // 10 -> 14: a jump down the screen at x = 5
    trace[6] = 12;  // 14 -> 12: at x = 6 from 14 to 12
    trace[7] = 2;   // a = 12 -> b = 2 at x = 7; then a = 2 is outside 3..252
    Recorder pixels;
    kv::render::drawPixels(*pixels.surface(), trace.data(), 3);
    EXPECT_EQ(pixels.calls.size(), 851u);
    EXPECT_EQ(pixels.calls[5], "pixel 5 14 3");

    Recorder jumps;
    kv::render::drawJumps(*jumps.surface(), trace.data());
    const Calls expected = {"move 5 11", "line 5 14", "move 6 14",
                            "line 6 12", "move 7 12", "line 7 2"};
    EXPECT_EQ(jumps.calls, expected);

    std::vector<uint8_t> logic(900, 0);
    logic[3] = logic[4] = 20;
    Recorder l;
    kv::render::drawLogic(*l.surface(), 100, logic.data());
    const Calls lines = {"move 1 100", "line 3 100", "line 3 120",
                         "line 5 120", "line 5 100", "line 851 100"};
    EXPECT_EQ(l.calls, lines);
}

TEST(Traces, DisplayRowsAndFilter) {
    std::vector<uint8_t> source(4000, 0);
    source[100] = 7;      // offset A
    source[1000] = 0x81;  // offset L: bits 0 and 7
    source[2000] = 9;     // offset C
    std::vector<uint8_t> display(24 * 1024, 0xEE);
    const int32_t offsets[6] = {100, 200, 2000, 2100, 1000, 3000};
    kv::render::toDisplay(source.data(), 1, offsets, display.data(), 0);
    EXPECT_EQ(display[0], 7);
    EXPECT_EQ(display[8 * 1024], 0);     // bit 0 set
    EXPECT_EQ(display[9 * 1024], 12);    // bit 1 clear
    EXPECT_EQ(display[15 * 1024], 0);    // bit 7 set
    EXPECT_EQ(display[2 * 1024], 0xEE);  // mode 1: no rows 2, 3, 16..23
    kv::render::toDisplay(source.data(), 35, offsets, display.data(), 0);
    EXPECT_EQ(display[2 * 1024], 9);
    EXPECT_EQ(display[16 * 1024], 12);

    // In place and forward: x1 = (0 + 2*4 + 8) / 4 = 4; x2 = (4 + 16 + 0) / 4 = 5.
    uint8_t x[5] = {0, 4, 8, 0, 0};
    kv::render::smooth(x, 2);
    EXPECT_EQ(x[1], 4);
    EXPECT_EQ(x[2], 5);
    EXPECT_EQ(x[3], 0);
}

TEST(Traces, ZoomedTraceAndXY) {
    std::vector<uint8_t> source(10000);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint8_t>(i % 50);
    std::vector<uint8_t> traces(8000 + 2000, 0);
    const int32_t offsets[4] = {10, 0, 0, 0};
    Recorder copy;
    kv::render::drawZoomed(*copy.surface(), 0, source.data(), traces.data(), 5, offsets, 5, 1, 0,
                           4);
    // Bytes from source + 10 + 5: 15, 16, 17, 18 (and a fifth copied, not drawn).
    const Calls pixels = {"pixel 0 15 1", "pixel 1 16 1", "pixel 2 17 1", "pixel 3 18 1"};
    EXPECT_EQ(copy.calls, pixels);
    EXPECT_EQ(traces[4], 19);

    Recorder minmax;
    kv::render::drawZoomed(*minmax.surface(), 2, source.data(), traces.data(), 6, offsets, 0, 1, 0,
                           1);
    // Selector 2 reads field 1 (0): columns of two bytes: (0, 1) and (2, 3).
    const Calls columns = {"pixel 0 0 1", "pixel 0 1 1", "pixel 1 2 1", "pixel 1 3 1"};
    EXPECT_EQ(minmax.calls, columns);
    EXPECT_EQ(traces[2 * 2000 + 1], 2);  // minimum in trace 2
    EXPECT_EQ(traces[8000 + 1], 3);      // maximum row

    Recorder xy;
    std::vector<uint8_t> base(8000, 0);
    base[0] = 10;     // X[0] of trace 0
    base[2000] = 20;  // Y[0] of trace 1
    const int32_t o[4] = {100, 5, 0, 0};
    kv::render::drawXY(*xy.surface(), 0, 1, base.data(), o, 4);
    // x = 100 - 10 + 128 = 218, y = 20 - 5 + 128 = 143
    EXPECT_EQ(xy.calls[0], "move 218 143");
    EXPECT_EQ(xy.calls[1], "pixel 218 143 4");
    EXPECT_EQ(xy.calls.size(), 1u + 2u * 512u);
}
