// SPDX-License-Identifier: GPL-3.0-or-later
// DrawLa as plainly as the algorithm reads: level rows first, then the passes over them.
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "reference.h"

namespace kv::render {
namespace {

// A row read at any column: before the first filled column it reads column 0, past the
// last filled column it reads like its left neighbour.
int rowAt(const std::vector<int> &row, long column) {
    if (row.empty()) return 0;
    if (column < 0) return row.front();
    if (column >= static_cast<long>(row.size())) return row.back();
    return row[static_cast<size_t>(column)];
}

void singleReference(const TrackArgs &a) {
    Out47Surface &dc = *a.dc;
    const int d = kZoomSteps[a.zoom];
    const int u = a.h + 6;
    const long pos = a.start - 1L;
    const auto level = [&](long s) { return ((a.plane[s] >> a.bit) & 1) ? u : 3 * u; };
    std::vector<int> row;
    if (a.zoom <= 5) {
        for (long s = pos; static_cast<long>(row.size()) < a.width + 50L; ++s) {
            row.insert(row.end(), static_cast<size_t>(d), level(s));
        }
        const long shift = d - a.fine;
        int c = rowAt(row, shift);
        dc.set_pixel(dc.user, 0, a.y0 + c, a.colour);
        dc.move_to(dc.user, 0, a.y0 + c);
        for (int x = 0; x < a.width; ++x) {
            const int v = rowAt(row, x + shift);
            if (v != c) {
                dc.line_to(dc.user, x, a.y0 + c);
                dc.line_to(dc.user, x, a.y0 + v);
                c = v;
            }
        }
        dc.line_to(dc.user, a.width, a.y0 + c);
        return;
    }
    // A column holding both levels is marked apart from any level value (the levels
    // themselves may be 1 for small heights).
    constexpr int kBoth = std::numeric_limits<int>::min();
    for (long x = 0; x < a.width + 50L; ++x) {
        const long first = pos + x * d;
        const int l = level(first);
        bool same = true;
        for (long s = first + 1; s <= first + d; ++s)
            same = same && level(s) == l;
        row.push_back(same ? l : kBoth);
    }
    for (int x = 0; x < a.width; ++x) {
        const int v = row[static_cast<size_t>(x)];
        if (v == kBoth) {
            dc.move_to(dc.user, x, a.y0 + u);
            dc.line_to(dc.user, x, a.y0 + 3 * u + 1);
        } else {
            dc.set_pixel(dc.user, x, a.y0 + v, a.colour);
        }
    }
}

void busReference(const TrackArgs &a) {
    Out47Surface &dc = *a.dc;
    const int g = a.selector;
    const int d = kZoomSteps[a.zoom];
    const int u = a.h + 6;
    const long end = a.width + 150L;
    std::vector<uint32_t> values;
    std::vector<int> row1, row2;
    long s = a.start - 1L;
    int phase = 0;
    uint32_t previous = 0;
    while (static_cast<long>(row1.size()) < end) {
        const uint32_t v =
            groupValue(a.groups, g, sampleWord(a.planes[0], a.planes[1], a.planes[2], s));
        values.push_back(v);
        if (v != previous) phase ^= 1;
        previous = v;
        const size_t columns = a.zoom <= 5 ? static_cast<size_t>(d) : 1;
        row1.insert(row1.end(), columns, phase ? 3 * u : u);
        row2.insert(row2.end(), columns, phase ? u : 3 * u);
        s += a.zoom <= 5 ? 1 : d;
    }
    const int top = topBitOf(a.groups, g);
    const int base = a.groups.base[g];
    const int minimum = minimumLabelWidth(base, top);
    const long first = a.zoom <= 5 ? d - a.fine : 1 - a.fine;
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<int> &row = pass == 0 ? row1 : row2;
        int c = rowAt(row, first);
        dc.set_pixel(dc.user, 0, a.y0 + c, a.colour);
        dc.move_to(dc.user, 0, a.y0 + c);
        long segmentStart = 0;
        long x = 0;
        for (; x < end; ++x) {
            const int v = rowAt(row, first + x);
            if (v == c) continue;
            dc.line_to(dc.user, static_cast<int>(x), a.y0 + c);
            dc.line_to(dc.user, static_cast<int>(x), a.y0 + v);
            c = v;
            if (pass == 0 && minimum >= 0 && x - segmentStart > minimum) {
                long entry = a.zoom <= 5 ? segmentStart / d + 1 : segmentStart + 1;
                entry = std::min<long>(entry, static_cast<long>(values.size()) - 1);
                const std::string text =
                    labelText(a.groups, base, top, values[static_cast<size_t>(entry)]);
                if (!text.empty()) {
                    dc.text_out(dc.user, static_cast<int>(segmentStart + 2), a.y0 + 2 * u - 6,
                                text.data(), static_cast<int>(text.size()));
                }
            }
            segmentStart = x;
        }
        dc.line_to(dc.user, static_cast<int>(x), a.y0 + c);
    }
}

}  // namespace

void drawTrackReference(const TrackArgs &a) {
    if (!drawable(a)) return;
    if (a.selector >= 30)
        singleReference(a);
    else
        busReference(a);
}

}  // namespace kv::render
