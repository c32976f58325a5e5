// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder rows: where annotations are drawn at different zooms, which text fits, what a
// click finds, and the annotation list with its search and CSV.
#include <gtest/gtest.h>

#include "timing/decoder_rows.h"

using namespace kv::app;

namespace {

// One UART receive row: 4B over samples 100..139, 56 over 180..219; a warning row.
ViewAnnotations twoBytes() {
    kv::decode::DecodeResult r;
    r.rows = {{0, 0, "uart-1", "UART: RX"}, {0, 1, "uart-1", "UART: RX warnings"}};
    r.annotations = {{180, 220, 0, 0, 0, {"56", "V"}},
                     {100, 140, 0, 0, 0, {"4B", "K"}},
                     {150, 151, 0, 10, 1, {"Frame error", "FE"}}};
    return arrangeRows({r});
}

// Seven pixels a character.
int sevenEach(const std::string &t) {
    return 7 * static_cast<int>(t.size());
}

}  // namespace

TEST(DecoderRows, RowsHoldTheirAnnotationsInTimeOrder) {
    ViewAnnotations v = twoBytes();
    ASSERT_EQ(v.rows.size(), 2u);
    EXPECT_EQ(v.rows[0].name.title, "UART: RX");
    EXPECT_EQ(v.rows[0].byStart, (std::vector<size_t>{1, 0}));
    EXPECT_EQ(v.rows[1].byStart, (std::vector<size_t>{2}));
}

TEST(DecoderRows, BoxesAtTwoZooms) {
    ViewAnnotations v = twoBytes();
    // Magnify 1, picture from sample 90: 4B from x 10 to 49, 56 from 90 to 129.
    auto boxes = rowBoxes(v, v.rows[0], 90, 1.0, 400, sevenEach);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].x0, 10);
    EXPECT_EQ(boxes[0].x1, 49);
    EXPECT_EQ(boxes[0].text, "4B");
    EXPECT_EQ(boxes[0].annotation, 1u);
    EXPECT_EQ(boxes[1].x0, 90);
    EXPECT_EQ(boxes[1].x1, 129);
    // Magnify 1/5: 4B from floor(10 x 0.2) = 2 to ceil(50 x 0.2) - 1 = 9, 56 from 18 to 25;
    // four pixels are too few for any text.
    boxes = rowBoxes(v, v.rows[0], 90, 0.2, 400, sevenEach);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].x0, 2);
    EXPECT_EQ(boxes[0].x1, 9);
    EXPECT_EQ(boxes[0].text, "");
    EXPECT_EQ(boxes[1].x0, 18);
    EXPECT_EQ(boxes[1].x1, 25);
    // Magnify 5 from sample 130: 4B began before the picture and ends at x 49; 56 starts at
    // x 250 and runs past the right end (399).
    boxes = rowBoxes(v, v.rows[0], 130, 5.0, 400, sevenEach);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].x0, 0);
    EXPECT_EQ(boxes[0].x1, 49);
    EXPECT_EQ(boxes[1].x0, 250);
    EXPECT_EQ(boxes[1].x1, 399);
    // Magnify 1/200: both fall in pixel 0 and are drawn as one box without text.
    boxes = rowBoxes(v, v.rows[0], 90, 0.005, 400, sevenEach);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].x0, 0);
    EXPECT_EQ(boxes[0].text, "");
    // Past the last annotation nothing is drawn.
    EXPECT_TRUE(rowBoxes(v, v.rows[0], 300, 1.0, 400, sevenEach).empty());
}

TEST(DecoderRows, TextShortenedToFit) {
    const std::vector<std::string> i2c{"Address write: 50", "AW: 50", "AW"};
    EXPECT_EQ(fittedText(i2c, 200, sevenEach), "Address write: 50");
    EXPECT_EQ(fittedText(i2c, 50, sevenEach), "AW: 50");
    EXPECT_EQ(fittedText(i2c, 20, sevenEach), "AW");
    // "Start bit" is 63 pixels; in 40 only "St..." (35) fits.
    EXPECT_EQ(fittedText({"Start bit"}, 40, sevenEach), "St...");
    EXPECT_EQ(fittedText({"Start bit"}, 20, sevenEach), "");
    // A two-byte character is never cut in half: "ÄÄÄ" cut to fit keeps a whole "Ä".
    EXPECT_EQ(fittedText({"\xC3\x84\xC3\x84\xC3\x84"}, 35, sevenEach), "\xC3\x84...");
}

TEST(DecoderRows, ClickFindsTheBoxUnderThePointer) {
    ViewAnnotations v = twoBytes();
    auto boxes = rowBoxes(v, v.rows[0], 90, 1.0, 400, sevenEach);
    EXPECT_EQ(boxAt(boxes, 10), 0);
    EXPECT_EQ(boxAt(boxes, 49), 0);
    EXPECT_EQ(boxAt(boxes, 50), -1);
    EXPECT_EQ(boxAt(boxes, 129), 1);
}

TEST(AnnotationList, TimesFromTheTriggerSearchAndCsv) {
    // Trigger at sample 120, samples 1 us apart.
    auto entries = annotationEntries(twoBytes(), 120, 1'000'000);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].time, "-0.000020000000");
    EXPECT_EQ(entries[0].text, "4B");
    EXPECT_EQ(entries[1].row, "UART: RX warnings");
    EXPECT_EQ(entries[2].time, "0.000060000000");
    EXPECT_EQ(findAnnotations(entries, "4b"), (std::vector<size_t>{0}));
    EXPECT_EQ(findAnnotations(entries, "ERROR"), (std::vector<size_t>{1}));
    EXPECT_TRUE(findAnnotations(entries, "").empty());
    EXPECT_EQ(annotationListCsv(entries),
              "Time (s),Row,Text\n"
              "-0.000020000000,UART: RX,4B\n"
              "0.000030000000,UART: RX warnings,Frame error\n"
              "0.000060000000,UART: RX,56\n");
}
