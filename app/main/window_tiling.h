// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace kv::app {

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Tiling of n windows over an area: horizontally, full-width strips stacked from the top;
// vertically, full-height columns side by side from the left. The strips share the area
// without gaps; rounding is spread over them.
std::vector<WindowRect> tileWindows(int n, int areaWidth, int areaHeight, bool horizontal);

// Places of n minimised windows of one size: in a row along the bottom edge from the left,
// a further row above when the row is full.
std::vector<WindowRect> iconPlaces(int n, int areaWidth, int areaHeight, int iconWidth,
                                   int iconHeight);

}  // namespace kv::app
