// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "groups.h"
#include "out47.h"

namespace kv::render {

// One DrawLa call's arguments, as the renderer uses them.
struct TrackArgs {
    Out47Surface *dc = nullptr;
    const uint8_t *plane = nullptr;  // single channel
    int32_t start = 0;
    int bit = 0;
    int zoom = 5;
    int fine = 0;  // fine scroll offset in pixels
    int h = 0;
    uint32_t colour = 0;
    int width = 0;
    int y0 = 0;
    int selector = 30;
    GroupTables groups;
    const uint8_t *planes[3] = {nullptr, nullptr, nullptr};  // bus
};

// Whether the arguments can be drawn at all (memory present, zoom index known).
bool drawable(const TrackArgs &a);

// The renderer: one surface call per level change, bounded by the width.
void drawTrack(const TrackArgs &a);

}  // namespace kv::render
