// SPDX-License-Identifier: GPL-3.0-or-later
// out47 through its C entry points, with the arguments in the documented positions.
#include <gtest/gtest.h>

#include <vector>

#include "out47.h"
#include "recorder.h"
#include "tables.h"

using namespace kvtest;

TEST(CApi, DrawLaTakesItsTwentySevenArguments) {
    Tables t;
    t.group(3, 0, 0, 8);
    std::vector<uint8_t> p0(1000, 0x0F), p1(1000, 0), p2(1000, 0);
    p0[0] = 0;  // start - 1
    const int32_t record[4] = {0, 0, 0, 0};
    const uint8_t selector = 3;
    Recorder r;
    DrawLa(r.surface(), p0.data(), 1, 0, 5, record, 0, 5, 30, 100, 0, 0, 0, 0, t.patterns.data(), 0,
           0, t.base, t.top, t.map, 0, 0, &selector, t.chars.data(), p0.data(), p1.data(),
           p2.data());
    const auto texts = r.only("text");
    ASSERT_EQ(texts.size(), 0u);             // one segment to the end: the last gets no label
    EXPECT_EQ(r.calls[0], "pixel 0 118 5");  // phase 1 after 0 -> 0x0F: low, 100 + 18

    const uint8_t single = 30;
    Recorder s;
    DrawLa(s.surface(), p0.data(), 1, 2, 5, record, 0, 5, 3, 7, 0, 0, 0, 0, nullptr, 0, 0, nullptr,
           nullptr, nullptr, 0, 0, &single, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(s.calls.front(), "pixel 0 13 5");  // bit 2 of 0x0F is high: 7 + 6
}

TEST(CApi, NullArgumentsTouchNothing) {
    Recorder r;
    const uint8_t selector = 30;
    DrawLa(r.surface(), nullptr, 1, 0, 5, nullptr, 0, 0, 10, 0, 0, 0, 0, 0, nullptr, 0, 0, nullptr,
           nullptr, nullptr, 0, 0, &selector, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(vc_loaddata(nullptr, 10, "/nonexistent", 0), -1);
    EXPECT_EQ(vc_savedata(nullptr, 10, "/tmp/x"), -1);
    EXPECT_EQ(Filter(nullptr, nullptr, nullptr, nullptr, 4, 0), 4);
}

TEST(CApi, SearchAndVbar) {
    std::vector<uint8_t> p0(100, 0), p1(100, 0), p2(100, 0);
    p0[40] = 0x01;
    p1[40] = 0x01;
    p2[40] = 0x81;
    uint32_t pattern[2] = {0x810101, 0};
    int32_t positions[4] = {0, 0, 10, 0};
    const int32_t origin = 0;
    SearchVdata(reinterpret_cast<intptr_t>(p0.data()), reinterpret_cast<intptr_t>(p1.data()),
                reinterpret_cast<intptr_t>(p2.data()), pattern, 2, 0, &origin, positions, 100);
    EXPECT_EQ(positions[3], 40);
    EXPECT_EQ(pattern[0], 0xFF810101u);  // top bytes set in place
    EXPECT_EQ(pattern[1], 0xFF000000u);

    uint8_t codes[27] = {30, 38, 46, 53, 29, 0, 37};
    uint8_t out[28];
    std::fill(std::begin(out), std::end(out), 0xEE);
    GetVbarData(codes, p0.data(), p1.data(), p2.data(), 40, out, 0);
    EXPECT_EQ(out[0], 1);  // bit 0 of plane 0
    EXPECT_EQ(out[1], 1);  // bit 0 of plane 1
    EXPECT_EQ(out[2], 1);  // bit 0 of plane 2
    EXPECT_EQ(out[3], 1);  // D23
    EXPECT_EQ(out[4], 0);  // a group track
    EXPECT_EQ(out[6], 0);  // D7
    EXPECT_EQ(out[27], 0xEE);
}

TEST(CApi, StateDrawReadsBasePlusOffsets) {
    Tables t;
    t.group(0, 0, 0, 8);
    std::vector<uint8_t> store(3 * 64, 0);
    store[0 * 64 + 5 + 2] = 0xAB;  // plane 0 at offset 0, base 5, row 2
    std::vector<uint8_t> values(2400, 0);
    std::vector<char> binary(600 * 32, 0);
    std::vector<int32_t> mnemonic(600, 0);
    const intptr_t base = reinterpret_cast<intptr_t>(store.data()) + 5;
    statedraw(0, base, 0, 0, t.patterns.data(), mnemonic.data(), 0, t.base, t.top, t.map,
              values.data(), binary.data(), 0, 64, 128);
    EXPECT_EQ(values[2 * 30 * 4], 0xAB);
}

TEST(CApi, TestAdReadsFromStartForLength) {
    // Three samples before the start and one after the length that would change every
    // field if they were read: the ramp of the TestAd tests.
    const uint8_t trace[] = {255, 255, 255, 0,   50,  100, 150, 200, 250,
                             0,   50,  100, 150, 200, 250, 0,   255};
    int16_t r[13] = {};
    TestAd(trace, 3, 0, 120, r, 13);
    const int16_t expected[13] = {255, 5, 140, 250, 115, 125, 1, 5, 3, 3, 6, 0, 125};
    for (int f = 0; f < 13; ++f)
        EXPECT_EQ(r[f], expected[f]) << f;
    TestAd(nullptr, 0, 0, 0, r, 13);  // nothing to measure: nothing touched
    EXPECT_EQ(r[0], 255);
}

TEST(CApi, CapturePathRefusesWithoutALink) {
    // Nothing found yet in this process: the calls touch nothing and report nothing.
    std::vector<int32_t> record(OUT47_PORT_RECORD_SIZE, 7);
    std::vector<uint8_t> state(2048, 9);
    EXPECT_EQ(FindPort(0x378), 0);
    PowerOn(record.data(), state.data());
    ForceTrigger(record.data(), state.data());
    EXPECT_EQ(capture(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 2016, 0, 15,
                      record.data(), state.data(), 0, 8, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 32, 32,
                      32, 32, 0, 0, 60, 0, 0, nullptr, nullptr),
              0u);
    EXPECT_EQ(state[29], 9);
    EXPECT_EQ(state[119], 9);
    EXPECT_EQ(record[36], 7);
}
