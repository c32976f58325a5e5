// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace kv::sim {

// The clock generator's serial input. It watches the bit stream for the 14-bit command
// 0x1E05 (least significant bit first), takes the 22-bit program word that follows with
// its stuffed zero bits removed, and applies the word once 0x1E04 and 0x1E00 follow.
class ClockChain {
  public:
    // Starts afresh (the select line went inactive and active again).
    void reset();
    // One bit clocked in. Returns the program word when this bit completes 0x1E00.
    std::optional<uint32_t> shift(bool bit);

  private:
    enum class Stage { Hunt, Word, Apply1, Apply2 };
    Stage m_stage = Stage::Hunt;
    uint32_t m_command = 0;  // last 14 bits, first received in bit 0 after 14 shifts
    int m_commandBits = 0;
    uint32_t m_word = 0;
    int m_wordBits = 0;
    int m_ones = 0;  // consecutive 1 bits of the word, for the stuffing rule
};

// Sample period in nanoseconds for an applied program word and control register C
// bits 0..2; nothing for a word the unit does not know.
std::optional<uint64_t> periodForWord(uint32_t word, uint8_t rangeBits);

}  // namespace kv::sim
