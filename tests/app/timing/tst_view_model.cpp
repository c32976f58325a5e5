// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "timing/bar_range.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

using namespace kv::app;

TEST(ViewModel, TrackRowsStackByHeightAndSkipHiddenRows) {
    ProgramState s;
    s.setDefaultTables();
    TrackTable &t = s.tracks[0];
    // Defaults: rows 0..3 height code 2 (26 pixels), rows 4.. code 0 (18 pixels).
    auto rows = shownRows(t, 0);
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows[0].top, -5);
    EXPECT_EQ(rows[1].top, -5 + 26);
    EXPECT_EQ(rows[4].top, -5 + 4 * 26);
    EXPECT_EQ(rows[5].top, -5 + 4 * 26 + 18);
    EXPECT_EQ(rowHeight(0), 18);
    EXPECT_EQ(rowHeight(5), 38);
    // Row 1 off: row 2 starts where row 1 would have.
    t.off[1] = 1;
    rows = shownRows(t, 0);
    EXPECT_EQ(rows[1].row, 2);
    EXPECT_EQ(rows[1].top, -5 + 26);
    // First shown row 3: row 3 is drawn at the top.
    rows = shownRows(t, 3);
    EXPECT_EQ(rows[0].row, 3);
    EXPECT_EQ(rows[0].top, -5);
}

TEST(ViewModel, CursorLineVisibility) {
    // Screen start 100, 1 pixel a sample, 500 pixels wide.
    EXPECT_EQ(cursorLineX(100, 100, 1.0f, 500), 0);
    EXPECT_EQ(cursorLineX(600, 100, 1.0f, 500), 500);
    EXPECT_FALSE(cursorLineX(601, 100, 1.0f, 500).has_value());
    EXPECT_FALSE(cursorLineX(99, 100, 1.0f, 500).has_value());
    // "Magnify 1/10": s + W / z = 100 + 5000.
    EXPECT_EQ(cursorLineX(5100, 100, 0.1f, 500), 500);
    EXPECT_FALSE(cursorLineX(5101, 100, 0.1f, 500).has_value());
    EXPECT_EQ(cursorLineX(150, 100, 0.0f, 500), 50);  // 0 reads as 1.0
}

TEST(ViewModel, ColumnsToDraw) {
    EXPECT_EQ(columnsToDraw(2048, 0, 1.0f, 0, 4000), 2038);
    EXPECT_EQ(columnsToDraw(2048, 0, 1.0f, 0, 900), 900);
    EXPECT_EQ(columnsToDraw(2048, 2040, 1.0f, 0, 900), 1);
    EXPECT_EQ(columnsToDraw(2048, 0, 1.0f, 8, 4000), 2030);  // record offset subtracted
    EXPECT_EQ(columnsToDraw(131072, 0, 0.005f, 0, 1920), 645);
}

TEST(ViewModel, MemoryDepthClampsEveryView) {
    ProgramState s;
    s.highestViewIndex = 3;
    s.settings.memoryDepthIndex = 1;
    applyMemoryDepth(s);
    EXPECT_EQ(s.recordLength, 131072);
    EXPECT_EQ(s.lastStart, 131040);
    EXPECT_EQ(s.views[2].barMax, 131039);
    EXPECT_EQ(s.views[2].largeChange, 128);
    EXPECT_EQ(s.views[2].delayBarMin, 356 * 512);
    for (int v = 0; v <= 3; ++v) {
        s.views[v].cursorA = 100000;
        s.views[v].cursorB = 100001;
        s.views[v].triggerCursor = 100002;
        s.views[v].screenStart = 99000;
    }
    s.settings.memoryDepthIndex = 0;
    applyMemoryDepth(s);
    EXPECT_EQ(s.recordLength, 2048);
    EXPECT_EQ(s.lastStart, 2016);
    EXPECT_EQ(s.delayE, 2);
    for (int v = 0; v <= 3; ++v) {
        EXPECT_EQ(s.views[v].cursorA, 30);
        EXPECT_EQ(s.views[v].cursorB, 90);
        EXPECT_EQ(s.views[v].triggerCursor, 60);
        EXPECT_EQ(s.views[v].screenStart, 0);
        EXPECT_EQ(s.views[v].barMax, 2015);
        EXPECT_EQ(s.views[v].largeChange, 8);
    }
}

