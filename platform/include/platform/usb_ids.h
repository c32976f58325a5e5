// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace kv::platform {

struct UsbId {
    uint16_t vendor, product;
};

// The vendor/product pairs of the unit's USB device search, in search order.
inline constexpr std::array<UsbId, 13> kUnitUsbIds = {{{0x05E3, 0x013C},
                                                       {0x05E3, 0x0185},
                                                       {0x05E3, 0x0181},
                                                       {0x05E3, 0x0180},
                                                       {0x05E3, 0x0182},
                                                       {0x05E3, 0x0183},
                                                       {0x05E3, 0x0184},
                                                       {0x05E3, 0x0186},
                                                       {0x05E3, 0x0187},
                                                       {0x05E3, 0x0188},
                                                       {0x05E3, 0x0189},
                                                       {0x3195, 0x0020},
                                                       {0x0010, 0x0100}}};

}  // namespace kv::platform
