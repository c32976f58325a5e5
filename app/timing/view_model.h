// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/program_state.h"

namespace kv::app {

struct ZoomStep {
    const char *caption;
    int itemData;  // 1000 x magnification
};
inline constexpr ZoomStep kZoomList[13] = {
    {"Magnify 50", 50000}, {"Magnify 20", 20000}, {"Magnify 10", 10000}, {"Magnify 5", 5000},
    {"Magnify 2", 2000},   {"Magnify 1", 1000},   {"Magnify 1/2", 500},  {"Magnify 1/5", 200},
    {"Magnify 1/10", 100}, {"Magnify 1/20", 50},  {"Magnify 1/50", 20},  {"Magnify 1/100", 10},
    {"Magnify 1/200", 5}};

// Pixels per sample of a zoom list index (item data / 1000, 1.0 when that is 0).
float pixelsPerSampleOf(int listIndex);

// The exact scale of a zoom step, item data / 1000 pixels per sample. Pixels and samples
// are converted through the whole item data, so that at "Magnify 1/5" pixel 560 is sample
// 2800 exactly (the float 0.2 would give 2799.99...).
struct ZoomRatio {
    int itemData = 1000;
    ZoomRatio() = default;
    // From a pixels-per-sample value (0 reads as 1.0).
    ZoomRatio(float pixelsPerSample);  // NOLINT(google-explicit-constructor)
    static ZoomRatio ofStep(int listIndex);
    double toSamples(double pixels) const { return pixels * 1000.0 / itemData; }
    double toPixels(double samples) const { return samples * itemData / 1000.0; }
};

// Positions above the bars' Max are lowered to it (apply view state to the windows).
void lowerToBarMax(ViewState &view);

// Label8 in trigger delay mode: "-" followed by (HScroll7.Max - delay + 512 / 2 + 28).
std::string delayLabelText(const ViewState &view);

// Apply zoom step: zoom index, samples per division and per pixel of view v.
void applyZoomStep(ProgramState &s, int v, int listIndex);

// Apply memory depth from the settings' depth index, for every view.
void applyMemoryDepth(ProgramState &s);

// Zoom change with anchor for view v (the zoom list shows listIndex). Returns the
// cursors to place for anchor 4 as (cursor, position) pairs, each within its bar.
struct AnchorPlacement {
    std::optional<int32_t> cursorA, cursorB, trigger;
};
AnchorPlacement zoomWithAnchor(ProgramState &s, int v, int listIndex);

// Columns to draw for a view: (record length - screen start) x pixels per sample -
// record offset - 10, limited to the drawing width and at least 1.
int columnsToDraw(int32_t recordLength, int32_t screenStart, float pixelsPerSample,
                  int32_t recordOffset, int drawingWidth);

// x of a cursor line, or nothing when the cursor lies outside the drawn span.
std::optional<int> cursorLineX(int32_t position, int32_t screenStart, float pixelsPerSample,
                               int drawingWidth);

// x of a mark over the screen scroll bar for a position within the whole record.
int markX(int32_t position, int32_t lastStart, int barLeft, int barWidth);

// The rows a view shows, top down: row index, top and height in the picture.
struct TrackRow {
    int row;
    int top;     // track top passed to the renderer (first shown row at -5)
    int height;  // (height code + 4) x 4 + 2
};
std::vector<TrackRow> shownRows(const TrackTable &t, int firstRow);
int rowHeight(uint8_t heightCode);

// Places items of the given widths in lines from left to right, starting a new line when
// the next item would pass the available width (an item wider than the width gets a line of
// its own). Positions are relative to the first line's left end.
struct FlowPlace {
    int x = 0, y = 0;
};
struct Flow {
    std::vector<FlowPlace> places;
    int lines = 0;
};
Flow flowItems(const std::vector<int> &widths, int available, int gap, int lineHeight);

// The tool tip of a track name box.
std::string trackToolTip(uint8_t content);

// Caption of a view window with the end-of-capture tick.
std::string viewCaption(int view, uint32_t tick);

}  // namespace kv::app
