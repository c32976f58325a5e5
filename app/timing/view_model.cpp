// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/view_model.h"

#include <algorithm>
#include <cmath>

#include "timing/bar_range.h"

namespace kv::app {

float pixelsPerSampleOf(int listIndex) {
    if (listIndex < 0 || listIndex > 12) return 1.0f;
    const float z = static_cast<float>(kZoomList[listIndex].itemData) / 1000.0f;
    return z == 0.0f ? 1.0f : z;
}

ZoomRatio::ZoomRatio(float pixelsPerSample)
    : itemData(pixelsPerSample == 0.0f ? 1000
                                       : static_cast<int>(std::lround(pixelsPerSample * 1000.0))) {
    if (itemData <= 0) itemData = 1000;
}

ZoomRatio ZoomRatio::ofStep(int listIndex) {
    ZoomRatio r;
    if (listIndex >= 0 && listIndex <= 12 && kZoomList[listIndex].itemData != 0) {
        r.itemData = kZoomList[listIndex].itemData;
    }
    return r;
}

void lowerToBarMax(ViewState &view) {
    for (int32_t *p : {&view.cursorA, &view.cursorB, &view.triggerCursor, &view.screenStart}) {
        if (*p > view.barMax) *p = view.barMax;
    }
}

std::string delayLabelText(const ViewState &view) {
    return "-" + std::to_string(view.delayBarMax - view.triggerDelay + 512 / 2 + 28);
}

void applyZoomStep(ProgramState &s, int v, int listIndex) {
    ViewState &view = s.views[static_cast<size_t>(v)];
    static constexpr double kPerPixel[14] = {
        1.0 / 50, 1.0 / 20, 1.0 / 10, 1.0 / 5, 1.0 / 2, 1, 2, 5, 10, 20, 50, 100, 200, 500};
    view.samplesPerDivision = 50;
    view.samplesPerPixel = 1;
    if (listIndex >= 0 && listIndex <= 13) {
        view.samplesPerPixel = kPerPixel[listIndex];
        view.samplesPerDivision = 50 * view.samplesPerPixel;
    }
    if (listIndex >= 0 && listIndex <= 12) view.zoomIndex = static_cast<uint8_t>(listIndex);
}

void applyMemoryDepth(ProgramState &s) {
    const bool deep = s.settings.memoryDepthIndex == 1;
    s.recordLength = deep ? 128 * 1024 : 2 * 1024;
    s.lastStart = s.recordLength - 32;
    s.delayE = deep ? 256 : 2;
    for (int v = 0; v <= s.highestViewIndex; ++v) {
        ViewState &view = s.views[static_cast<size_t>(v)];
        if (view.cursorA > s.lastStart) view.cursorA = 30;
        if (view.cursorB > s.lastStart) view.cursorB = 90;
        if (view.triggerCursor > s.lastStart) view.triggerCursor = 60;
        if (view.screenStart > s.lastStart) view.screenStart = 0;
        view.barMax = s.lastStart - 1;
        view.largeChange = deep ? 128 : 8;
        view.delayLargeChange = 10240;
        view.delayBarMin = ((deep ? 256 : 2) + 100) * 512;
        // HScroll7 holds its value inside its range, which runs reversed (Min above Max).
        view.triggerDelay = BarRange{view.delayBarMin, view.delayBarMax}.clamp(view.triggerDelay);
    }
}

AnchorPlacement zoomWithAnchor(ProgramState &s, int v, int listIndex) {
    ViewState &view = s.views[static_cast<size_t>(v)];
    applyZoomStep(s, v, listIndex);
    if (listIndex < 1) listIndex = 0;
    view.pixelsPerSample = pixelsPerSampleOf(listIndex);
    // Through the step's item data: at "Magnify 1/200" 600 pixels are 120 000 samples
    // exactly, where the float 0.005 would make them 120 000.003 and lose a sample.
    const double visible = ZoomRatio::ofStep(listIndex).toSamples(view.drawingWidth);
    double start = view.screenStart;
    if (start > view.barMax - visible) start = view.barMax - visible;
    if (start < 1) start = 0;
    const double perPixel = view.samplesPerPixel;
    AnchorPlacement place;
    switch (view.zoomAnchor) {
        case 0:
            start = view.cursorA - 300 * perPixel;
            break;
        case 1:
            start = view.cursorB - 300 * perPixel;
            break;
        case 2:
            start = view.triggerCursor - 300 * perPixel;
            break;
        case 4: {
            const auto at = [&](double offset) -> std::optional<int32_t> {
                const auto p = static_cast<int32_t>(start + offset * perPixel);
                if (p > view.barMax) return std::nullopt;
                return p;
            };
            place.cursorA = at(20);
            place.cursorB = at(200);
            if (!s.triggerDelayMode) place.trigger = at(400);
            break;
        }
        default:
            break;
    }
    if (start < 1) start = 0;
    view.screenStart = static_cast<int32_t>(start);
    view.previousZoomIndex = static_cast<uint8_t>(listIndex);
    return place;
}

int columnsToDraw(int32_t recordLength, int32_t screenStart, float pixelsPerSample,
                  int32_t recordOffset, int drawingWidth) {
    const float z = pixelsPerSample == 0.0f ? 1.0f : pixelsPerSample;
    auto columns =
        static_cast<int>((recordLength - screenStart) * static_cast<double>(z) - recordOffset - 10);
    columns = std::min(columns, drawingWidth);
    return columns <= 1 ? 1 : columns;
}

std::optional<int> cursorLineX(int32_t position, int32_t screenStart, float pixelsPerSample,
                               int drawingWidth) {
    // Pixels per sample is a 32-bit float; the visible span is computed in that precision
    // so that "Magnify 1/10" spans exactly W x 10 samples.
    const float z = pixelsPerSample == 0.0f ? 1.0f : pixelsPerSample;
    const float span = static_cast<float>(drawingWidth) / z;
    if (position < screenStart || position > screenStart + static_cast<double>(span)) {
        return std::nullopt;
    }
    return static_cast<int>(static_cast<float>(position - screenStart) * z);
}

int markX(int32_t position, int32_t lastStart, int barLeft, int barWidth) {
    if (lastStart <= 0) return barLeft + 25;
    return barLeft + 25 +
           static_cast<int>(static_cast<double>(position) * (barWidth - 50) / lastStart);
}

int rowHeight(uint8_t heightCode) {
    return (heightCode + 4) * 4 + 2;
}

std::vector<TrackRow> shownRows(const TrackTable &t, int firstRow) {
    std::vector<TrackRow> rows;
    int top = -5;
    for (int i = std::max(firstRow, 0); i < kShownTracks; ++i) {
        const auto r = static_cast<size_t>(i);
        if (t.off[r]) continue;
        const int height = rowHeight(std::min<uint8_t>(t.height[r], 5));
        rows.push_back({i, top, height});
        top += height;
    }
    return rows;
}

Flow flowItems(const std::vector<int> &widths, int available, int gap, int lineHeight) {
    Flow f;
    int x = 0;
    for (const int w : widths) {
        if (f.lines == 0 || (x > 0 && x + w > available)) {
            ++f.lines;
            x = 0;
        }
        f.places.push_back({x, (f.lines - 1) * lineHeight});
        x += w + gap;
    }
    return f;
}

std::string trackToolTip(uint8_t content) {
    if (content < 30) return "Group" + std::to_string(content) + " name";
    return "Edit channel D" + std::to_string(content - 30) + " name";
}

std::string viewCaption(int view, uint32_t tick) {
    std::string head = "Timing view " + std::to_string(view + 1);
    head.resize(15, ' ');  // the length of "timing view  0 "
    return head + "   time of last data=" + std::to_string(tick) + "ms";
}

}  // namespace kv::app
