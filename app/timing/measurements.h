// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "timing/view_model.h"

namespace kv::app {

// Distance texts of the read-outs "A-B", "A-T", "B-T".
// Time: nothing when d >= 9.999e20 ps (the label then keeps its text).
std::optional<std::string> timeDistanceText(int32_t a, int32_t b, double periodPs);
std::string sampleDistanceText(int32_t a, int32_t b);
std::string frequencyText(int64_t n, uint8_t rateCode, double rangePeriod);

struct DisplayUnits {
    bool time = true, samples = false, frequency = false;
};
// The text a read-out shows after the steps of the checked units (later steps win);
// `previous` is what it showed before.
std::string distanceText(int32_t a, int32_t b, const DisplayUnits &units, double periodPs,
                         uint8_t rateCode, double rangePeriod, const std::string &previous);
// The clicked display-unit item toggles; the other two take the opposite of its new state.
DisplayUnits toggleUnit(DisplayUnits units, int clicked);  // 0 time, 1 samples, 2 frequency

// The trigger position the read-outs use.
int32_t readoutTrigger(const ProgramState &s, const ViewState &v);

// Mouse positions are turned into samples through the zoom step's exact ratio.
// Which cursor a left press at x catches: 0 A, 1 B, 2 T, or 3 for the screen.
int catchCursor(double x, const ViewState &v, ZoomRatio zoom, bool triggerDelayMode);
// Screen start after a screen drag from anchor to x.
int32_t draggedScreenStart(const ViewState &v, double x, double anchor, ZoomRatio zoom,
                           int drawingWidth);
// Position of a cursor dragged to x, pinned to the bar's maximum.
int32_t draggedCursor(const ViewState &v, double x, ZoomRatio zoom);
// Screen start for the screen scroll bar value: at most the bar's Max less the samples the
// drawing width shows, as for a drag and a zoom change, so that the bar reaches the
// record's end in a view of any width.
int32_t screenFromBar(const ViewState &v, int32_t value, ZoomRatio zoom, int drawingWidth);

// The data-to-timing caption rule for view items 0..n; returns the captions and sets the
// views' data sets. `byAutoCommand`: the rule's third step applies.
std::vector<std::string> applyCaptionRule(ProgramState &s, bool byAutoCommand,
                                          const std::vector<bool> &onlyChecked = {});
// The automatic assignment: view v shows data set (k + 1 + v) mod (n + 1).
void autoAssign(ProgramState &s);

}  // namespace kv::app
