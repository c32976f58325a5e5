// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "simunit/clock_chain.h"

using namespace kv::sim;

namespace {

std::vector<int> command(uint16_t cmd) {
    std::vector<int> bits;
    for (int i = 0; i < 14; ++i)
        bits.push_back((cmd >> i) & 1);
    return bits;
}

// The 22-bit word least significant bit first, a 0 stuffed after every three 1 bits.
std::vector<int> stuffed(uint32_t word) {
    std::vector<int> bits;
    int ones = 0;
    for (int i = 0; i < 22; ++i) {
        const int b = (word >> i) & 1;
        bits.push_back(b);
        ones = b ? ones + 1 : 0;
        if (ones == 3) {
            bits.push_back(0);
            ones = 0;
        }
    }
    return bits;
}

std::optional<uint32_t> feed(ClockChain &chain, const std::vector<int> &bits) {
    std::optional<uint32_t> applied;
    for (int b : bits) {
        if (auto w = chain.shift(b != 0)) applied = w;
    }
    return applied;
}

std::vector<int> transfer(const std::vector<int> &wordBits) {
    std::vector<int> all = command(0x1E05);
    all.insert(all.end(), wordBits.begin(), wordBits.end());
    for (uint16_t c : {uint16_t{0x1E04}, uint16_t{0x1E00}}) {
        auto cmd = command(c);
        all.insert(all.end(), cmd.begin(), cmd.end());
    }
    return all;
}

}  // namespace

TEST(ClockChain, StuffedWordsDecode) {
    // 0x178088 has bits 15..18 set: a stuffed 0 follows bit 17.
    for (uint32_t word : {0x178088u, 0x178888u, 0x0B0880u, 0x0EB880u, 0x183920u, 0x3FFFFFu}) {
        ClockChain chain;
        EXPECT_EQ(feed(chain, transfer(stuffed(word))), word) << std::hex << word;
    }
}

TEST(ClockChain, StuffBitAfterTheLastBitIsDropped) {
    // Bits 19..21 set: three ones end the word, the stuffed 0 comes after it.
    const auto bits = stuffed(0x380000);
    ASSERT_EQ(bits.size(), 23u);
    ClockChain chain;
    EXPECT_EQ(feed(chain, transfer(bits)), 0x380000u);
}

TEST(ClockChain, UnstuffedWordIsNotTakenAsSent) {
    std::vector<int> raw;
    for (int i = 0; i < 22; ++i)
        raw.push_back((0x178088 >> i) & 1);
    ClockChain chain;
    const auto got = feed(chain, transfer(raw));
    EXPECT_NE(got.value_or(0), 0x178088u);
}

TEST(ClockChain, LeadingNoiseAndWrongApplyCommands) {
    ClockChain chain;
    std::vector<int> bits = {1, 0, 1, 1, 0};
    auto t = transfer(stuffed(0x129880));
    bits.insert(bits.end(), t.begin(), t.end());
    EXPECT_EQ(feed(chain, bits), 0x129880u);

    // 0x1E04 missing: nothing is applied.
    ClockChain other;
    auto partial = command(0x1E05);
    auto w = stuffed(0x129880);
    partial.insert(partial.end(), w.begin(), w.end());
    auto end = command(0x1E00);
    partial.insert(partial.end(), end.begin(), end.end());
    EXPECT_FALSE(feed(other, partial).has_value());
}

TEST(ClockChain, PeriodsOfEveryRate) {
    struct Row {
        uint32_t word;
        uint8_t range;
        uint64_t ns;
    };
    // period = 1e9 / rate in hertz
    const Row rows[] = {{0x178088, 0, 10},     {0x178888, 0, 20},      {0x0B0880, 0, 40},
                        {0x129080, 0, 50},     {0x129880, 0, 100},     {0x12A080, 0, 200},
                        {0x0EA880, 0, 500},    {0x0EB080, 0, 1'000},   {0x0EB880, 0, 2'000},
                        {0x183920, 0, 5'000},  {0x183920, 1, 10'000},  {0x183920, 2, 20'000},
                        {0x182920, 4, 50'000}, {0x183120, 4, 100'000}, {0x183920, 4, 200'000}};
    for (const Row &r : rows) {
        EXPECT_EQ(periodForWord(r.word, r.range), r.ns) << std::hex << r.word;
    }
    EXPECT_FALSE(periodForWord(0x123456, 0).has_value());
    EXPECT_FALSE(periodForWord(0x183920, 3).has_value());
}
