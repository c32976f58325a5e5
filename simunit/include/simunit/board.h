// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::sim {

// The demonstration board: 24 signals defined in real time, repeating every
// kBoardPeriodNs, a whole multiple of every sample period of the unit.
//
//   D0..D7    8-bit binary counter, one count per microsecond
//   D8        serial clock, 1 MHz while a frame is sent (idle low)
//   D9        serial data, most significant bit first, changes on the falling clock edge
//   D10       frame select, low while a byte is sent (8 us of every 20 us)
//   D11       asynchronous serial line at 250 kbaud (start bit, 8 data bits LSB first,
//             stop bit; idle high), sending the same text continuously
//   D12..D15  index (0..15) of the byte in the current frame
//   D16..D23  clock dividers: D16 25 MHz, each next line half the frequency of the one
//             before (D23 195.3125 kHz)
//
// Both serial channels carry the 16-character text "KV-6830 board!\r\n".
inline constexpr uint64_t kBoardPeriodNs = 6'400'000;

// The sample word (D23..D0) at board time t in nanoseconds.
uint32_t boardSample(uint64_t timeNs);

// The external clock input: a 2 MHz square wave, rising at multiples of 500 ns.
inline constexpr uint64_t kExternalClockPeriodNs = 500;

}  // namespace kv::sim
