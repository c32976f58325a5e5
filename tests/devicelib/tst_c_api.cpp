// SPDX-License-Identifier: GPL-3.0-or-later
// The shared library through its C entry points, as the program binds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "kv68dll.h"

namespace {

struct Blocks {
    std::vector<uint8_t> selection = std::vector<uint8_t>(KV68_SELECTION_BLOCK_SIZE, 0);
    std::vector<uint8_t> state = std::vector<uint8_t>(KV68_STATE_BLOCK_SIZE, 0);
};

// One whole capture with the arguments the program passes (positions as documented).
uint8_t captureOnce(Blocks &b, std::vector<uint8_t> (&planes)[3], const char *word,
                    int32_t position, int32_t offsets[3]) {
    uint16_t threshold = 20;
    uint8_t depthByte = 0, zero = 0;
    int32_t lengths[3] = {2048, 2048, 2048};
    StartCapture1(planes[0].data(), planes[1].data(), planes[2].data(), nullptr, nullptr, nullptr,
                  0, 0x3BC, b.selection.data(), b.state.data(), 1, 0, 0,
                  reinterpret_cast<intptr_t>(&depthByte), 3, reinterpret_cast<intptr_t>(&zero),
                  reinterpret_cast<intptr_t>(&zero), position, 0, 0, 4, 0, 3,
                  reinterpret_cast<intptr_t>(lengths), word, 0, reinterpret_cast<intptr_t>(&zero),
                  0, 0, reinterpret_cast<intptr_t>(&zero), 1, &threshold, 0);
    uint8_t status = 0;
    for (int i = 0; i < 5000 && status != 3; ++i) {
        status = GetTrigStat1(0x3BC, b.selection.data(), b.state.data());
        if (status != 3) {
            struct timespec ts {
                0, 1'000'000
            };
            nanosleep(&ts, nullptr);
        }
    }
    const uint8_t flags[3] = {1, 1, 1};
    EndCapture1(planes[0].data(), planes[1].data(), planes[2].data(), nullptr, nullptr, nullptr, 0,
                0, 0x3BC, b.selection.data(), b.state.data(), 0, flags, 3, 1, 0, 4, 3, 0, lengths,
                reinterpret_cast<intptr_t>(&zero), word, position, 0, 0, 1, offsets, 0);
    return status;
}

}  // namespace

TEST(CApi, VersionAndSmallEntryPoints) {
    char model[16] = {}, version[32] = {};
    EXPECT_FLOAT_EQ(GetDLLVersion(model, version), 0.1f);
    EXPECT_STREQ(model, "KV6830");
    EXPECT_STREQ(version, "DLL ver 0.100000");
    int32_t table[4] = {2048, 100, 30, 0};
    EXPECT_EQ(GetBufLenDisp(0, table, 20), 2027);   // 2048 - 20 - 1
    EXPECT_EQ(GetBufLenDisp(0, table, 500), 1997);  // reserve at most 50
    EXPECT_EQ(GetBufLenDisp(2, table, 40), 0);      // negative gives 0
    // A very negative entry stays negative: -2147483647 - 20 - 1 is below 0.
    int32_t low[1] = {-2147483647};
    EXPECT_EQ(GetBufLenDisp(0, low, 20), 0);
    // A negative reserve adds to the entry; past the 32-bit range the length stays the largest.
    int32_t high[1] = {2147483647};
    EXPECT_EQ(GetBufLenDisp(0, high, -30), 2147483647);
    EXPECT_EQ(GetBufLenDisp(0, high, 0), 2147483646);
    EXPECT_EQ(GetBufLenDisp(0, nullptr, 20), 0);  // no table
    // No record of destinations: nothing is read, nothing crashes.
    EXPECT_EQ(EndCapture(0, 0, 0x3BC, nullptr, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0, nullptr,
                         nullptr, 0, nullptr, 0, 0, 0, 0, nullptr, 0),
              0);
    SetBufLenFull(table, 3, 77);
    EXPECT_EQ(GetBufLenFull(table, 3), 77);
    EXPECT_EQ(SetupMemConfig(), 1);
    EXPECT_DOUBLE_EQ(GetRateNS(0, 30), 1e8);
    std::vector<uint8_t> state(KV68_STATE_BLOCK_SIZE, 0x11);
    EXPECT_EQ(SetClock(0, 0, 0, 0, state.data(), 4, 0, 0, 0), 1);
    EXPECT_EQ(state[0], 0x11);  // loaded and stored back unchanged
}

TEST(CApi, SimulatedUnitAttachedByTheEnvironment) {
    setenv("KV6830_SIMULATE", "epp:0x378", 1);
    Blocks b;
    EXPECT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 1);
    EXPECT_EQ(b.state[1008], 1);
    EXPECT_EQ(prt_dect(), 2);
}

