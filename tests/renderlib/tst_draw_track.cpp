// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "recorder.h"
#include "tables.h"
#include "track.h"

using namespace kvtest;
using kv::render::drawTrack;
using kv::render::TrackArgs;

namespace {

using Calls = std::vector<std::string>;

TrackArgs single(Recorder &r, const std::vector<uint8_t> &plane, int zoom, int width) {
    TrackArgs a;
    a.dc = r.surface();
    a.plane = plane.data();
    a.start = 1;
    a.bit = 0;
    a.zoom = zoom;
    a.width = width;
    a.y0 = 10;
    a.colour = 7;
    a.selector = 30;
    return a;  // u = 6: high at y0 + 6 = 16, low at y0 + 18 = 28
}

}  // namespace

TEST(DrawLaSingle, Zoom5DrawsOneColumnPerSample) {
    // Samples from start - 1: 0 1 1 0 0 ...; column x shows sample start + x.
    std::vector<uint8_t> plane(200, 0);
    plane[1] = plane[2] = 1;
    Recorder r;
    drawTrack(single(r, plane, 5, 4));
    const Calls expected = {"pixel 0 16 7", "move 0 16", "line 2 16", "line 2 28", "line 4 28"};
    EXPECT_EQ(r.calls, expected);
}

TEST(DrawLaSingle, Zoom6PutsTwoSamplesInAColumn) {
    // Column x examines samples 2x .. 2x + 2 (from start - 1 = 0).
    std::vector<uint8_t> plane(400, 0);
    plane[4] = 1;  // in columns 1 (samples 2..4) and 2 (4..6)
    for (int s = 8; s < 400; ++s)
        plane[s] = 1;  // column 3 (6..8) changes, 4 on is high
    Recorder r;
    drawTrack(single(r, plane, 6, 6));
    const Calls expected = {"pixel 0 28 7", "move 1 16", "line 1 29",    "move 2 16",   "line 2 29",
                            "move 3 16",    "line 3 29", "pixel 4 16 7", "pixel 5 16 7"};
    EXPECT_EQ(r.calls, expected);
}

TEST(DrawLaSingle, Zoom12BarForOneChangeInsideAColumn) {
    // Column 1 holds samples 200 .. 400: a single pulse at 333 makes it a full bar.
    std::vector<uint8_t> plane(2000, 0);
    plane[333] = 1;
    Recorder r;
    drawTrack(single(r, plane, 12, 3));
    const Calls expected = {"pixel 0 28 7", "move 1 16", "line 1 29", "pixel 2 28 7"};
    EXPECT_EQ(r.calls, expected);
}

TEST(DrawLaSingle, FineScrollShiftsTheDrawing) {
    // Zoom 3 (5 pixels a sample): samples 0, 1 high, 2 low. Without offset the change
    // is at column 5; an offset of 2 moves it to 7.
    std::vector<uint8_t> plane(100, 0);
    plane[0] = plane[1] = 1;
    for (int fine : {0, 2}) {
        Recorder r;
        TrackArgs a = single(r, plane, 3, 10);
        a.fine = fine;
        drawTrack(a);
        const int x = 5 + fine;
        const Calls expected = {"pixel 0 16 7", "move 0 16", "line " + std::to_string(x) + " 16",
                                "line " + std::to_string(x) + " 28", "line 10 28"};
        EXPECT_EQ(r.calls, expected) << fine;
    }
}

TEST(DrawLaSingle, WideTracksDrawToTheirEnd) {
    std::vector<uint8_t> plane(8400, 0);
    for (int s = 3991; s < 8400; ++s)
        plane[s] = 1;
    for (int width : {4000, 8192}) {
        Recorder r;
        drawTrack(single(r, plane, 5, width));
        ASSERT_EQ(r.calls.size(), 5u);
        EXPECT_EQ(r.calls[2], "line 3990 28");
        EXPECT_EQ(r.calls[4], "line " + std::to_string(width) + " 16");
    }
}

TEST(DrawLaSingle, HeightCodeMovesTheLevels) {
    std::vector<uint8_t> plane(100, 1);
    Recorder r;
    TrackArgs a = single(r, plane, 5, 2);
    a.h = 4;  // u = 10: high at 20
    drawTrack(a);
    EXPECT_EQ(r.calls.front(), "pixel 0 20 7");
}

namespace {

// A 4-bit group on D0..D3 at zoom 5: column x shows sample x + 1.
struct BusCase {
    Tables tables;
    std::vector<uint8_t> p0 = std::vector<uint8_t>(400, 0);
    std::vector<uint8_t> p1 = std::vector<uint8_t>(400, 0);
    std::vector<uint8_t> p2 = std::vector<uint8_t>(400, 0);
    uint8_t selector = 0;

