// SPDX-License-Identifier: GPL-3.0-or-later
// The state listing for speed: group values through a per-group bit table and the
// mnemonic tables reduced to care and value masks once per call.
#include "listing.h"

#include <cstring>

namespace kv::render {
namespace {

struct EntryMasks {
    uint32_t care = 0, value = 0, invalid = 0;
};

void prepareMnemonics(const uint8_t *patterns, EntryMasks (&masks)[4][kMnemonicEntries]) {
    for (int table = 0; table < 4; ++table) {
        for (int e = 0; e < kMnemonicEntries; ++e) {
            const uint8_t *entry = patterns + (table * kMnemonicEntries + e) * kPatternBytes;
            EntryMasks m;
            for (int k = 0; k < kPatternBytes; ++k) {
                if (entry[k] == '1')
                    m.care |= 1u << k, m.value |= 1u << k;
                else if (entry[k] == '0')
                    m.care |= 1u << k;
                else if (entry[k] != 0)
                    m.invalid |= 1u << k;
            }
            masks[table][e] = m;
        }
    }
}

int32_t findMnemonic(const EntryMasks (&entries)[kMnemonicEntries], int top, uint32_t v) {
    const uint32_t limit = top >= 23 ? 0xFFFFFFu : (1u << (top + 1)) - 1;
    for (int e = 0; e < kMnemonicEntries; ++e) {
        const EntryMasks &m = entries[e];
        const uint32_t care = m.care & limit;
        if (care && !(m.invalid & limit) && !((v ^ m.value) & care)) return e;
    }
    return kNoMnemonic;
}

}  // namespace

void stateListing(const GroupTables &t, const uint8_t *const planes[3], const ListingOutput &out) {
    uint32_t single[kGroups][24] = {};
    for (int g = 0; g < kGroups; ++g) {
        const int top = topBitOf(t, g);
        for (int i = 0; i <= top; ++i) {
            const int32_t channel = t.bitMap[g * 32 + i];
            if (channel >= 0 && channel < 24) single[g][channel] |= 1u << i;
        }
    }
    static thread_local EntryMasks masks[4][kMnemonicEntries];
    bool mnemonicsPrepared = false;
    for (int r = 0; r < kListingRows; ++r) {
        const uint32_t word = sampleWord(planes[0], planes[1], planes[2], r);
        for (int g = 0; g < kGroups; ++g) {
            uint32_t v = 0;
            for (uint32_t bits = word; bits; bits &= bits - 1) {
                v |= single[g][__builtin_ctz(bits)];
            }
            const int n = r * kGroups + g;
            char *text = out.binary + n * 32;
            for (int l = 0; l < 32; ++l)
                text[l] = ((v >> l) & 1u) ? '1' : '0';
            uint8_t *bytes = out.values + n * 4;
            bytes[0] = static_cast<uint8_t>(v);
            bytes[1] = static_cast<uint8_t>(v >> 8);
            bytes[2] = static_cast<uint8_t>(v >> 16);
            const int32_t base = t.base[g];
            if (base < 4 || base > 7 || !t.mnemonicPatterns) continue;
            if (!mnemonicsPrepared) {
                prepareMnemonics(t.mnemonicPatterns, masks);
                mnemonicsPrepared = true;
            }
            out.mnemonicIndex[n] = findMnemonic(masks[base - 4], topBitOf(t, g), v);
        }
    }
}

}  // namespace kv::render
