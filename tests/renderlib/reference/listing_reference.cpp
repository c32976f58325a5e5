// SPDX-License-Identifier: GPL-3.0-or-later
// The state listing as the algorithm reads: values first, then the mnemonic lookups.
#include "listing.h"
#include "reference.h"

namespace kv::render {

void stateListingReference(const GroupTables &t, const uint8_t *const planes[3],
                           const ListingOutput &out) {
    for (int r = 0; r < kListingRows; ++r) {
        const uint32_t word = sampleWord(planes[0], planes[1], planes[2], r);
        for (int g = 0; g < kGroups; ++g) {
            const uint32_t v = groupValue(t, g, word);
            const int n = r * kGroups + g;
            for (int l = 0; l < 32; ++l)
                out.binary[n * 32 + l] = ((v >> l) & 1u) ? '1' : '0';
            out.values[n * 4 + 0] = static_cast<uint8_t>(v & 0xFF);
            out.values[n * 4 + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
            out.values[n * 4 + 2] = static_cast<uint8_t>((v >> 16) & 0xFF);
        }
    }
    for (int r = 0; r < kListingRows; ++r) {
        for (int g = 0; g < kGroups; ++g) {
            const int32_t base = t.base[g];
            if (base < 4 || base > 7 || !t.mnemonicPatterns) continue;
            const int n = r * kGroups + g;
            const int top = topBitOf(t, g);
            int32_t result = kNoMnemonic;
            for (int e = 0; e < kMnemonicEntries && result == kNoMnemonic; ++e) {
                const uint8_t *entry =
                    t.mnemonicPatterns + ((base - 4) * kMnemonicEntries + e) * kPatternBytes;
                bool mismatch = false, anySet = false;
                for (int k = 0; k <= top && k < kPatternBytes; ++k) {
                    if (entry[k] == 0) continue;
                    anySet = true;
                    if (entry[k] != static_cast<uint8_t>(out.binary[n * 32 + k])) mismatch = true;
                }
                if (!mismatch && anySet) result = e;
            }
            out.mnemonicIndex[n] = result;
        }
    }
}

}  // namespace kv::render
