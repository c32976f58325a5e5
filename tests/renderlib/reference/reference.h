// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The render library's routines written straight from their algorithms, plainly and
// slowly, for the tests to compare the library's fast versions with.

#include <cstdint>

#include "listing.h"
#include "search.h"
#include "track.h"

namespace kv::render {

// Same surface calls, in the same order, as drawTrack.
void drawTrackReference(const TrackArgs &a);
int32_t searchSamplesReference(const SearchArgs &a);
void stateListingReference(const GroupTables &t, const uint8_t *const planes[3],
                           const ListingOutput &out);

}  // namespace kv::render
