// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Group and mnemonic tables as the program lays them out, for the tests.

#include <cstdint>
#include <cstring>
#include <vector>

#include "groups.h"

namespace kvtest {

struct Tables {
    int32_t base[30] = {};
    int32_t top[30] = {};
    int32_t map[30 * 32] = {};
    std::vector<uint8_t> patterns = std::vector<uint8_t>(4 * 256 * 24, 0);
    std::vector<char> chars = std::vector<char>(4 * 256 * 8, ' ');

    Tables() {
        for (int g = 0; g < 30; ++g)
            top[g] = -1;
    }
    // Group g of channels first..first+n-1, bit i = channel first + i.
    void group(int g, int b, int first, int n) {
        base[g] = b;
        top[g] = n - 1;
        for (int i = 0; i < n; ++i)
            map[g * 32 + i] = first + i;
    }
    // Mnemonic entry: pattern written bit 0 first ('1', '0' or '-' for a 0 byte).
    void mnemonic(int table, int entry, const char *bit0First, const char *text) {
        uint8_t *p = patterns.data() + (table * 256 + entry) * 24;
        for (int k = 0; bit0First[k] && k < 24; ++k) {
            p[k] = bit0First[k] == '-' ? 0 : static_cast<uint8_t>(bit0First[k]);
        }
        std::memcpy(chars.data() + (table * 256 + entry) * 8, text, 8);
    }
    kv::render::GroupTables view() const {
        kv::render::GroupTables t;
        t.base = base;
        t.topBit = top;
        t.bitMap = map;
        t.mnemonicPatterns = patterns.data();
        t.mnemonicChars = chars.data();
        return t;
    }
};

}  // namespace kvtest
