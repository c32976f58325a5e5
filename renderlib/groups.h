// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace kv::render {

inline constexpr int kGroups = 30;
inline constexpr int kMnemonicEntries = 256;
inline constexpr int kPatternBytes = 24;
inline constexpr int kMnemonicChars = 8;
// Zoom table: pixels per sample for indexes 0..5, samples per pixel for 6..12.
inline constexpr int kZoomSteps[13] = {50, 20, 10, 5, 2, 1, 2, 5, 10, 20, 50, 100, 200};

// The group and mnemonic tables, as the program owns them.
struct GroupTables {
    const int32_t *base = nullptr;              // 30 entries
    const int32_t *topBit = nullptr;            // 30 entries
    const int32_t *bitMap = nullptr;            // 30 x 32 channel numbers
    const uint8_t *mnemonicPatterns = nullptr;  // 4 x 256 x 24
    const char *mnemonicChars = nullptr;        // 4 x 256 x 8
};

// The sample word of three planes: bit k is channel Dk.
inline uint32_t sampleWord(const uint8_t *p0, const uint8_t *p1, const uint8_t *p2, int64_t s) {
    return static_cast<uint32_t>(p2[s]) << 16 | static_cast<uint32_t>(p1[s]) << 8 | p0[s];
}

// Top bit limited to what a bit map row holds; -1 for an empty group.
inline int topBitOf(const GroupTables &t, int group) {
    const int32_t top = t.topBit[group];
    return top < 0 ? -1 : (top > 31 ? 31 : top);
}

// Group value: bit top first down to bit 0, each the channel of the bit map (a channel
// number outside 0..23 reads as 0).
uint32_t groupValue(const GroupTables &t, int group, uint32_t word);

// First entry 0..255 of mnemonic table `table` whose pattern bytes 0..top agree with the
// value ('1' for a 1 bit, '0' for a 0 bit, 0 for either) and that has a byte that is not
// 0; -1 when none does.
int mnemonicMatch(const uint8_t *patterns, int table, int top, uint32_t value);

// Narrowest segment, in columns, that still gets no label; -1 for a base with no labels.
int minimumLabelWidth(int base, int top);

// The label text of a value for a group's base and top bit; empty when nothing is shown.
std::string labelText(const GroupTables &t, int base, int top, uint32_t value);

}  // namespace kv::render
