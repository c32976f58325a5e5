// SPDX-License-Identifier: GPL-3.0-or-later
// The export's arithmetic: range clipping, the voltage formatter and the vertical scale.
#include <gtest/gtest.h>

#include "dialogs/sheet_export.h"
#include "main/voltage_text.h"

using namespace kv::app;

TEST(SheetRange, AtMost65534RowsAndNoFurtherThanTheRecord) {
    const auto last = [](int64_t first, int64_t to, int64_t length) {
        return clipRange(first, to, length).last;
    };
    EXPECT_EQ(last(0, 70000, 131072), 65533);
    EXPECT_EQ(last(0, 65533, 131072), 65533);
    EXPECT_EQ(last(1000, 70000, 131072), 66533);
    EXPECT_EQ(last(0, 100, 2048), 100);
    EXPECT_EQ(last(0, 70000, 2048), 2047);
    EXPECT_EQ(last(0, 2047, 2048), 2047);
    EXPECT_EQ(last(100000, 200000, 131072), 131071);
    EXPECT_EQ(clipRange(3000, 4000, 2048).first, 3000);  // nothing left: first > last
}

TEST(VoltageText, PatternAndUnitByMagnitude) {
    EXPECT_EQ(voltageText(0.5), ".5mV");
    EXPECT_EQ(voltageText(-2), "-2.mV");
    EXPECT_EQ(voltageText(-0.4), "-.4mV");
    EXPECT_EQ(voltageText(999.999), "999.999mV");
    EXPECT_EQ(voltageText(1234.5), "1.235 V");
    EXPECT_EQ(voltageText(-80000), "-80. V");
    EXPECT_EQ(voltageText(2500000), "2.5KV");
    EXPECT_EQ(voltageText(1e12), "");
    EXPECT_EQ(voltageText(-1e12), "");
}

TEST(VoltageText, VerticalScaleByRangeCodeAndInput) {
    EXPECT_EQ(verticalScale(1, 0, 7), 400);
    EXPECT_EQ(verticalScale(1, 3, 7), 4000);
    EXPECT_EQ(verticalScale(2, 16, 7), 80'000'000);
    EXPECT_EQ(verticalScale(1, 17, 7), 7);  // unknown code: unchanged
    EXPECT_EQ(verticalScale(37, 3, 7), 50000);
}

// Cells as a spreadsheet would hold them.
namespace {
struct Cells : CellSink {
    std::map<std::pair<int, int>, std::string> cells;
    void number(int row, int column, double value) override {
        cells[{row, column}] = "#" + std::to_string(static_cast<long long>(value));
    }
    void text(int row, int column, const std::string &text) override {
        cells[{row, column}] = text;
    }
};
}  // namespace

TEST(SheetExport, AbortStopsBeforeTheNextRowAndSamplesPastTheRecordStayEmpty) {
    uint8_t plane[8] = {10, 11, 12, 13, 14, 15, 16, 17};
    SheetSource source;
    source.planes = {plane, plane, plane};
    source.available = 8;
    source.origin = 2;
    SheetChoice choice;
    choice.section[2] = true;
    choice.format[2] = {true, false, false, true};
    Cells sink;
    SheetExport sheet(choice, source, {3, 7}, sink);
    EXPECT_EQ(sheet.rowsTotal(), 5);
    ASSERT_TRUE(sheet.start());
    EXPECT_TRUE(sheet.writeRow());  // i = 3: sample 6
    EXPECT_TRUE(sheet.writeRow());  // i = 4: sample 7
    EXPECT_TRUE(sheet.writeRow());  // i = 5: sample 8, past the record
    sheet.abort();
    EXPECT_FALSE(sheet.writeRow());
    EXPECT_TRUE(sheet.aborted());
    const std::map<std::pair<int, int>, std::string> expected = {
        {{1, 0}, "Buffer( )"}, {{0, 1}, "L3"},  {{1, 1}, "Decimal"},
        {{1, 2}, "Unit(v)"},   {{2, 0}, "#3"},  {{2, 1}, "#16"},
        {{3, 0}, "#4"},        {{3, 1}, "#17"}, {{4, 0}, "#5"}};
    EXPECT_EQ(sink.cells, expected);
    EXPECT_EQ(sheet.rowsWritten(), 3);
}
