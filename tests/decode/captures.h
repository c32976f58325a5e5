// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Captures built sample by sample for the decoder tests: serial frames as the protocols
// define them, on chosen channels of 24-bit sample words.
#include <cstdint>
#include <vector>

namespace kvtest {

// A capture of 24-bit words in which each step appends samples with chosen channel levels.
struct Capture {
    std::vector<uint32_t> words;
    uint32_t level = 0;
    void set(int channel, bool high) {
        level = high ? (level | (1u << channel)) : (level & ~(1u << channel));
    }
    void hold(int samples) { words.insert(words.end(), size_t(samples), level); }
};

// An asynchronous frame: start bit low, eight data bits least significant first, one stop
// bit high; `samplesPerBit` samples each. Returns the index of the start bit's first sample.
inline int64_t uartByte(Capture &c, int channel, int samplesPerBit, uint8_t byte) {
    int64_t start = int64_t(c.words.size());
    c.set(channel, false);
    c.hold(samplesPerBit);
    for (int b = 0; b < 8; ++b) {
        c.set(channel, (byte >> b) & 1);
        c.hold(samplesPerBit);
    }
    c.set(channel, true);
    c.hold(samplesPerBit);
    return start;
}

// A synchronous byte, most significant bit first: the data bit is put while the clock is
// low, the clock rises in the middle of the bit (mode 0) and falls at its end.
inline void spiByte(Capture &c, int clock, int data, uint8_t byte, int halfPeriod) {
    for (int b = 7; b >= 0; --b) {
        c.set(clock, false);
        c.set(data, (byte >> b) & 1);
        c.hold(halfPeriod);
        c.set(clock, true);
        c.hold(halfPeriod);
    }
    c.set(clock, false);
    c.hold(halfPeriod);
}

// Two-wire bus: a start (data falls while the clock is high), bytes of nine bits each (eight
// bits most significant first and the acknowledge bit driven low by the receiver), a stop
// (data rises while the clock is high).
inline void i2cTransfer(Capture &c, int scl, int sda, const std::vector<uint8_t> &bytes, int q) {
    c.set(scl, true);
    c.set(sda, true);
    c.hold(4 * q);
    c.set(sda, false);  // start
    c.hold(q);
    for (uint8_t byte : bytes) {
        for (int b = 8; b >= 0; --b) {
            bool bit = b == 0 ? false : ((byte >> (b - 1)) & 1);  // b == 0: acknowledge
            c.set(scl, false);
            c.hold(q);
            c.set(sda, bit);
            c.hold(q);
            c.set(scl, true);
            c.hold(2 * q);
        }
    }
    c.set(scl, false);
    c.hold(q);
    c.set(sda, false);
    c.hold(q);
    c.set(scl, true);
    c.hold(q);
    c.set(sda, true);  // stop
    c.hold(4 * q);
}

}  // namespace kvtest
