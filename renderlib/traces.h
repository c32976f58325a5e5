// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "out47.h"

namespace kv::render {

inline constexpr int kTraceLength = 2000;
inline constexpr int kTraceColumns = 851;

void drawGrid(Out47Surface &dc, uint32_t colour, int width);
void drawPixels(Out47Surface &dc, const uint8_t *trace, uint32_t colour);
void drawJumps(Out47Surface &dc, const uint8_t *trace);
void drawLogic(Out47Surface &dc, int yOffset, const uint8_t *trace);
void drawZoomed(Out47Surface &dc, int selector, const uint8_t *source, uint8_t *traceBase,
                int zoomIndex, const int32_t *offsets, int32_t start, uint32_t colour,
                int32_t lineFlag, int width);
void drawXY(Out47Surface &dc, int selectorX, int selectorY, const uint8_t *traceBase,
            const int32_t *offsets, uint32_t colour);
void toDisplay(const uint8_t *source, int32_t mode, const int32_t offsets[6], uint8_t *display,
               int32_t start);
void smooth(uint8_t *x, int32_t length);
bool modeWithFourTraces(int32_t mode);

}  // namespace kv::render
