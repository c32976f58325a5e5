// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/clock_chain.h"

namespace kv::sim {
namespace {

constexpr uint32_t kLoad = 0x1E05;
constexpr uint32_t kApply1 = 0x1E04;
constexpr uint32_t kApply2 = 0x1E00;
constexpr int kCommandBits = 14;
constexpr int kWordBits = 22;

}  // namespace

void ClockChain::reset() {
    *this = ClockChain();
}

std::optional<uint32_t> ClockChain::shift(bool bit) {
    if (m_stage == Stage::Word) {
        if (m_ones == 3) {
            // The stuffed bit after three ones; a 1 here breaks the rule and the
            // transfer is abandoned.
            m_ones = 0;
            if (bit)
                m_stage = Stage::Hunt;
            else if (m_wordBits == kWordBits)
                m_stage = Stage::Apply1;
            return std::nullopt;
        }
        if (bit) m_word |= 1u << m_wordBits;
        ++m_wordBits;
        m_ones = bit ? m_ones + 1 : 0;
        if (m_wordBits == kWordBits && m_ones < 3) m_stage = Stage::Apply1;
        m_commandBits = 0;
        m_command = 0;
        return std::nullopt;
    }

    m_command = (m_command >> 1) | (static_cast<uint32_t>(bit) << (kCommandBits - 1));
    if (m_commandBits < kCommandBits) ++m_commandBits;
    if (m_commandBits < kCommandBits) return std::nullopt;

    switch (m_stage) {
        case Stage::Hunt:
            if (m_command == kLoad) {
                m_stage = Stage::Word;
                m_word = 0;
                m_wordBits = 0;
                m_ones = 0;
            }
            return std::nullopt;
        case Stage::Apply1:
            m_commandBits = 0;
            m_stage = m_command == kApply1 ? Stage::Apply2 : Stage::Hunt;
            return std::nullopt;
        case Stage::Apply2:
            m_commandBits = 0;
            m_stage = Stage::Hunt;
            if (m_command == kApply2) return m_word;
            return std::nullopt;
        case Stage::Word:
            break;
    }
    return std::nullopt;
}

std::optional<uint64_t> periodForWord(uint32_t word, uint8_t rangeBits) {
    switch (word) {
        case 0x178088:
            return 10;  // 100 MHz
        case 0x178888:
            return 20;  // 50 MHz
        case 0x0B0880:
            return 40;  // 25 MHz
        case 0x129080:
            return 50;  // 20 MHz
        case 0x129880:
            return 100;  // 10 MHz
        case 0x12A080:
            return 200;  // 5 MHz
        case 0x0EA880:
            return 500;  // 2 MHz
        case 0x0EB080:
            return 1'000;  // 1 MHz
        case 0x0EB880:
            return 2'000;  // 500 kHz
        default:
            break;
    }
    // The slow ranges divide one generator frequency by the range bits.
    const uint8_t range = rangeBits & 7;
    if (word == 0x183920) {
        switch (range) {
            case 0:
                return 5'000;  // 200 kHz
            case 1:
                return 10'000;  // 100 kHz
            case 2:
                return 20'000;  // 50 kHz
            case 4:
                return 200'000;  // 5 kHz
            default:
                return std::nullopt;
        }
    }
    if (word == 0x182920 && range == 4) return 50'000;   // 20 kHz
    if (word == 0x183120 && range == 4) return 100'000;  // 10 kHz
    return std::nullopt;
}

}  // namespace kv::sim
