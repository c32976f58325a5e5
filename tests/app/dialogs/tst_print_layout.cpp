// SPDX-License-Identifier: GPL-3.0-or-later
// How pictures and sample ranges go onto pages, worked out by hand from the page sizes.
#include <gtest/gtest.h>

#include "dialogs/print_layout.h"

using namespace kv::app;

TEST(PrintFit, OrientationFollowsThePicturesShape) {
    EXPECT_EQ(orientationFor(1000, 500), PageOrientation::Landscape);
    EXPECT_EQ(orientationFor(500, 1000), PageOrientation::Portrait);
    EXPECT_EQ(orientationFor(700, 700), PageOrientation::Portrait);  // square: portrait
    EXPECT_EQ(orientationFor(701, 700), PageOrientation::Landscape);
}

TEST(PrintFit, EightNinthsOfTheHeightAndTheRatioKept) {
    // Printable 2700 x 1800: usable height 1600, printer ratio 27/16.
    // A picture of exactly that ratio takes the whole width and the usable height.
    PrintedSize s = fitToPage(270, 160, 2700, 1800);
    EXPECT_DOUBLE_EQ(s.width, 2700);
    EXPECT_DOUBLE_EQ(s.height, 1600);
    // Wider: full width, height 2700 / 4.
    s = fitToPage(400, 100, 2700, 1800);
    EXPECT_DOUBLE_EQ(s.width, 2700);
    EXPECT_DOUBLE_EQ(s.height, 675);
    // Taller than the ratio: the usable height, width 1600 x 1.5.
    s = fitToPage(300, 200, 2700, 1800);
    EXPECT_DOUBLE_EQ(s.height, 1600);
    EXPECT_DOUBLE_EQ(s.width, 2400);
    // Portrait page 1830 x 2670: usable 2373.33; a 1 x 3 picture is 791.11 wide.
    s = fitToPage(100, 300, 1830, 2670);
    EXPECT_NEAR(s.height, 2373.333, 0.001);
    EXPECT_NEAR(s.width, 791.111, 0.001);
    // Nothing to place.
    s = fitToPage(0, 300, 1830, 2670);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.height, 0);
}

TEST(PrintFit, PreviewKeepsTheRatioInsideTheBox) {
    PrintedSize s = fitKeepingRatio(400, 200, 300, 300);  // width bound
    EXPECT_DOUBLE_EQ(s.width, 300);
    EXPECT_DOUBLE_EQ(s.height, 150);
    s = fitKeepingRatio(100, 400, 300, 300);  // height bound
    EXPECT_DOUBLE_EQ(s.width, 75);
    EXPECT_DOUBLE_EQ(s.height, 300);
    s = fitKeepingRatio(10, 10, 300, 200);  // a small picture grows to the box
    EXPECT_DOUBLE_EQ(s.width, 200);
    EXPECT_DOUBLE_EQ(s.height, 200);
}

TEST(PrintFit, TwipsToDevicePixels) {
    // 800 twips = 5/9 inch: at 254 dots to the inch 141.11 pixels; 1440 twips one inch.
    EXPECT_NEAR(twipsToPixels(kPictureTopTwips, 254), 141.111, 0.001);
    EXPECT_DOUBLE_EQ(twipsToPixels(1440, 600), 600);
}

TEST(RangePages, PagesForARangeAndAZoom) {
    // 900 columns a page over samples 0..2047.
    // Magnify 1: 900 samples a page: 900, 900, 248.
    auto p = rangePages(0, 2047, 1000, 900);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].first, 900);
    EXPECT_EQ(p[2].first, 1800);
    EXPECT_EQ(p[2].samples, 248);
    EXPECT_EQ(p[2].columns, 248);
    // Magnify 2: 450 samples a page: 4 full pages and 248 samples on 496 columns.
    p = rangePages(0, 2047, 2000, 900);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[4].first, 1800);
    EXPECT_EQ(p[4].columns, 496);
    // Magnify 1/2: 1800 samples a page; the last 248 samples need 124 columns.
    p = rangePages(0, 2047, 500, 900);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[1].first, 1800);
    EXPECT_EQ(p[1].columns, 124);
    // Magnify 1/5 over 7 samples: one column of 5, one of 2.
    p = rangePages(10, 16, 200, 900);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].columns, 2);
    // Magnify 50 on 120 columns: 2 samples a page; the odd one alone.
    p = rangePages(100, 104, 50000, 120);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[2].first, 104);
    EXPECT_EQ(p[2].columns, 50);
    // Magnify 50 on fewer columns than one sample takes: a sample a page all the same.
    EXPECT_EQ(rangePages(0, 3, 50000, 40).size(), 4u);
    // A single sample, and no range at all.
    EXPECT_EQ(rangePages(7, 7, 1000, 900).size(), 1u);
    EXPECT_TRUE(rangePages(8, 7, 1000, 900).empty());
}

TEST(RangePages, TypedRangesAreChecked) {
    RangeInput in = checkRange(" 100", "2047 ", 2048);
    EXPECT_TRUE(in.ok);
    EXPECT_EQ(in.first, 100);
    EXPECT_EQ(in.last, 2047);
    in = checkRange("100", "2048", 2048);
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(in.error, "The last sample must lie between 0 and 2047.");
    in = checkRange("1x", "20", 2048);
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(in.error, "The first sample \"1x\" is not a whole number.");
    in = checkRange("", "20", 2048);
    EXPECT_FALSE(in.ok);
    in = checkRange("-1", "20", 2048);
    EXPECT_EQ(in.error, "The first sample must lie between 0 and 2047.");
    in = checkRange("30", "20", 2048);
    EXPECT_EQ(in.error, "The first sample lies after the last.");
}
