// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Register addresses and USB command bytes of the unit's protocol. This is all that the
// device library and the simulated unit share.
namespace kv::reg {

inline constexpr uint8_t SerialStrobe = 0x20;
inline constexpr uint8_t ControlA = 0x22;
inline constexpr uint8_t ControlB = 0x24;
inline constexpr uint8_t ControlC = 0x26;
inline constexpr uint8_t Status = 0x06;

// Parallel port register offsets from the base.
inline constexpr uint16_t PortData = 0;
inline constexpr uint16_t PortStatus = 1;
inline constexpr uint16_t PortControl = 2;
inline constexpr uint16_t EppAddress = 3;
inline constexpr uint16_t EppData = 4;

// USB commands (the offset field of the register requests).
inline constexpr uint8_t UsbWriteBytes = 0x83;
inline constexpr uint8_t UsbReadByte = 0x84;
inline constexpr uint8_t UsbBulkLength = 0x82;
inline constexpr uint8_t UsbConfigure = 0x8C;
inline constexpr uint8_t UsbLinkSpeed = 0x8E;

}  // namespace kv::reg
