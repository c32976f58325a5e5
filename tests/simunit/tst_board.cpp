// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "simunit/board.h"

using kv::sim::boardSample;

// Worked from the board's description: counter D0..D7 (1 per us), frame clock D8,
// data D9 (MSB first), select D10, UART D11, frame index D12..D15, dividers D16..D23.
TEST(Board, SignalsAtHandWorkedTimes) {
    // t = 0: everything low; frame 0 starts with the first bit of 'K' (0x4B), a 0.
    EXPECT_EQ(boardSample(0), 0x000000u);
    // t = 1.5 us: count 1; frame bit 1 of 'K' is 1, clock high; UART start bit;
    // dividers 1500 / 20 = 75 = 0x4B.
    EXPECT_EQ(boardSample(1500), 0x4B0301u);
    // t = 10 us: count 10; outside the byte, select high; UART bit 2 = data bit 1 of 'K'
    // = 1; dividers 500 mod 256 = 0xF4.
    EXPECT_EQ(boardSample(10'000), 0xF40C0Au);
}

TEST(Board, FrameIndexAndRepetition) {
    // Frame 5 starts at 100 us: index 5 on D12..D15, counter 100.
    const uint32_t w = boardSample(100'000 + 100);
    EXPECT_EQ((w >> 12) & 0xF, 5u);
    EXPECT_EQ(w & 0xFF, 100u);
    for (uint64_t t : {0ull, 777ull, 123'456ull, 6'399'990ull}) {
        EXPECT_EQ(boardSample(t), boardSample(t + kv::sim::kBoardPeriodNs)) << t;
    }
}

TEST(Board, SerialFrameCarriesTheText) {
    const char *text = "KV-6830 board!\r\n";
    for (int frame = 0; frame < 16; ++frame) {
        // Sample D9 at each rising clock edge (500 ns into every bit).
        unsigned byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const uint64_t t = frame * 20'000ull + bit * 1'000ull + 600;
            const uint32_t w = boardSample(t);
            ASSERT_TRUE(w & (1u << 8));    // clock high
            ASSERT_FALSE(w & (1u << 10));  // selected
            byte = byte << 1 | ((w >> 9) & 1);
        }
        EXPECT_EQ(byte, static_cast<unsigned char>(text[frame])) << frame;
    }
}

TEST(Board, UartLineCarriesTheText) {
    // Character 2 '-' (0x2D) starts at 80 us: start 0, bits LSB first, stop 1.
    const uint64_t start = 80'000;
    EXPECT_EQ((boardSample(start + 2'000) >> 11) & 1, 0u);
    unsigned byte = 0;
    for (int bit = 0; bit < 8; ++bit) {
        byte |= ((boardSample(start + (bit + 1) * 4'000ull + 2'000) >> 11) & 1) << bit;
    }
    EXPECT_EQ(byte, 0x2Du);
    EXPECT_EQ((boardSample(start + 9 * 4'000ull + 2'000) >> 11) & 1, 1u);
}
