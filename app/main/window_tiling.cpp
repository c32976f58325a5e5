// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/window_tiling.h"

#include <algorithm>

namespace kv::app {

std::vector<WindowRect> tileWindows(int n, int areaWidth, int areaHeight, bool horizontal) {
    std::vector<WindowRect> rects;
    for (int i = 0; i < n; ++i) {
        if (horizontal) {
            const int top = i * areaHeight / n, bottom = (i + 1) * areaHeight / n;
            rects.push_back({0, top, areaWidth, bottom - top});
        } else {
            const int left = i * areaWidth / n, right = (i + 1) * areaWidth / n;
            rects.push_back({left, 0, right - left, areaHeight});
        }
    }
    return rects;
}

std::vector<WindowRect> iconPlaces(int n, int areaWidth, int areaHeight, int iconWidth,
                                   int iconHeight) {
    std::vector<WindowRect> rects;
    const int perRow = std::max(areaWidth / std::max(iconWidth, 1), 1);
    for (int i = 0; i < n; ++i) {
        const int column = i % perRow, row = i / perRow;
        rects.push_back(
            {column * iconWidth, areaHeight - (row + 1) * iconHeight, iconWidth, iconHeight});
    }
    return rects;
}

}  // namespace kv::app
