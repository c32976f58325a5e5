// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/board.h"

namespace kv::sim {
namespace {

constexpr char kText[] = "KV-6830 board!\r\n";
constexpr uint64_t kTextLength = 16;
constexpr uint64_t kFrameNs = 20'000;    // one synchronous frame every 20 us
constexpr uint64_t kFrameBitNs = 1'000;  // 1 MHz serial clock
constexpr uint64_t kUartBitNs = 4'000;   // 250 kbaud
constexpr uint64_t kUartCharNs = 10 * kUartBitNs;

uint32_t counterBits(uint64_t t) {
    return static_cast<uint32_t>((t / 1'000) % 256);
}

uint32_t frameBits(uint64_t t) {
    const uint64_t frame = t / kFrameNs;
    const uint64_t inFrame = t % kFrameNs;
    const uint32_t index = static_cast<uint32_t>(frame % kTextLength);
    const auto byte = static_cast<uint8_t>(kText[index]);
    uint32_t bits = index << 4;  // D12..D15
    if (inFrame < 8 * kFrameBitNs) {
        const uint64_t bit = inFrame / kFrameBitNs;
        const uint64_t phase = inFrame % kFrameBitNs;
        // Data is set up during the low half of the clock and sampled on its rising edge.
        if (phase >= kFrameBitNs / 2) bits |= 1u << 0;  // D8 clock high
        if ((byte >> (7 - bit)) & 1u) bits |= 1u << 1;  // D9 data
    } else {
        bits |= 1u << 2;  // D10 frame select idle high
    }
    return bits;
}

uint32_t uartBit(uint64_t t) {
    const uint64_t character = t / kUartCharNs;
    const uint64_t bit = (t % kUartCharNs) / kUartBitNs;
    const auto byte = static_cast<uint8_t>(kText[character % kTextLength]);
    if (bit == 0) return 0;  // start bit
    if (bit == 9) return 1;  // stop bit
    return (byte >> (bit - 1)) & 1u;
}

uint32_t dividerBits(uint64_t t) {
    // D16 has a 40 ns period; D(16 + k) a period of 40 * 2^k ns.
    return static_cast<uint32_t>((t / 20) & 0xFF);
}

}  // namespace

uint32_t boardSample(uint64_t timeNs) {
    const uint64_t t = timeNs % kBoardPeriodNs;
    uint32_t word = counterBits(t);
    word |= frameBits(t) << 8;
    word |= uartBit(t) << 11;
    word |= dividerBits(t) << 16;
    return word;
}

}  // namespace kv::sim