    TrackArgs args(Recorder &r, int width) {
        TrackArgs a;
        a.dc = r.surface();
        a.start = 1;
        a.zoom = 5;
        a.width = width;
        a.y0 = 0;
        a.selector = selector;
        a.groups = tables.view();
        a.planes[0] = p0.data();
        a.planes[1] = p1.data();
        a.planes[2] = p2.data();
        return a;
    }
};

}  // namespace

TEST(DrawLaBus, LabelOnlyWhenWiderThanTheMinimum) {
    // M for a 4-bit hexadecimal group: (3 / 4 + 1) x 7 = 7. Samples 1..7 hold 5 (seven
    // columns, no label), 8..15 hold 0xA (eight columns, labelled "A"), then 3.
    BusCase c;
    c.tables.group(0, 0, 0, 4);
    for (int s = 1; s <= 7; ++s)
        c.p0[s] = 0x5;
    for (int s = 8; s <= 15; ++s)
        c.p0[s] = 0xA;
    for (int s = 16; s < 400; ++s)
        c.p0[s] = 0x3;
    Recorder r;
    drawTrack(c.args(r, 20));  // passes run to 170
    const Calls expected = {   // row 1: phase 1 is low (18), phase 0 high (6)
                            "pixel 0 18 0", "move 0 18", "line 7 18", "line 7 6", "line 15 6",
                            "line 15 18", "text 9 6 A", "line 170 18",
                            // row 2, the opposite levels, no labels
                            "pixel 0 6 0", "move 0 6", "line 7 6", "line 7 18", "line 15 18",
                            "line 15 6", "line 170 6"};
    EXPECT_EQ(r.calls, expected);
}

TEST(DrawLaBus, ValueTextsByBase) {
    struct Case {
        int base, first, n;
        uint32_t value;
        std::string text;
    };
    const Case cases[] = {{0, 0, 8, 15, "0F"},           {0, 0, 12, 0xABC, "ABC"},
                          {1, 0, 8, 200, "200"},         {2, 0, 16, 0x4B56, "KV"},
                          {3, 0, 12, 5, "000000000101"}, {3, 0, 3, 6, "110"}};
    for (const Case &k : cases) {
        BusCase c;
        c.tables.group(0, k.base, k.first, k.n);
        for (int s = 1; s <= 100; ++s) {
            c.p0[s] = static_cast<uint8_t>(k.value);
            c.p1[s] = static_cast<uint8_t>(k.value >> 8);
        }
        Recorder r;
        drawTrack(c.args(r, 200));
        const Calls texts = r.only("text");
        ASSERT_EQ(texts.size(), 1u) << k.text;
        // y = y0 + 2u - 6 with u = 6
        EXPECT_EQ(texts[0], "text 2 6 " + k.text);
    }
}

TEST(DrawLaBus, MnemonicLabels) {
    BusCase c;
    c.tables.group(0, 5, 0, 4);                   // USER1
    c.tables.mnemonic(1, 0, "----", "never   ");  // all zero bytes: never matches
    c.tables.mnemonic(1, 3, "1-1-", "odd-five");  // bits 0 and 2 set
    c.tables.mnemonic(1, 4, "101-", "later   ");  // also matches 5, but 3 comes first
    for (int s = 1; s <= 70; ++s)
        c.p0[s] = 0x5;
    for (int s = 71; s <= 140; ++s)
        c.p0[s] = 0x2;  // nothing matches 2
    for (int s = 141; s < 400; ++s)
        c.p0[s] = 0x5;
    Recorder r;
    drawTrack(c.args(r, 200));
    const Calls texts = r.only("text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "text 2 6 odd-five");
}

TEST(DrawLaBus, CompressedZoomSkipsSamplesAndWidthCountsColumns) {
    // Zoom 12: one step per column, every 200th sample from start - 1.
    BusCase c;
    c.tables.group(0, 1, 0, 8);
    c.p0.assign(80000, 0);
    c.p1.assign(80000, 0);
    c.p2.assign(80000, 0);
    for (int s = 0; s < 80000; ++s)
        c.p0[s] = static_cast<uint8_t>(s / 200 < 30 ? 9 : 4);
    c.p0[200 * 10 + 50] = 77;  // skipped sample: never seen
    Recorder r;
    TrackArgs a = c.args(r, 100);
    a.zoom = 12;
    drawTrack(a);
    // Steps 0..29 read 9, 30 on read 4. Row 1 starts at column 1: change at x = 29.
    // Segment 0..28 is wider than (7 / 4 + 2) x 7 = 21 columns: labelled with entry 1.
    const Calls texts = r.only("text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "text 2 6 9");
    EXPECT_EQ(r.calls[2], "line 29 18");
    EXPECT_EQ(r.calls[3], "line 29 6");
}
