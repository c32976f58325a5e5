// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "groups.h"

namespace kv::render {

inline constexpr int kListingRows = 20;
inline constexpr int kListingEntries = kListingRows * kGroups;
inline constexpr int kNoMnemonic = 1000;

struct ListingOutput {
    uint8_t *values = nullptr;         // 600 x 4 bytes
    char *binary = nullptr;            // 600 x 32 characters
    int32_t *mnemonicIndex = nullptr;  // 600 entries
};

// Planes of the listing: row r of plane p is planes[p][r].
void stateListing(const GroupTables &t, const uint8_t *const planes[3], const ListingOutput &out);

}  // namespace kv::render
