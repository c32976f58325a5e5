// SPDX-License-Identifier: GPL-3.0-or-later
// The small trace-drawing routines for byte-valued traces.
#include "traces.h"

#include <algorithm>

#include "groups.h"

namespace kv::render {

bool modeWithFourTraces(int32_t mode) {
    return mode == 29 || mode == 35 || mode == 39 || mode == 43;
}

void drawGrid(Out47Surface &dc, uint32_t colour, int width) {
    for (int r = 0; r <= 10; ++r) {
        for (int i = 1; i <= width / 10; ++i)
            dc.set_pixel(dc.user, 10 * i, 3 + 25 * r, colour);
    }
    for (int i = 0; i <= width / 50; ++i) {
        for (int j = 0; j <= 48; ++j)
            dc.set_pixel(dc.user, 50 * i, 8 + 5 * j, colour);
    }
}

void drawPixels(Out47Surface &dc, const uint8_t *trace, uint32_t colour) {
    for (int i = 0; i < kTraceColumns; ++i)
        dc.set_pixel(dc.user, i, trace[i], colour);
}

void drawJumps(Out47Surface &dc, const uint8_t *trace) {
    for (int i = 0; i < kTraceColumns; ++i) {
        const int a = trace[i], b = trace[i + 1];
        if (a < 3 || a > 252 || std::abs(a - b) <= 1) continue;
        dc.move_to(dc.user, i + 1, b >= a ? a + 1 : a);
        dc.line_to(dc.user, i + 1, b);
    }
}

void drawLogic(Out47Surface &dc, int yOffset, const uint8_t *v) {
    dc.move_to(dc.user, 1, yOffset + v[0]);
    for (int i = 0; i < kTraceColumns; ++i) {
        if (v[i] != v[i + 1]) {
            dc.line_to(dc.user, i + 1, yOffset + v[i]);
            dc.line_to(dc.user, i + 1, yOffset + v[i + 1]);
        } else if (i == kTraceColumns - 1) {
            dc.line_to(dc.user, kTraceColumns, yOffset + v[i]);
        }
    }
}

void drawZoomed(Out47Surface &dc, int selector, const uint8_t *source, uint8_t *traceBase,
                int zoomIndex, const int32_t *offsets, int32_t start, uint32_t colour,
                int32_t lineFlag, int width) {
    if (selector < 0 || selector > 3 || width < 0) return;  // no trace memory for others
    const int32_t field = selector <= 1 ? offsets[0] : offsets[selector - 1];
    const uint8_t *src = source + field + start;
    uint8_t *trace = traceBase + kTraceLength * selector;
    uint8_t *maxRow = traceBase + 4 * kTraceLength;
    const int d = zoomIndex >= 0 && zoomIndex <= 12 ? kZoomSteps[zoomIndex] : lineFlag;
    if (zoomIndex == 5) {
        const int columns = std::min(width + 1, kTraceLength);
        std::copy(src, src + columns, trace);
        for (int j = 0; j < columns - 1; ++j)
            dc.set_pixel(dc.user, j, trace[j], colour);
        if (lineFlag) {
            for (int j = 1; j < columns; ++j) {
                dc.move_to(dc.user, j, trace[j - 1]);
                dc.line_to(dc.user, j, trace[j]);
            }
        }
        return;
    }
    if (d <= 0) return;
    if (zoomIndex >= 6) {
        const int columns = std::min(width + 1, kTraceLength);
        for (int j = 0; j < columns; ++j) {
            const uint8_t *column = src + static_cast<long>(j) * d;
            const auto [lo, hi] = std::minmax_element(column, column + d);
            trace[j] = *lo;
            maxRow[j] = *hi;
            for (int y = *lo; y <= *hi; ++y)
                dc.set_pixel(dc.user, j, y, colour);
        }
        if (lineFlag) {
            for (int j = 1; j < columns; ++j) {
                const bool down = trace[j] < trace[j - 1];
                dc.move_to(dc.user, j, down ? trace[j - 1] : maxRow[j - 1]);
                dc.line_to(dc.user, j, down ? maxRow[j] : trace[j]);
            }
        }
        return;
    }
    // Zoom 0..4: linear interpolation between neighbouring source bytes.
    const int fine = offsets[3];
    int filled = 0;
    for (int p = 0, n = 0; p < width + 52 && p + d <= kTraceLength; p += d, ++n) {
        const int a = src[n - 1], b = src[n];
        trace[p] = static_cast<uint8_t>(a);
        for (int m = 1; m < d; ++m)
            trace[p + m] = static_cast<uint8_t>(a + (m * (b - a)) / d);
        filled = p + d;
    }
    const auto at = [&](int i) { return trace[std::clamp(i, 0, std::max(filled - 1, 0))]; };
    for (int j = 0; j < width; ++j)
        dc.set_pixel(dc.user, j, at(j + d - fine), colour);
    if (lineFlag) {
        for (int j = 0; j < width; ++j) {
            dc.move_to(dc.user, j + 1, at(j + d - fine));
            dc.line_to(dc.user, j + 1, at(j + d - fine + 1));
        }
    }
}

void drawXY(Out47Surface &dc, int selectorX, int selectorY, const uint8_t *traceBase,
            const int32_t *offsets, uint32_t colour) {
    if (selectorX < 0 || selectorX > 3 || selectorY < 0 || selectorY > 3) return;
    const uint8_t *xs = traceBase + kTraceLength * selectorX;
    const uint8_t *ys = traceBase + kTraceLength * selectorY;
    const int offsetX = static_cast<uint16_t>(offsets[selectorX]);
    const int offsetY = static_cast<uint16_t>(offsets[selectorY]);
    for (int k = 0; k < 512; ++k) {
        const int x = offsetX - xs[k] + 128;
        const int y = ys[k] - offsetY + 128;
        if (k == 0) dc.move_to(dc.user, x, y);
        dc.set_pixel(dc.user, x, y, colour);
        dc.line_to(dc.user, x, y);
    }
}

void toDisplay(const uint8_t *source, int32_t mode, const int32_t offsets[6], uint8_t *display,
               int32_t start) {
    const auto row = [&](int r) { return display + 1024 * r; };
    const auto at = [&](int which, int i) { return source[offsets[which] + start + i]; };
    const bool four = modeWithFourTraces(mode);
    for (int i = 0; i < kTraceColumns; ++i) {
        row(0)[i] = at(0, i);
        row(1)[i] = at(1, i);
        for (int b = 0; b < 8; ++b)
            row(8 + b)[i] = ((at(4, i) >> b) & 1) ? 0 : 12;
        if (!four) continue;
        row(2)[i] = at(2, i);
        row(3)[i] = at(3, i);
        for (int b = 0; b < 8; ++b)
            row(16 + b)[i] = ((at(5, i) >> b) & 1) ? 0 : 12;
    }
}

void smooth(uint8_t *x, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        x[i + 1] = static_cast<uint8_t>((x[i] + 2 * x[i + 1] + x[i + 2]) >> 2);
    }
}

}  // namespace kv::render
