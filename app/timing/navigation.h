// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "timing/view_model.h"

namespace kv::app {

// The arithmetic behind the wheel and the keys of a timing view. Pixel counts are whole
// pixels from the picture's left edge; samples and pixels are converted through the zoom
// step's item data, so that no float rounding moves a position by a sample.

// Whole wheel notches (120 units each) in a stream of wheel deltas; what is left of a
// notch waits for the next event, so that fine-grained wheels step as often as coarse ones.
class WheelNotches {
  public:
    int feed(int delta);

  private:
    int m_rest = 0;
};

// The zoom list index `steps` items further (negative: towards "Magnify 50"), held
// within the list's 13 items.
int neighbourZoomStep(int listIndex, int steps);

// The sample under pixel x.
int32_t sampleAtPixel(int32_t screenStart, int x, ZoomRatio zoom);

// The screen start at zoom `to` that keeps under pixel x the sample that lay under it at
// zoom `from`. It may be negative or beyond the record; the zoom change clamps it.
int32_t startKeepingPixel(int32_t screenStart, int x, ZoomRatio from, ZoomRatio to);

// Samples one scroll key moves the screen: a tenth of the drawing width, at least one
// sample, or the whole width.
int32_t scrollSamples(int drawingWidth, ZoomRatio zoom, bool wholeWidth);

// A scroll bar value moved by `samples`, held within 0..max.
int32_t movedBarValue(int32_t value, int64_t samples, int32_t max);

// The screen start that puts `position` in the middle of the drawing width, held within
// 0..max.
int32_t centredStart(int32_t position, int drawingWidth, ZoomRatio zoom, int32_t max);

// The most magnified zoom step at which a whole record of `recordLength` samples fits
// into the drawing width; "Magnify 1/200" when none does.
int fittingZoomStep(int32_t recordLength, int drawingWidth);

}  // namespace kv::app