TEST(ViewModel, ZoomWithAnchor) {
    ProgramState s;
    s.settings.memoryDepthIndex = 1;
    applyMemoryDepth(s);
    ViewState &v = s.views[0];
    v.drawingWidth = 800;
    v.zoomAnchor = 0;
    v.cursorA = 5000;
    zoomWithAnchor(s, 0, 8);  // "Magnify 1/10": 10 samples a pixel
    EXPECT_EQ(v.screenStart, 2000);
    EXPECT_EQ(v.zoomIndex, 8);
    EXPECT_FLOAT_EQ(v.pixelsPerSample, 0.1f);
    EXPECT_DOUBLE_EQ(v.samplesPerDivision, 500);
    EXPECT_EQ(v.previousZoomIndex, 8);
    v.cursorA = 100;
    zoomWithAnchor(s, 0, 8);
    EXPECT_EQ(v.screenStart, 0);
    // Anchor 4 places the cursors 20, 200 and 400 pixels into the window.
    v.zoomAnchor = 4;
    v.screenStart = 1000;
    const AnchorPlacement p = zoomWithAnchor(s, 0, 8);
    EXPECT_EQ(p.cursorA, 1200);
    EXPECT_EQ(p.cursorB, 3000);
    EXPECT_EQ(p.trigger, 5000);
    s.triggerDelayMode = true;
    EXPECT_FALSE(zoomWithAnchor(s, 0, 8).trigger.has_value());
    // Steps 12 and 13; others leave 50 and 1.
    applyZoomStep(s, 0, 12);
    EXPECT_DOUBLE_EQ(v.samplesPerDivision, 10000);
    applyZoomStep(s, 0, 13);
    EXPECT_DOUBLE_EQ(v.samplesPerPixel, 500);
    applyZoomStep(s, 0, 14);
    EXPECT_DOUBLE_EQ(v.samplesPerDivision, 50);
}

TEST(ViewModel, TextsOfTheView) {
    EXPECT_EQ(trackToolTip(3), "Group3 name");
    EXPECT_EQ(trackToolTip(30 + 17), "Edit channel D17 name");
    EXPECT_EQ(viewCaption(0, 1234), "Timing view 1     time of last data=1234ms");
    EXPECT_EQ(viewCaption(9, 5), "Timing view 10    time of last data=5ms");
}

TEST(ViewModel, StateListingTexts) {
    ProgramState s;
    s.setDefaultTables();
    GroupTables &g = s.groups;
    const uint8_t v[4] = {0x4B, 0x05, 0x41, 0};
    char binary[32];
    for (int l = 0; l < 32; ++l)
        binary[l] = ((0x41054Bu >> l) & 1) ? '1' : '0';
    EXPECT_EQ(listingText(g, 0, v, binary, 1000), "41054B");  // hexadecimal, 24 bits
    EXPECT_EQ(listingText(g, 1, v, binary, 1000), std::to_string(0x41054B));
    EXPECT_EQ(listingText(g, 2, v, binary, 1000), "AK");  // 0x05 < 20 gives nothing
    EXPECT_EQ(listingText(g, 3, v, binary, 1000), "010000010000010101001011");
    EXPECT_EQ(listingText(g, 4, v, binary, 1), "/WRITE  ");
    EXPECT_EQ(listingText(g, 4, v, binary, 1000), "");
    g.topBit[0] = 7;
    EXPECT_EQ(listingText(g, 0, v, binary, 1000), "4B");
    const uint8_t small[4] = {0x0F, 0, 0, 0};
    EXPECT_EQ(listingText(g, 0, small, binary, 1000), "0F");
}

TEST(ViewModel, ReversedBarReachesEveryValueFromMinToMax) {
    // HScroll7 at "2k": Min (2 + 100) x 512 = 52224 above Max 32767. The left end is Min,
    // the right end Max, one slider step per value.
    const BarRange delay{52224, 32767};
    EXPECT_TRUE(delay.reversed());
    EXPECT_EQ(delay.steps(), 19457);
    EXPECT_EQ(delay.toPosition(52224), 0);
    EXPECT_EQ(delay.toPosition(32767), 19457);
    EXPECT_EQ(delay.fromPosition(0), 52224);
    EXPECT_EQ(delay.fromPosition(1), 52223);
    EXPECT_EQ(delay.fromPosition(19457), 32767);
    EXPECT_EQ(delay.fromPosition(19458), 32767);  // past the right end
    EXPECT_EQ(delay.clamp(0), 32767);             // below both: the nearer end, Max
    EXPECT_EQ(delay.clamp(60000), 52224);
    for (int32_t v : {32767, 32768, 40000, 52223, 52224})
        EXPECT_EQ(delay.fromPosition(delay.toPosition(v)), v);
    // A bar in the usual order is unchanged.
    const BarRange screen{0, 2015};
    EXPECT_FALSE(screen.reversed());
    EXPECT_EQ(screen.toPosition(700), 700);
    EXPECT_EQ(screen.fromPosition(2015), 2015);
    EXPECT_EQ(screen.clamp(-4), 0);
    // "128k": Min (256 + 100) x 512 = 182272.
    EXPECT_EQ((BarRange{182272, 32767}.steps()), 149505);
}

