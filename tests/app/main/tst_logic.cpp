// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/detection.h"
#include "core/number_format.h"
#include "core/trigger_word.h"
#include "fake_device.h"
#include "main/memory_check.h"
#include "main/window_tiling.h"

using namespace kv::app;

TEST(MemoryCheck, ViewsByMemoryAndTheBox) {
    const uint64_t mb = 1048576;
    // 128 MB: two views whatever the box says.
    EXPECT_EQ(confirmedViews(memoryCheck(128 * mb, 10), true), 1);
    EXPECT_EQ(confirmedViews(memoryCheck(128 * mb, 10), false), 1);
    // 1 GB at 30 %: A = 1024 / 100 x 70 = 716.8 MB: ten views when checked.
    EXPECT_EQ(confirmedViews(memoryCheck(1024 * mb, 30), true), 9);
    EXPECT_EQ(confirmedViews(memoryCheck(1024 * mb, 30), false), 1);
    // 600 MB at 50 %: A = 300 < 400: four views.
    EXPECT_EQ(confirmedViews(memoryCheck(600 * mb, 50), true), 3);
    // 300 MB at 90 %: A = 30 < 64: two views.
    EXPECT_EQ(confirmedViews(memoryCheck(300 * mb, 90), true), 1);
    EXPECT_EQ(confirmedViews(memoryCheck(300 * mb, 50), true), 3);
}

TEST(MemoryCheck, Texts) {
    const MemoryCheck c = memoryCheck(1024ull * 1048576, 30);
    EXPECT_EQ(c.systemText, "System memory size is 1,048,576KB");
    EXPECT_EQ(c.availableText, "Available memory  is 70%");
    EXPECT_EQ(c.checkText, " Open  10 timings when it has enough available memory.");
    EXPECT_EQ(c.openText,
              "Open 2 sets timing.  it can open more timing by increasing memory and choosed "
              "checked in following.");
}

TEST(NumberFormat, Patterns) {
    EXPECT_EQ(formatNumber(100, "###.##"), "100.");
    EXPECT_EQ(formatNumber(0.5, "###.##"), ".5");
    EXPECT_EQ(formatNumber(12.345, "###.##"), "12.35");  // rounded half away from zero
    EXPECT_EQ(formatNumber(12.344, "###.##"), "12.34");
    EXPECT_EQ(formatNumber(-3.25, "###.##"), "-3.25");
    EXPECT_EQ(formatNumber(1, "#####.##"), "1.");
    EXPECT_EQ(formatNumber(0.0005, "###.###"), ".001");
    EXPECT_EQ(formatNumber(24576000, "###,###,###"), "24,576,000");
    EXPECT_EQ(formatNumber(999, "###,###,###"), "999");
    EXPECT_EQ(formatNumber(1000, "###,###,###"), "1,000");
    EXPECT_EQ(formatNumber(0, "###,###,###"), "");
    EXPECT_EQ(formatNumber(7, "0.00"), "7.00");
    EXPECT_EQ(withSignBlank(0), " 0");
    EXPECT_EQ(withSignBlank(12), " 12");
    EXPECT_EQ(withSignBlank(-4), "-4");
}

TEST(TriggerWord, NormaliseAndCharacters) {
    EXPECT_EQ(normaliseTriggerWord("12 ab"), "1XXXX  ");
    EXPECT_EQ(normaliseTriggerWord("0101xx11 1 000000 11111111"), "0101XX11 1X000000 11111111");
    EXPECT_EQ(normaliseTriggerWord("XXXXXXXX1XXXXXXXX"), "XXXXXXXX XXXXXXXX ");
    std::array<uint8_t, 41> chars{};
    // A "1" typed at the separator (position 9) is undone by the check before the
    // characters are rebuilt.
    rebuildTriggerWordChars(normaliseTriggerWord("10XXXXXX1XXXXXXXX XXXXXXX0"), chars);
    EXPECT_EQ(chars[0], 0x31);
    EXPECT_EQ(chars[1], 0x30);
    EXPECT_EQ(chars[2], 0x78);
    EXPECT_EQ(chars[8], 0x78);
    EXPECT_EQ(chars[17], 0x78);
    EXPECT_EQ(chars[25], 0x30);
}

TEST(Detection, TextsForEveryOutcome) {
    struct Case {
        uint8_t found, kind;
        std::string tail;
        uint16_t base;
    };
    const Case cases[] = {
        {1, 1, "378 Epp Port be connected", 0x378},
        {2, 1, "278 Epp Port be connected", 0x278},
        {2, 2, "278 Bpp Port be connected", 0x278},
        {3, 2, "3BC Bpp Port be connected", 0x3BC},
        {4, 3, "Usb1.1 Port be connected", 0x1234},
        {4, 4, "Usb2.0 Port be connected", 0x1234},
        {0, 0, "No Any Port be connected\r\n\nPress 'Cancel button' for Demo mode", 0x1234}};
    for (const Case &c : cases) {
        kvtest::FakeDevice device;
        device.findResult = c.found;
        device.linkKind = c.kind;
        ProgramState state;
        state.portBase = 0x1234;
        const DetectionResult r = detectHardware(state, device, "6.1.0-test");
        EXPECT_EQ(r.message,
                  "Linux 6.1.0-test. \r\nInterface: BPP/EPP/Usb1.1/Usb2.0 support\r\n\n" + c.tail);
        EXPECT_EQ(state.hardwarePresent, c.found ? 1 : 0);
        EXPECT_EQ(state.unitCode, c.found ? 15 : 0);
        EXPECT_EQ(state.portBase, c.base);
        EXPECT_EQ(state.stateBlock[1007], c.kind >= 3 ? 4 : 0);
        EXPECT_EQ(device.lastPlatform, 1u);
    }
}

TEST(Detection, DemonstrationMode) {
    kvtest::FakeDevice device;
    ProgramState state;
    startDemonstration(state, device);
    EXPECT_EQ(device.demos, 1);
    EXPECT_TRUE(state.demonstration);
    EXPECT_EQ(state.hardwarePresent, 0);
    EXPECT_EQ(state.librarySelector, 1);
}

TEST(WindowTiling, HorizontalStripsAndVerticalColumns) {
    // Three windows over 1000 x 700: strips of 233, 233 and 234 pixels.
    auto strips = tileWindows(3, 1000, 700, true);
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_EQ(strips[0].y, 0);
    EXPECT_EQ(strips[1].y, 233);
    EXPECT_EQ(strips[2].y, 466);
    for (const WindowRect &r : strips) {
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.width, 1000);
    }
    EXPECT_EQ(strips[2].y + strips[2].height, 700);
    auto columns = tileWindows(3, 1000, 700, false);
    EXPECT_EQ(columns[0].x, 0);
    EXPECT_EQ(columns[1].x, 333);
    EXPECT_EQ(columns[2].x, 666);
    EXPECT_EQ(columns[2].x + columns[2].width, 1000);
    for (const WindowRect &r : columns) {
        EXPECT_EQ(r.y, 0);
        EXPECT_EQ(r.height, 700);
    }
}

TEST(WindowTiling, IconsAlongTheBottom) {
    // Icons of 160 x 30 in an area 400 wide: two to a row, the third above.
    auto icons = iconPlaces(3, 400, 700, 160, 30);
    EXPECT_EQ(icons[0].x, 0);
    EXPECT_EQ(icons[0].y, 670);
    EXPECT_EQ(icons[1].x, 160);
    EXPECT_EQ(icons[1].y, 670);
    EXPECT_EQ(icons[2].x, 0);
    EXPECT_EQ(icons[2].y, 640);
}
