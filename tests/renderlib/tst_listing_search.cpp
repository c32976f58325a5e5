// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "listing.h"
#include "reference.h"
#include "search.h"
#include "tables.h"

using namespace kvtest;

namespace {

struct Listing {
    std::vector<uint8_t> values = std::vector<uint8_t>(2400, 0xCC);
    std::vector<char> binary = std::vector<char>(600 * 32, '?');
    std::vector<int32_t> mnemonic = std::vector<int32_t>(600, -7);
    kv::render::ListingOutput out() { return {values.data(), binary.data(), mnemonic.data()}; }
};

}  // namespace

TEST(StateDraw, BinaryStringsAndValueBytes) {
    Tables t;
    t.group(0, 0, 0, 1);   // D0 alone
    t.group(1, 1, 0, 24);  // all 24 channels
    t.group(2, 3, 23, 1);  // D23
    std::vector<uint8_t> p0(20, 0), p1(20, 0), p2(20, 0);
    p0[0] = 1;
    p0[1] = 0x34, p1[1] = 0x12, p2[1] = 0x80;
    const uint8_t *planes[3] = {p0.data(), p1.data(), p2.data()};
    Listing l;
    kv::render::stateListing(t.view(), planes, l.out());
    // Row 0, group 0: value 1 -> "1" then 31 "0".
    EXPECT_EQ(std::string(l.binary.data(), 32), "1" + std::string(31, '0'));
    // Row 1, group 1 (n = 31): 0x801234, bytes low first; byte 3 untouched.
    EXPECT_EQ(l.values[31 * 4 + 0], 0x34);
    EXPECT_EQ(l.values[31 * 4 + 1], 0x12);
    EXPECT_EQ(l.values[31 * 4 + 2], 0x80);
    EXPECT_EQ(l.values[31 * 4 + 3], 0xCC);
    // Row 1, group 2 (n = 32): D23 is 1.
    EXPECT_EQ(l.binary[32 * 32], '1');
    // An empty group (top bit -1) reads 0.
    EXPECT_EQ(std::string(l.binary.data() + 5 * 32, 32), std::string(32, '0'));
    // No mnemonic group: the index is not written.
    EXPECT_EQ(l.mnemonic[0], -7);
}

TEST(StateDraw, MnemonicIndexRules) {
    Tables t;
    t.group(0, 4, 0, 4);                   // USER0 on D0..D3
    t.group(1, 7, 0, 4);                   // USER3
    t.mnemonic(0, 0, "----", "zeros   ");  // only zero bytes: never
    t.mnemonic(0, 5, "1---", "bit0    ");  // first match for odd values
    t.mnemonic(0, 6, "11--", "bit01   ");  // also matches 3, but 5 comes first
    t.mnemonic(0, 9, "0x--", "bad     ");  // 'x' never agrees
    std::vector<uint8_t> p0(20, 0), p1(20, 0), p2(20, 0);
    p0[0] = 3;
    p0[1] = 2;
    const uint8_t *planes[3] = {p0.data(), p1.data(), p2.data()};
    Listing l;
    kv::render::stateListing(t.view(), planes, l.out());
    EXPECT_EQ(l.mnemonic[0], 5);      // row 0, group 0: 3 -> entry 5
    EXPECT_EQ(l.mnemonic[30], 1000);  // row 1, group 0: 2 -> none
    EXPECT_EQ(l.mnemonic[1], 1000);   // USER3 is empty
}

namespace {

int32_t search(const std::vector<uint8_t> &p0, uint32_t value, uint32_t mask, int32_t start,
               bool backward) {
    static std::vector<uint8_t> zeros(4096, 0);
    kv::render::SearchArgs a;
    a.planes[0] = p0.data();
    a.planes[1] = zeros.data();
    a.planes[2] = zeros.data();
    a.value = value;
    a.mask = mask;
    a.start = start;
    a.backward = backward;
    a.count = static_cast<int32_t>(p0.size());
    const int32_t fast = kv::render::searchSamples(a);
    EXPECT_EQ(fast, kv::render::searchSamplesReference(a));
    return fast;
}

}  // namespace

TEST(SearchVdata, RunsDirectionsAndWrapAround) {
    //                             0  1  2  3  4  5  6  7  8  9
    const std::vector<uint8_t> p{5, 5, 0, 0, 5, 5, 5, 0, 5, 0};
    // N = 9: forward positions wrap at 9 (0..8), backward at -1 to 9.
    EXPECT_EQ(search(p, 5, 0, 1, false), 4);  // inside the run 0..1: the next run
    EXPECT_EQ(search(p, 5, 0, 2, false), 4);
    EXPECT_EQ(search(p, 5, 0, 5, false), 8);
    // Forward never reads 9: from 7 it goes 8, 0, 1, 2; and the run 8, 0, 1 is one run.
    EXPECT_EQ(search(p, 0, 0, 7, false), 2);
    EXPECT_EQ(search(p, 5, 0, 8, false), 4);
    EXPECT_EQ(search(p, 5, 0, 5, true), 1);  // back over the run 4..6, then 3, 2, 1
    EXPECT_EQ(search(p, 5, 0, 1, true), 8);  // back from the run 0..1 wraps to 9, then 8
    // A start at 9 is taken as 0 before stepping, in either direction.
    EXPECT_EQ(search(p, 5, 0, 9, true), 0);
    // Every channel don't care: everything matches, the start comes back.
    EXPECT_EQ(search(p, 5, 0xFFFFFF, 3, false), 3);
    EXPECT_EQ(search(p, 5, 0xFFFFFF, 3, true), 3);
    // Nothing matches: the start comes back.
    EXPECT_EQ(search(p, 7, 0, 3, false), 3);
    // Don't-care bits: 4 with bit 0 ignored matches 5.
    EXPECT_EQ(search(p, 4, 1, 2, false), 4);
}
