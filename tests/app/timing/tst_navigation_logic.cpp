// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic behind the wheel and the keys of a timing view, worked by hand.
#include <gtest/gtest.h>

#include "timing/navigation.h"

using namespace kv::app;

namespace {
ZoomRatio step(int i) {
    return ZoomRatio::ofStep(i);
}
}  // namespace

TEST(Navigation, WheelDeltasMakeWholeNotches) {
    WheelNotches w;
    EXPECT_EQ(w.feed(120), 1);
    EXPECT_EQ(w.feed(240), 2);
    EXPECT_EQ(w.feed(60), 0);  // half a notch waits
    EXPECT_EQ(w.feed(60), 1);
    EXPECT_EQ(w.feed(-40), 0);
    EXPECT_EQ(w.feed(-80), -1);
    EXPECT_EQ(w.feed(100), 0);  // turned back before a notch was full: nothing
    EXPECT_EQ(w.feed(-100), 0);
    EXPECT_EQ(w.feed(-119), 0);
    EXPECT_EQ(w.feed(-1), -1);
}

TEST(Navigation, ZoomStepsStayInTheList) {
    EXPECT_EQ(neighbourZoomStep(5, -1), 4);  // "Magnify 1" -> "Magnify 2"
    EXPECT_EQ(neighbourZoomStep(5, 1), 6);
    EXPECT_EQ(neighbourZoomStep(0, -1), 0);  // "Magnify 50" is the last
    EXPECT_EQ(neighbourZoomStep(12, 1), 12);
    EXPECT_EQ(neighbourZoomStep(11, 3), 12);
}

TEST(Navigation, SampleUnderThePointerStaysThere) {
    // "Magnify 1/5": 5 samples a pixel; pixel 560 is sample 1000 + 2800 exactly.
    EXPECT_EQ(sampleAtPixel(1000, 560, step(7)), 3800);
    // "Magnify 5": pixel 333 lies in sample 66 after the start (66.6).
    EXPECT_EQ(sampleAtPixel(1000, 333, step(3)), 1066);
    // Magnify 5 -> 10 at pixel 333: 1066 - floor(33.3) = 1033; 1033 + 33.3 is in 1066.
    EXPECT_EQ(startKeepingPixel(1000, 333, step(3), step(2)), 1033);
    // Magnify 1/10 -> 1/5: sample 1000 + 3330 = 4330; 4330 - 1665 = 2665.
    EXPECT_EQ(startKeepingPixel(1000, 333, step(8), step(7)), 2665);
    // Magnify 1 -> 1/2 at pixel 400 from 0: 400 - 800 (the zoom change clamps it to 0).
    EXPECT_EQ(startKeepingPixel(0, 400, step(5), step(6)), -400);
    // Magnify 1 -> 2 at pixel 400: 400 - 200.
    EXPECT_EQ(startKeepingPixel(0, 400, step(5), step(4)), 200);
    // Every step of the list, zooming in and out at pixel 250 from start 5000: the sample
    // under the pointer is the same before and after.
    for (int from = 0; from < 13; ++from) {
        for (const int to : {from - 1, from + 1}) {
            if (to < 0 || to > 12) continue;
            const int32_t before = sampleAtPixel(5000, 250, step(from));
            const int32_t start = startKeepingPixel(5000, 250, step(from), step(to));
            EXPECT_EQ(sampleAtPixel(start, 250, step(to)), before) << from << " -> " << to;
        }
    }
}

TEST(Navigation, ScrollAmountsAndLimits) {
    // A 600-pixel picture: at "Magnify 1" a tenth is 60 samples, a whole width 600.
    EXPECT_EQ(scrollSamples(600, step(5), false), 60);
    EXPECT_EQ(scrollSamples(600, step(5), true), 600);
    // "Magnify 1/200": 120 000 samples wide.
    EXPECT_EQ(scrollSamples(600, step(12), false), 12000);
    // "Magnify 50": 12 samples wide, a tenth rounds down to 1.
    EXPECT_EQ(scrollSamples(600, step(0), true), 12);
    EXPECT_EQ(scrollSamples(600, step(0), false), 1);
    EXPECT_EQ(scrollSamples(5, step(0), false), 1);  // never 0: a key always moves
    EXPECT_EQ(movedBarValue(1000, 60, 2015), 1060);
    EXPECT_EQ(movedBarValue(30, -60, 2015), 0);
    EXPECT_EQ(movedBarValue(2000, 600, 2015), 2015);
    EXPECT_EQ(movedBarValue(100, -5, -1), 0);  // no record yet
    // The trigger in the middle: 300 pixels to its left.
    EXPECT_EQ(centredStart(1000, 600, step(5), 2015), 700);
    EXPECT_EQ(centredStart(60000, 600, step(8), 131039), 57000);
    EXPECT_EQ(centredStart(100, 600, step(5), 2015), 0);
}

TEST(Navigation, TheZoomStepThatFitsTheRecord) {
    // 2K in 600 pixels: "Magnify 1/2" needs 1024, "Magnify 1/5" 410 (409.6 rounded up).
    EXPECT_EQ(fittingZoomStep(2048, 600), 7);
    EXPECT_EQ(fittingZoomStep(2048, 2048), 5);  // exactly one pixel a sample
    EXPECT_EQ(fittingZoomStep(2048, 2047), 6);
    EXPECT_EQ(fittingZoomStep(2048, 41), 10);  // "Magnify 1/50": 40.96 -> 41 pixels
    EXPECT_EQ(fittingZoomStep(2048, 40), 11);  // "Magnify 1/100": 21 pixels
    // 128K: "Magnify 1/100" needs 1311 pixels, "Magnify 1/200" 656.
    EXPECT_EQ(fittingZoomStep(131072, 1400), 11);
    EXPECT_EQ(fittingZoomStep(131072, 656), 12);
    EXPECT_EQ(fittingZoomStep(131072, 600), 12);  // none fits: the widest step
}