TEST(CApi, DemonstrationUnitCompletesCaptures) {
    Blocks b;
    uint16_t family = 2;
    std::memcpy(b.selection.data() + 2018, &family, 2);
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), b.state.data()), 4);
    EXPECT_EQ(b.state[1007], 4);
    EXPECT_EQ(b.state[1008], 4);
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0xEE);
    int32_t offsets[3] = {-1, -1, -1};
    EXPECT_EQ(captureOnce(b, planes, "XXXXXXXX XXXXXXXX XXXXXXXX", 1024, offsets), 3);
    EXPECT_EQ(offsets[0], 8);
    // Dividers on plane 2: one count every two samples at 100 MHz.
    for (size_t i = 0; i + 2 < 2047; ++i) {
        ASSERT_EQ(static_cast<uint8_t>(planes[2][i] + 1), planes[2][i + 2]) << i;
    }
    EXPECT_EQ(planes[0][2047], 0xEE);

    EXPECT_EQ(captureOnce(b, planes, "XXXXXXXX XXXXXXXX 00010000", 1024, offsets), 3);
    // 16 samples after the nominal index, less the 0 to 3 the unit takes to see it; the
    // offset points at the count's step to 0x10.
    EXPECT_GE(offsets[1], 13);
    EXPECT_LE(offsets[1], 16);
    EXPECT_EQ(offsets[0], offsets[1]);
    const auto t = static_cast<size_t>(1024 + offsets[1]);
    EXPECT_EQ(planes[0][t], 0x10);
    EXPECT_EQ(planes[0][t - 1], 0x0F);
    PowerOff1(956);
}

TEST(CApi, ResetAfterDemonstrationSearchesTheRealLinks) {
    setenv("KV6830_SIMULATE", "none", 1);  // no unit anywhere
    Blocks b;
    EXPECT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 0);
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), b.state.data()), 4);
    EXPECT_EQ(b.state[1008], 4);
    // Reset: the search must not find the demonstration unit.
    EXPECT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 0);
    EXPECT_EQ(b.state[1007], 0);
    EXPECT_EQ(b.state[1008], 0);
    // Demonstration mode can be entered again, and captures complete.
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), b.state.data()), 4);
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0xEE);
    int32_t offsets[3] = {-1, -1, -1};
    EXPECT_EQ(captureOnce(b, planes, "XXXXXXXX XXXXXXXX XXXXXXXX", 1024, offsets), 3);
}

TEST(CApi, AfterDemonstrationTheUnitOnTheParallelPortIsFoundAgain) {
    setenv("KV6830_SIMULATE", "epp:0x378", 1);
    Blocks b;
    EXPECT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 1);
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), b.state.data()), 4);
    // Reset: the parallel port is the machine's again, with its unit.
    EXPECT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 1);
    EXPECT_EQ(b.state[1008], 1);
}

namespace {

struct Capture {
    uint32_t port = 0x3BC;
    uint32_t depthFlag = 0;
    uint32_t rateCode = 4;
    int32_t length = 2048;
    const char *word = "XXXXXXXX XXXXXXXX XXXXXXXX";
    int polls = 3000;
    int forceAt = -1;  // the poll before which the trigger is forced
    bool plainForce = false;
};

// One whole capture through the suffixed entry points, the arguments at their positions.
uint8_t capture(Blocks &b, std::vector<uint8_t> (&planes)[3], const Capture &c) {
    uint16_t threshold = 20;
    uint8_t zero = 0;
    int32_t lengths[3] = {c.length, c.length, c.length};
    int32_t offsets[3] = {-1, -1, -1};
    StartCapture1(planes[0].data(), planes[1].data(), planes[2].data(), nullptr, nullptr, nullptr,
                  0, c.port, b.selection.data(), b.state.data(), 1, c.depthFlag, 0, 0, 3, 0, 0,
                  1024, 0, 0, c.rateCode, 0, 3, reinterpret_cast<intptr_t>(lengths), c.word, 0,
                  reinterpret_cast<intptr_t>(&zero), 0, 0, 0, 1, &threshold, 0);
    uint8_t status = 0;
    for (int i = 0; i < c.polls && status != 3; ++i) {
        if (i == c.forceAt && c.plainForce)
            ForceTrigger(c.port, b.selection.data(), b.state.data());
        if (i == c.forceAt && !c.plainForce)
            ForceTrigger1(c.port, b.selection.data(), b.state.data());
        status = GetTrigStat1(c.port, b.selection.data(), b.state.data());
        if (status != 3) {
            struct timespec ts {
                0, 1'000'000
            };
            nanosleep(&ts, nullptr);
        }
    }
    const uint8_t flags[3] = {1, 1, 1};
    EndCapture1(planes[0].data(), planes[1].data(), planes[2].data(), nullptr, nullptr, nullptr, 0,
                0, c.port, b.selection.data(), b.state.data(), 0, flags, 3, 1, 0, 4, 3, 0, lengths,
                0, c.word, 1024, 0, 0, 1, offsets, 0);
    return status;
}

}  // namespace

