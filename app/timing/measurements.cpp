// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/measurements.h"

#include <cmath>
#include <cstdlib>

#include "core/number_format.h"

namespace kv::app {

std::optional<std::string> timeDistanceText(int32_t a, int32_t b, double periodPs) {
    const double d = std::fabs(static_cast<double>(a) - b) * periodPs;
    std::string text;
    bool picoseconds = false;
    if (d < 999.9) {
        text = formatNumber(d, "###.##") + "pS";
        picoseconds = true;
    } else if (d < 999900) {
        text = formatNumber(d / 1000, "#####.##") + "nS";
    } else if (d < 9.999e8) {
        text = formatNumber(d / 1e6, "#####.##") + "uS";
    } else if (d < 9.999e11) {
        text = formatNumber(d / 1e9, "#####.##") + "mS";
    } else if (d < 9.999e14) {
        text = formatNumber(d / 1e12, "#####.##") + "S";
    } else if (d < 9.999e17) {
        text = formatNumber(d / 1e12, "########") + "S";
    } else if (d < 9.999e20) {
        text = formatNumber(d / 1e12, "##########") + "S";
    } else {
        return std::nullopt;
    }
    if (a < b) text.insert(0, picoseconds ? "-0" : "-");
    return text;
}

std::string sampleDistanceText(int32_t a, int32_t b) {
    return std::to_string(static_cast<int64_t>(a) - b);
}

std::string frequencyText(int64_t n, uint8_t rateCode, double rangePeriod) {
    if (n == 0 || rangePeriod == 0 || rateCode > 35) return "";
    const double v = 1e6 / static_cast<double>(n) / rangePeriod;
    static const char *kUnits[3][3] = {
        {"MHz", "KHz", " Hz"}, {"KHz", " Hz", "mHz"}, {" Hz", "mHz", "uHz"}};
    const int range = rateCode <= 10 ? 0 : rateCode <= 24 ? 1 : 2;
    if (v >= 1000 && v <= 999999.999) return formatNumber(v / 1000, "###.###") + kUnits[range][0];
    if (v >= 1 && v <= 999.999) return formatNumber(v, "###.###") + kUnits[range][1];
    if (v >= 0.001 && v <= 0.999999) return formatNumber(v * 1000, "###.###") + kUnits[range][2];
    return "";
}

std::string distanceText(int32_t a, int32_t b, const DisplayUnits &units, double periodPs,
                         uint8_t rateCode, double rangePeriod, const std::string &previous) {
    std::string text = previous;
    if (units.time) {
        if (auto t = timeDistanceText(a, b, periodPs)) text = *t;
    }
    if (units.samples) text = sampleDistanceText(a, b);
    if (units.frequency) {
        const int64_t n = std::llabs(static_cast<int64_t>(a) - b);
        text = n == 0 ? "----" : frequencyText(n, rateCode, rangePeriod);
    }
    return text;
}

DisplayUnits toggleUnit(DisplayUnits units, int clicked) {
    bool *items[3] = {&units.time, &units.samples, &units.frequency};
    const bool now = !*items[clicked];
    for (int i = 0; i < 3; ++i)
        *items[i] = i == clicked ? now : !now;
    return units;
}

int32_t readoutTrigger(const ProgramState &s, const ViewState &v) {
    return s.triggerDelayMode ? v.delayBarMax - v.triggerDelay - 256 : v.triggerCursor;
}

int catchCursor(double x, const ViewState &v, ZoomRatio zoom, bool triggerDelayMode) {
    const int32_t positions[3] = {v.cursorA, v.cursorB, v.triggerCursor};
    for (int k = 0; k < 3; ++k) {
        const double cx = zoom.toPixels(static_cast<double>(positions[k]) - v.screenStart);
        if (cx - 5 < x && x < cx + 5) {
            // In trigger delay mode the trigger cursor cannot be caught; the search ends
            // there and the press drags the screen.
            if (k == 2 && triggerDelayMode) return 3;
            return k;
        }
    }
    return 3;
}

int32_t draggedScreenStart(const ViewState &v, double x, double anchor, ZoomRatio zoom,
                           int drawingWidth) {
    if (x < 0) x = 0;
    double start = v.screenStart + std::trunc(zoom.toSamples(x - anchor));
    const double limit = v.barMax - zoom.toSamples(drawingWidth);
    if (start > limit) start = limit;
    if (start < 1) start = 0;
    return static_cast<int32_t>(start);
}

int32_t draggedCursor(const ViewState &v, double x, ZoomRatio zoom) {
    if (x < 0) x = 0;
    const auto p = static_cast<int64_t>(v.screenStart + zoom.toSamples(x));
    if (p >= v.barMax) return v.barMax;
    return static_cast<int32_t>(std::max<int64_t>(p, 0));
}

int32_t screenFromBar(const ViewState &v, int32_t value, ZoomRatio zoom, int drawingWidth) {
    double start = value;
    const double limit = v.barMax - zoom.toSamples(drawingWidth);
    if (start > limit) start = limit;
    if (start < 0) start = 0;
    return static_cast<int32_t>(start);
}

std::vector<std::string> applyCaptionRule(ProgramState &s, bool byAutoCommand,
                                          const std::vector<bool> &onlyChecked) {
    const int n = s.highestViewIndex;
    std::vector<std::string> captions(static_cast<size_t>(n + 1));
    for (int i = 0; i <= n; ++i) {
        if (!onlyChecked.empty() && !onlyChecked[static_cast<size_t>(i)]) continue;
        const std::string item = "Timing" + std::to_string(i + 1);
        ViewState &v = s.views[static_cast<size_t>(i)];
        if (!s.data2timing && !s.data2timingbyauto) {
            captions[static_cast<size_t>(i)] = item + " <--data1";
            v.dataSet = 0;
        } else {
            captions[static_cast<size_t>(i)] = item + " <--data" + std::to_string(i + 1);
            v.dataSet = i;
        }
        if (byAutoCommand && s.data2timingbyauto) {
            captions[static_cast<size_t>(i)] = item + " <--data" + std::to_string(n + 1 - i) + "^";
            v.dataSet = 0;
        }
    }
    if (byAutoCommand && s.data2timingbyauto) {
        captions[static_cast<size_t>(n)] = "Timing" + std::to_string(n + 1) + " <--data1<----";
    }
    return captions;
}

void autoAssign(ProgramState &s) {
    if (!s.data2timingbyauto) return;
    const int n = s.highestViewIndex;
    for (int v = 0; v <= n; ++v) {
        s.views[static_cast<size_t>(v)].dataSet = (s.nextAutoDataSet + 1 + v) % (n + 1);
    }
}

}  // namespace kv::app
