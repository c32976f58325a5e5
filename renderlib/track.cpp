// SPDX-License-Identifier: GPL-3.0-or-later
// DrawLa for speed. Same primitives in the same order as the reference; the work is
// bounded by the width: an expanded single channel is walked a sample at a time, a
// compressed one folds each column's samples with vector AND and OR, and a bus reads
// one sample per step through per-plane lookup tables.
#include <algorithm>
#include <string>
#include <vector>

#include "column_levels.h"
#include "track.h"

namespace kv::render {
namespace {

struct Scratch {
    std::vector<int> levels;
    std::vector<uint8_t> phases;
    std::vector<uint32_t> values;
    std::vector<uint8_t> columns;
};

Scratch &scratch() {
    thread_local Scratch s;
    return s;
}

void singleExpanded(const TrackArgs &a) {
    Out47Surface &dc = *a.dc;
    const long d = kZoomSteps[a.zoom];
    const int u = a.h + 6;
    const long pos = a.start - 1L;
    // The level row holds whole steps of d columns until width + 50 columns are filled;
    // drawing column x reads row column x + d - fine, clamped to the row.
    const long columns = (a.width + 50L + d - 1) / d * d;
    const long shift = d - a.fine;
    const auto levelOfStep = [&](long step) {
        return ((a.plane[pos + step] >> a.bit) & 1) ? u : 3 * u;
    };
    const auto lineTo = dc.line_to;
    void *const user = dc.user;
    int c = levelOfStep(std::clamp(shift, 0L, columns - 1) / d);
    dc.set_pixel(user, 0, a.y0 + c, a.colour);
    dc.move_to(user, 0, a.y0 + c);
    const auto visit = [&](long x, int v) {
        if (v == c) return;
        lineTo(user, static_cast<int>(x), a.y0 + c);
        lineTo(user, static_cast<int>(x), a.y0 + v);
        c = v;
    };
    // Columns left of the row read its first column.
    long x = shift < 0 ? std::min<long>(a.width, -shift) : 0;
    // Inside the row, one visit per step: the step's columns all read one sample.
    if (x < a.width && x + shift < columns) {
        long step = (x + shift) / d;
        while (x < a.width && x + shift < columns) {
            visit(x, levelOfStep(step));
            x = std::min<long>((step + 1) * d - shift, a.width);
            ++step;
        }
    }
    // Columns right of the row read its last column.
    if (x < a.width) visit(x, levelOfStep((columns - 1) / d));
    lineTo(user, a.width, a.y0 + c);
}

void singleCompressed(const TrackArgs &a) {
    Out47Surface &dc = *a.dc;
    const long d = kZoomSteps[a.zoom];
    const int u = a.h + 6;
    Scratch &sc = scratch();
    sc.columns.resize(static_cast<size_t>(a.width));
    columnLevels(a.plane, a.start - 1L, d, a.width, static_cast<uint8_t>(1u << a.bit),
                 sc.columns.data());
    const auto setPixel = dc.set_pixel;
    const auto moveTo = dc.move_to;
    const auto lineTo = dc.line_to;
    void *const user = dc.user;
    for (int x = 0; x < a.width; ++x) {
        const uint8_t level = sc.columns[static_cast<size_t>(x)];
        if (level == kColumnBoth) {
            moveTo(user, x, a.y0 + u);
            lineTo(user, x, a.y0 + 3 * u + 1);
        } else {
            setPixel(user, x, a.y0 + (level == kColumnHigh ? u : 3 * u), a.colour);
        }
    }
}

// Group value of a sample through three 256-entry tables, one per plane.
struct GroupLookup {
    uint32_t table[3][256];
    explicit GroupLookup(const GroupTables &t, int group) {
        uint32_t single[3][8] = {};
        const int top = topBitOf(t, group);
        const int32_t *row = t.bitMap + group * 32;
        for (int i = 0; i <= top; ++i) {
            const int32_t channel = row[i];
            if (channel >= 0 && channel < 24) single[channel / 8][channel % 8] |= 1u << i;
        }
        for (int p = 0; p < 3; ++p) {
            table[p][0] = 0;
            for (int b = 1; b < 256; ++b) {
                table[p][b] =
                    table[p][b & (b - 1)] | single[p][__builtin_ctz(static_cast<unsigned>(b))];
            }
        }
    }
    uint32_t operator()(const uint8_t *const planes[3], long s) const {
        return table[0][planes[0][s]] | table[1][planes[1][s]] | table[2][planes[2][s]];
    }
};

void bus(const TrackArgs &a) {
    Out47Surface &dc = *a.dc;
    const int g = a.selector;
    const long d = kZoomSteps[a.zoom];
    const bool expanded = a.zoom <= 5;
    const int u = a.h + 6;
    const long end = a.width + 150L;
    const GroupLookup lookup(a.groups, g);

    Scratch &sc = scratch();
    const long steps = expanded ? (end + d - 1) / d : end;
    sc.phases.resize(static_cast<size_t>(steps));
    sc.values.resize(static_cast<size_t>(steps));
    uint8_t phase = 0;
    uint32_t previous = 0;
    long s = a.start - 1L;
    const long stride = expanded ? 1 : d;
    for (long k = 0; k < steps; ++k, s += stride) {
        const uint32_t v = lookup(a.planes, s);
        if (v != previous) phase ^= 1;
        previous = v;
        sc.phases[static_cast<size_t>(k)] = phase;
        sc.values[static_cast<size_t>(k)] = v;
    }
    const long columns = expanded ? steps * d : steps;
    const long first = expanded ? d - a.fine : 1 - a.fine;
    const auto phaseAt = [&](long x) {
        const long column = std::clamp(first + x, 0L, columns - 1);
        return sc.phases[static_cast<size_t>(expanded ? column / d : column)];
    };

    const int top = topBitOf(a.groups, g);
    const int base = a.groups.base[g];
    const int minimum = minimumLabelWidth(base, top);
    for (int pass = 0; pass < 2; ++pass) {
        // Row 1 is low (3u) in phase 1, row 2 the opposite.
        const auto levelOf = [&](uint8_t p) { return (p ^ pass) ? 3 * u : u; };
        int c = levelOf(phaseAt(0));
        dc.set_pixel(dc.user, 0, a.y0 + c, a.colour);
        dc.move_to(dc.user, 0, a.y0 + c);
        long segmentStart = 0;
        for (long x = 1; x < end; ++x) {
            const int v = levelOf(phaseAt(x));
            if (v == c) continue;
            dc.line_to(dc.user, static_cast<int>(x), a.y0 + c);
            dc.line_to(dc.user, static_cast<int>(x), a.y0 + v);
            c = v;
            if (pass == 0 && minimum >= 0 && x - segmentStart > minimum) {
                const long entry =
                    std::min(expanded ? segmentStart / d + 1 : segmentStart + 1, steps - 1);
                const std::string text =
                    labelText(a.groups, base, top, sc.values[static_cast<size_t>(entry)]);
                if (!text.empty()) {
                    dc.text_out(dc.user, static_cast<int>(segmentStart + 2), a.y0 + 2 * u - 6,
                                text.data(), static_cast<int>(text.size()));
                }
            }
            segmentStart = x;
        }
        dc.line_to(dc.user, static_cast<int>(end), a.y0 + c);
    }
}

}  // namespace

bool drawable(const TrackArgs &a) {
    if (!a.dc || !a.dc->set_pixel || !a.dc->move_to || !a.dc->line_to || !a.dc->text_out) {
        return false;
    }
    if (a.zoom < 0 || a.zoom > 12 || a.width < 0) return false;
    if (a.selector >= 30) return a.plane && a.bit >= 0 && a.bit <= 7;
    return a.planes[0] && a.planes[1] && a.planes[2] && a.groups.base && a.groups.topBit &&
           a.groups.bitMap;
}

void drawTrack(const TrackArgs &a) {
    if (!drawable(a)) return;
    if (a.selector < 30)
        bus(a);
    else if (a.zoom <= 5)
        singleExpanded(a);
    else
        singleCompressed(a);
}

}  // namespace kv::render
