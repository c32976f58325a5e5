// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Register addresses and USB commands of the mixed-signal units (logic channels and
// byte-valued channels) that the render library's second capture path drives. The
// protocol itself is described in out47.h. This is all that the library and the
// simulated unit share.
namespace kv::mixed {

// The four write latches and the registers of one acquisition.
inline constexpr uint8_t Latch0 = 0xA9;     // run control
inline constexpr uint8_t Latch1 = 0xB9;     // time base
inline constexpr uint8_t Latch2 = 0xC9;     // trigger source
inline constexpr uint8_t Latch3 = 0xD9;     // trigger level
inline constexpr uint8_t Position0 = 0xE0;  // trigger position, bits 0..7
inline constexpr uint8_t Position1 = 0xE1;  // bits 8..15
inline constexpr uint8_t Position2 = 0xE2;  // bits 16..23
inline constexpr uint8_t Configuration = 0xE8;
inline constexpr uint8_t Identification = 0xE9;
inline constexpr uint8_t Progress = 0xEA;
inline constexpr uint8_t BufferSelect = 0xEC;
inline constexpr uint8_t BufferData = 0xED;
// Parallel port only: the initialisation writes reach these two registers.
inline constexpr uint8_t Reset = 0xB7;
inline constexpr uint8_t Enable = 0xBC;
// Parallel port only: the echo register of the EPP mode test.
inline constexpr uint8_t Echo = 0x5A;

// Latch 0 bits.
inline constexpr uint8_t Armed = 0x80;
inline constexpr uint8_t Run = 0x40;
inline constexpr uint8_t Deep = 0x01;
// Latch 2 bits.
inline constexpr uint8_t FreeRun = 0x80;
inline constexpr uint8_t FallingSlope = 0x08;
// Progress bits.
inline constexpr uint8_t TriggerSeen = 0x01;
inline constexpr uint8_t Complete = 0x02;

// The status register: on the parallel port the status lines (base + 1), on USB register
// 0xBD (the low byte of address 0x3BD).
inline constexpr uint8_t UsbStatus = 0xBD;
inline constexpr uint8_t ParallelWaiting = 0x80;
inline constexpr uint8_t UsbWaiting = 0x40;
inline constexpr uint8_t UsbLoopBack = 0x10;
// The parallel handshake: status bits 5..3 with control bit 3 set, then clear.
inline constexpr uint8_t HandshakeMask = 0x38;
inline constexpr uint8_t HandshakeSelected = 0x28;
inline constexpr uint8_t HandshakeReleased = 0x10;

// USB: the loop-back latch of the presence test (one byte).
inline constexpr uint8_t UsbLoopBackLatch = 0x88;

}  // namespace kv::mixed
