// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/system_info.h"

using namespace kv::platform;

TEST(SystemInfo, MemInfoGivesTotalAndLoad) {
    const char *text =
        "MemTotal:        1048576 kB\n"
        "MemFree:          100000 kB\n"
        "MemAvailable:     734003 kB\n";
    MemoryStatus status;
    ASSERT_TRUE(parseMemInfo(text, status));
    EXPECT_EQ(status.totalBytes, 1048576ull * 1024);
    // 734003 * 100 / 1048576 = 69 (truncated), load 31
    EXPECT_EQ(status.loadPercent, 31);
}

TEST(SystemInfo, MemInfoWithoutAvailableUsesFree) {
    MemoryStatus status;
    ASSERT_TRUE(parseMemInfo("MemTotal: 1000 kB\nMemFree: 500 kB\n", status));
    EXPECT_EQ(status.loadPercent, 50);
}

TEST(SystemInfo, MemInfoWithoutTotalIsRefused) {
    MemoryStatus status;
    EXPECT_FALSE(parseMemInfo("MemFree: 500 kB\n", status));
    EXPECT_FALSE(parseMemInfo("", status));
}

TEST(SystemInfo, ThisMachineAnswers) {
    EXPECT_GT(memoryStatus().totalBytes, 0u);
    const OsVersion v = osVersion();
    EXPECT_EQ(v.platformId, 1);
    EXPECT_FALSE(v.release.empty());
}
