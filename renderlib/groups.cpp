// SPDX-License-Identifier: GPL-3.0-or-later
#include "groups.h"

namespace kv::render {

uint32_t groupValue(const GroupTables &t, int group, uint32_t word) {
    const int top = topBitOf(t, group);
    const int32_t *row = t.bitMap + group * 32;
    uint32_t v = 0;
    for (int i = top; i >= 0; --i) {
        const int32_t channel = row[i];
        const uint32_t bit = (channel >= 0 && channel < 24) ? (word >> channel) & 1u : 0u;
        v = v << 1 | bit;
    }
    return v;
}

int mnemonicMatch(const uint8_t *patterns, int table, int top, uint32_t value) {
    if (!patterns || table < 0 || table > 3) return -1;
    const int last = top > kPatternBytes - 1 ? kPatternBytes - 1 : top;
    for (int e = 0; e < kMnemonicEntries; ++e) {
        const uint8_t *entry = patterns + (table * kMnemonicEntries + e) * kPatternBytes;
        bool agrees = true, anySet = false;
        for (int k = 0; k <= last && agrees; ++k) {
            const uint8_t p = entry[k];
            if (p == 0) continue;
            anySet = true;
            const uint8_t bit = static_cast<uint8_t>((value >> k) & 1u ? '1' : '0');
            agrees = p == bit;
        }
        if (agrees && anySet) return e;
    }
    return -1;
}

int minimumLabelWidth(int base, int top) {
    switch (base) {
        case 0:
            return (top / 4 + 1) * 7;
        case 1:
            return (top / 4 + 2) * 7;
        case 2:
            return (top / 8 + 1) * 7;
        case 3:
            return (top + 1) * 7;
        case 4:
        case 5:
        case 6:
        case 7:
            return 56;
        default:
            return -1;
    }
}

std::string labelText(const GroupTables &t, int base, int top, uint32_t value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    switch (base) {
        case 0:
            for (int d = top / 4; d >= 0; --d)
                text += kHex[(value >> (4 * d)) & 0xF];
            break;
        case 1:
            text = std::to_string(value);
            break;
        case 2:
            for (int b = top / 8; b >= 0; --b)
                text += static_cast<char>((value >> (8 * b)) & 0xFF);
            break;
        case 3:
            for (int b = top; b >= 0; --b)
                text += ((value >> b) & 1u) ? '1' : '0';
            break;
        case 4:
        case 5:
        case 6:
        case 7: {
            const int e = mnemonicMatch(t.mnemonicPatterns, base - 4, top, value);
            if (e >= 0 && t.mnemonicChars) {
                text.assign(t.mnemonicChars + ((base - 4) * kMnemonicEntries + e) * kMnemonicChars,
                            kMnemonicChars);
            }
            break;
        }
        default:
            break;
    }
    return text;
}

}  // namespace kv::render
