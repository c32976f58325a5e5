// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::render {

struct SearchArgs {
    const uint8_t *planes[3] = {nullptr, nullptr, nullptr};  // sample q at planes[p][q]
    uint32_t value = 0;                                      // pattern, bits 0..23 = D0..D23
    uint32_t mask = 0;                                       // don't care bits
    bool backward = false;
    int32_t start = 0;
    int32_t count = 0;
};

// The position found, or the start position when nothing matches.
int32_t searchSamples(const SearchArgs &a);

}  // namespace kv::render
