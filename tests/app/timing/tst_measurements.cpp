// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "timing/measurements.h"

using namespace kv::app;

TEST(Distances, TimeRanges) {
    // d = |a - b| x period; the range picks the unit.
    EXPECT_EQ(timeDistanceText(1, 0, 999), "999.pS");
    EXPECT_EQ(timeDistanceText(10, 0, 99.99), "1.nS");  // 999.9 ps: 0.9999 rounds to 1
    EXPECT_EQ(timeDistanceText(1, 0, 1000), "1.nS");
    EXPECT_EQ(timeDistanceText(3, 0, 1250), "3.75nS");
    EXPECT_EQ(timeDistanceText(1, 0, 999'900), "1.uS");
    EXPECT_EQ(timeDistanceText(1, 0, 1e9), "1.mS");
    EXPECT_EQ(timeDistanceText(2, 0, 1e12), "2.S");
    EXPECT_EQ(timeDistanceText(1000, 0, 1e12), "1000S");  // "########" beyond 9.999e14
    EXPECT_FALSE(timeDistanceText(2'000'000'000, 0, 1e12).has_value());
    // a before b: "-0" in the picosecond range, "-" elsewhere.
    EXPECT_EQ(timeDistanceText(0, 1, 500), "-0500.pS");
    EXPECT_EQ(timeDistanceText(0, 1, 2000), "-2.nS");
    EXPECT_EQ(timeDistanceText(5, 5, 10000), ".pS");
    EXPECT_EQ(sampleDistanceText(30, 90), "-60");
    EXPECT_EQ(sampleDistanceText(90, 30), "60");
}

TEST(Distances, FrequencyLadders) {
    // One sample at "200khz" (P = 5 us) is 200 KHz; at "100Mhz" (P = 10 ns) 100 MHz.
    EXPECT_EQ(frequencyText(1, 13, 5), "200.KHz");
    EXPECT_EQ(frequencyText(1, 4, 10), "100.MHz");
    // The worked cases with P = 1 in the microsecond range.
    EXPECT_EQ(frequencyText(100, 19, 1), "10.KHz");
    EXPECT_EQ(frequencyText(2000, 19, 1), "500. Hz");
    EXPECT_EQ(frequencyText(1000, 19, 1), "1.KHz");
    EXPECT_EQ(frequencyText(3, 19, 1), "333.333KHz");
    // Between the bands, or a code beyond the ladders: no text.
    EXPECT_EQ(frequencyText(1, 19, 0.0001), "");
    EXPECT_EQ(frequencyText(1, 36, 1), "");
    DisplayUnits f{false, false, true};
    EXPECT_EQ(distanceText(7, 7, f, 10000, 4, 10, "old"), "----");
    // Later steps win; the time step keeps the old text when it has none.
    DisplayUnits all{true, true, true};
    EXPECT_EQ(distanceText(1, 0, all, 10000, 4, 10, ""), "100.MHz");
    DisplayUnits time{true, false, false};
    EXPECT_EQ(distanceText(2'000'000'000, 0, time, 1e12, 4, 10, "kept"), "kept");
}

TEST(Distances, UnitItems) {
    DisplayUnits u{true, false, false};
    u = toggleUnit(u, 0);  // the only checked unit clicked: the other two come on
    EXPECT_FALSE(u.time);
    EXPECT_TRUE(u.samples);
    EXPECT_TRUE(u.frequency);
    u = toggleUnit(u, 1);  // a checked one again
    EXPECT_TRUE(u.time);
    EXPECT_FALSE(u.samples);
    EXPECT_TRUE(u.frequency);
    u = toggleUnit(u, 1);  // an unchecked one: it alone
    EXPECT_FALSE(u.time);
    EXPECT_TRUE(u.samples);
    EXPECT_FALSE(u.frequency);
}

TEST(Mouse, CatchingCursors) {
    ViewState v;
    v.screenStart = 0;
    v.cursorA = 30;
    v.cursorB = 90;
    v.triggerCursor = 60;
    EXPECT_EQ(catchCursor(35, v, 1.0f, false), 3);  // exactly 5 pixels: not caught
    EXPECT_EQ(catchCursor(34, v, 1.0f, false), 0);
    EXPECT_EQ(catchCursor(25, v, 1.0f, false), 3);
    EXPECT_EQ(catchCursor(26, v, 1.0f, false), 0);
    v.cursorB = 33;  // A and B 3 pixels apart: between them A wins
    EXPECT_EQ(catchCursor(31.5, v, 1.0f, false), 0);
    EXPECT_EQ(catchCursor(62, v, 1.0f, false), 2);
    EXPECT_EQ(catchCursor(62, v, 1.0f, true), 3);  // trigger delay mode
    // At "Magnify 1/10" the cursors sit at (p - s) x 0.1.
    v.cursorA = 5000;
    EXPECT_EQ(catchCursor(504, v, 0.1f, false), 0);
}

TEST(Mouse, DragsStayInsideTheRecord) {
    ViewState v;
    v.barMax = 2015;
    v.screenStart = 5;
    EXPECT_EQ(draggedScreenStart(v, 100, 300, 1.0f, 800), 0);  // dragged left past 0
    EXPECT_EQ(draggedScreenStart(v, 300, 100, 1.0f, 800), 205);
    EXPECT_EQ(draggedScreenStart(v, 3000, 100, 1.0f, 800), 2015 - 800);
    EXPECT_EQ(draggedScreenStart(v, -50, 100, 0.1f, 800), 0);
    EXPECT_EQ(draggedCursor(v, 100, 1.0f), 105);
    EXPECT_EQ(draggedCursor(v, 5000, 1.0f), 2015);  // pinned to the bar's maximum
    EXPECT_EQ(draggedCursor(v, -10, 1.0f), 5);
    EXPECT_EQ(screenFromBar(v, 2000, 1.0f, 850), 2015 - 850);
    // A view narrower than 850 pixels still reaches the record's end.
    EXPECT_EQ(screenFromBar(v, 2000, 1.0f, 600), 2015 - 600);
    EXPECT_EQ(screenFromBar(v, 1000, 1.0f, 600), 1000);
    EXPECT_EQ(screenFromBar(v, 2000, 0.1f, 600), 0);  // 6000 samples wide: the whole record
}

TEST(DataToTiming, CaptionRule) {
    ProgramState s;
    s.highestViewIndex = 1;
    auto c = applyCaptionRule(s, false);
    EXPECT_EQ(c[0], "Timing1 <--data1");
    EXPECT_EQ(c[1], "Timing2 <--data1");
    EXPECT_EQ(s.views[1].dataSet, 0);
    s.data2timing = true;
    c = applyCaptionRule(s, false);
    EXPECT_EQ(c[1], "Timing2 <--data2");
    EXPECT_EQ(s.views[1].dataSet, 1);
    s.highestViewIndex = 9;
    s.data2timing = false;
    s.data2timingbyauto = true;
    c = applyCaptionRule(s, true);
    EXPECT_EQ(c[0], "Timing1 <--data10^");
    EXPECT_EQ(c[1], "Timing2 <--data9^");
    EXPECT_EQ(c[8], "Timing9 <--data2^");
    EXPECT_EQ(c[9], "Timing10 <--data1<----");
    for (int v = 0; v <= 9; ++v)
        EXPECT_EQ(s.views[v].dataSet, 0);
}

TEST(DataToTiming, AutomaticAssignment) {
    ProgramState s;
    s.highestViewIndex = 3;
    s.nextAutoDataSet = 2;
    autoAssign(s);  // not checked: nothing
    EXPECT_EQ(s.views[0].dataSet, 0);
    s.data2timingbyauto = true;
    autoAssign(s);
    EXPECT_EQ(s.views[0].dataSet, 3);
    EXPECT_EQ(s.views[1].dataSet, 0);
    EXPECT_EQ(s.views[2].dataSet, 1);
    EXPECT_EQ(s.views[3].dataSet, 2);
    EXPECT_EQ(s.nextAutoDataSet, 2);
}

TEST(Mouse, CatchWindowIsEvenBelowMagnifyHalf) {
    // Cursor A 100 pixels from the left edge at the steps whose float ratio is inexact: the
    // window reaches 4 pixels on either side and not 5.
    const double perPixel[] = {5, 10, 20, 50, 100, 200};
    const int steps[] = {7, 8, 9, 10, 11, 12};
    for (int i = 0; i < 6; ++i) {
        ViewState v;
        v.screenStart = 1000;
        v.cursorA = 1000 + static_cast<int32_t>(100 * perPixel[i]);
        v.cursorB = v.triggerCursor = 0;  // left of the screen
        const ZoomRatio z = ZoomRatio::ofStep(steps[i]);
        EXPECT_EQ(catchCursor(105, v, z, false), 3) << steps[i];
        EXPECT_EQ(catchCursor(104, v, z, false), 0) << steps[i];
        EXPECT_EQ(catchCursor(95, v, z, false), 3) << steps[i];
        EXPECT_EQ(catchCursor(96, v, z, false), 0) << steps[i];
        // A 10-pixel screen drag moves 10 x samples per pixel.
        v.barMax = 131039;
        EXPECT_EQ(draggedScreenStart(v, 110, 100, z, 100), 1000 + 10 * perPixel[i]) << steps[i];
        EXPECT_EQ(draggedCursor(v, 560, z), 1000 + 560 * perPixel[i]) << steps[i];
    }
}