TEST(CApi, EppCapturesFollowTheirArguments) {
    setenv("KV6830_SIMULATE", "epp:0x278", 1);
    Blocks b;
    ASSERT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 2);
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0xEE);

    // Supply line: 1 is on, any other value off; an unpowered unit reads as 0xFF, bits 4
    // and 5 set, status 1. Powered and idle it has seen no trigger: status 4.
    EXPECT_EQ(LAPower(0x278, 2), 1);
    EXPECT_EQ(GetTrigStat1(0x278, b.selection.data(), b.state.data()), 1);
    EXPECT_EQ(LAPower(0x278, 1), 1);
    EXPECT_EQ(GetTrigStat1(0x278, b.selection.data(), b.state.data()), 4);
    PowerOff1(0x278);
    EXPECT_EQ(GetTrigStat1(0x278, b.selection.data(), b.state.data()), 1);
    EXPECT_EQ(LAPower(0x278, 1), 1);

    // 2K at 10 kHz (rate code 21): 0.2 s, samples 100 us apart on the microsecond counter.
    Capture slow;
    slow.port = 0x278;
    slow.rateCode = 21;
    ASSERT_EQ(capture(b, planes, slow), 3);
    for (size_t i = 0; i + 1 < 2047; ++i)
        ASSERT_EQ(planes[0][i + 1], static_cast<uint8_t>(planes[0][i] + 100)) << i;
    EXPECT_EQ(planes[0][2047], 0xEE);
    // Each plane lands at its own destination: plane 1 (D15..D8) was written too.
    EXPECT_LT(std::count(planes[1].begin(), planes[1].begin() + 2047, 0xEE), 2047);

    // Depth flag 1: the 128K memory, every sample of it from the board, at 100 MHz.
    Capture deep;
    deep.port = 0x278;
    deep.depthFlag = 1;
    deep.length = 131072;
    ASSERT_EQ(capture(b, planes, deep), 3);
    for (size_t i = 0; i + 2 < 131071; ++i)
        ASSERT_EQ(static_cast<uint8_t>(planes[2][i] + 1), planes[2][i + 2]) << i;
    // The microsecond counter runs on through the whole record: 2K memory read out
    // 64 times over would jump back every 2048 samples.
    for (size_t i = 0; i + 1 < 131071; ++i)
        ASSERT_LE(static_cast<uint8_t>(planes[0][i + 1] - planes[0][i]), 1) << i;
}

TEST(CApi, ForcedTriggerAndSetupThroughTheEntryPoints) {
    setenv("KV6830_SIMULATE", "epp:0x278,never-trigger", 1);
    Blocks b;
    ASSERT_EQ(FindBoard1(956, b.selection.data(), b.state.data(), 0, 0, 0, 1), 2);
    std::vector<uint8_t> planes[3];
    for (auto &p : planes)
        p.assign(131072, 0xEE);
    Capture waiting;
    waiting.port = 0x278;
    waiting.word = "XXXXXXXX XXXXXXXX 00010000";
    waiting.polls = 300;
    EXPECT_NE(capture(b, planes, waiting), 3);  // the word never comes
    for (const bool plain : {false, true}) {
        Capture forced = waiting;
        forced.forceAt = 50;
        forced.plainForce = plain;
        EXPECT_EQ(capture(b, planes, forced), 3) << (plain ? "ForceTrigger" : "ForceTrigger1");
    }

    // The clock source and edge arguments reach the unit's register C (in the caller's
    // block after the start): external rising sets bits 0 and 2, external falling 1 and 2.
    uint16_t threshold = 20;
    for (const auto &[source, edge, bits] :
         {std::tuple{3u, 1u, 6}, std::tuple{3u, 0u, 5}, std::tuple{2u, 0u, 6}}) {
        StartCapture1(planes[0].data(), planes[1].data(), planes[2].data(), nullptr, nullptr,
                      nullptr, 0, 0x278, b.selection.data(), b.state.data(), 1, 0, 0, 0, 3, 0, 0,
                      1024, 0, source, 4, 0, 3, 0, "XXXXXXXX XXXXXXXX 00010000", 0, 0, 0, edge, 0,
                      1, &threshold, 0);
        EXPECT_EQ(b.state[44] & 7, bits) << source << " " << edge;
    }

    const uint16_t table[3] = {0x378, 0x278, 0x3BC};
    int32_t type = 0;
    uint16_t base = 0;
    SetupIO(1, 4, &type, &base, table);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(base, 0x278);
}

TEST(CApi, TablesAndBlocksAtTheirEdges) {
    int32_t table[3] = {2048, 100, 30};
    EXPECT_EQ(GetBufLenDisp(0, table, 49), 1998);  // 2048 - 49 - 1
    EXPECT_EQ(GetBufLenDisp(0, table, 51), 1997);  // 2048 - 50 - 1
    EXPECT_EQ(GetBufLenFull(nullptr, 0), 0);
    Blocks b;
    EXPECT_EQ(FindDemoBoard1(956, nullptr, b.state.data()), 0);
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), nullptr), 0);
    EXPECT_EQ(b.state[1008], 0);
    // The family word at 2018 chooses the driver names: 2 finds the still-image unit.
    uint16_t family = 2;
    std::memcpy(b.selection.data() + 2018, &family, 2);
    EXPECT_EQ(FindDemoBoard1(956, b.selection.data(), b.state.data()), 4);
    uint16_t stored = 0;
    std::memcpy(&stored, b.selection.data() + 2018, 2);
    EXPECT_EQ(stored, 2);
}
