// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/navigation.h"

#include <algorithm>

namespace kv::app {
namespace {

constexpr int kNotch = 120;

// Samples in `pixels` (not negative) at a zoom step, rounded down.
int64_t samplesIn(int pixels, ZoomRatio zoom) {
    return int64_t{pixels} * 1000 / zoom.itemData;
}

}  // namespace

int WheelNotches::feed(int delta) {
    m_rest += delta;
    const int notches = m_rest / kNotch;  // towards zero: a turn back first undoes the rest
    m_rest -= notches * kNotch;
    return notches;
}

int neighbourZoomStep(int listIndex, int steps) {
    return std::clamp(listIndex + steps, 0, 12);
}

int32_t sampleAtPixel(int32_t screenStart, int x, ZoomRatio zoom) {
    return static_cast<int32_t>(screenStart + samplesIn(std::max(x, 0), zoom));
}

int32_t startKeepingPixel(int32_t screenStart, int x, ZoomRatio from, ZoomRatio to) {
    // Pixel x lies in the sample k = start + floor(x / z_from). At the new zoom it lies in
    // sample k when start' + x / z_to falls within [k, k + 1): start' = k - floor(x / z_to).
    const int px = std::max(x, 0);
    const int64_t k = screenStart + samplesIn(px, from);
    return static_cast<int32_t>(k - samplesIn(px, to));
}

int32_t scrollSamples(int drawingWidth, ZoomRatio zoom, bool wholeWidth) {
    const int64_t width = samplesIn(std::max(drawingWidth, 0), zoom);
    const int64_t step = wholeWidth ? width : width / 10;
    return static_cast<int32_t>(std::max<int64_t>(step, 1));
}

int32_t movedBarValue(int32_t value, int64_t samples, int32_t max) {
    return static_cast<int32_t>(std::clamp<int64_t>(value + samples, 0, std::max(max, 0)));
}

int32_t centredStart(int32_t position, int drawingWidth, ZoomRatio zoom, int32_t max) {
    return movedBarValue(position, -samplesIn(std::max(drawingWidth, 0) / 2, zoom), max);
}

int fittingZoomStep(int32_t recordLength, int drawingWidth) {
    for (int step = 0; step < 13; ++step) {
        // The record's pixels at this step, rounded up: every sample must find room.
        const int64_t pixels = (int64_t{recordLength} * kZoomList[step].itemData + 999) / 1000;
        if (pixels <= drawingWidth) return step;
    }
    return 12;
}

}  // namespace kv::app