TEST(ViewModel, DepthChangeKeepsTheDelayInsideItsBar) {
    ProgramState s;
    s.views[0].triggerDelay = 0;  // never set: outside the reversed range
    applyMemoryDepth(s);
    EXPECT_EQ(s.views[0].delayBarMin, 52224);
    EXPECT_EQ(s.views[0].triggerDelay, 32767);
    // Label8 = "-" & (Max - delay + 512 / 2 + 28).
    EXPECT_EQ(delayLabelText(s.views[0]), "-284");
    s.views[0].triggerDelay = 52224;
    EXPECT_EQ(delayLabelText(s.views[0]), "--19173");
    s.settings.memoryDepthIndex = 1;
    s.views[0].triggerDelay = 150000;
    applyMemoryDepth(s);
    EXPECT_EQ(s.views[0].delayBarMin, 182272);
    EXPECT_EQ(s.views[0].triggerDelay, 150000);
}

TEST(ViewModel, PositionsAboveTheBarMaxAreLowered) {
    ViewState v;
    v.barMax = 2015;
    v.cursorA = 2016;  // the last start: one above the bar's Max
    v.cursorB = 2015;
    v.triggerCursor = 4000;
    v.screenStart = 2016;
    lowerToBarMax(v);
    EXPECT_EQ(v.cursorA, 2015);
    EXPECT_EQ(v.cursorB, 2015);
    EXPECT_EQ(v.triggerCursor, 2015);
    EXPECT_EQ(v.screenStart, 2015);
}

TEST(ViewModel, ZoomRatioIsExactAtEveryStep) {
    // Samples per pixel of the thirteen steps, from the zoom table.
    const double perPixel[13] = {1.0 / 50, 1.0 / 20, 1.0 / 10, 1.0 / 5, 1.0 / 2, 1,  2,
                                 5,        10,       20,       50,      100,     200};
    for (int i = 0; i < 13; ++i) {
        const ZoomRatio z = ZoomRatio::ofStep(i);
        // Every whole number of pixels that holds whole samples gives them exactly.
        for (int px : {0, 50, 100, 560, 1000})
            EXPECT_DOUBLE_EQ(z.toSamples(px), std::round(px * perPixel[i] * 1e6) / 1e6) << i;
        EXPECT_EQ(z.toPixels(z.toSamples(500)), 500) << i;
    }
    EXPECT_EQ(ZoomRatio::ofStep(7).toSamples(560), 2800);  // the float 0.2 gives 2799.99...
    EXPECT_EQ(ZoomRatio(0.0f).itemData, 1000);             // 0 reads as 1.0
    EXPECT_EQ(ZoomRatio(0.1f).itemData, 100);
}

TEST(ViewModel, NarrowRowsWrap) {
    // Four pairs of 124 pixels and two selectors of 120, gap 6.
    const std::vector<int> widths = {124, 124, 124, 124, 120, 120};
    Flow wide = flowItems(widths, 900, 6, 24);
    EXPECT_EQ(wide.lines, 1);
    EXPECT_EQ(wide.places[5].x, 4 * 130 + 126);
    Flow narrow = flowItems(widths, 300, 6, 24);
    EXPECT_EQ(narrow.lines, 3);  // 124 + 6 + 124 = 254 fits; a third would not
    EXPECT_EQ(narrow.places[2].x, 0);
    EXPECT_EQ(narrow.places[2].y, 24);
    EXPECT_EQ(narrow.places[5].x, 126);
    EXPECT_EQ(narrow.places[5].y, 48);
    Flow tiny = flowItems(widths, 100, 6, 24);  // every item on a line of its own
    EXPECT_EQ(tiny.lines, 6);
    EXPECT_EQ(tiny.places[0].y, 0);
    EXPECT_EQ(tiny.places[5].y, 5 * 24);
}
