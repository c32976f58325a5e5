// SPDX-License-Identifier: GPL-3.0-or-later
// TestAd: levels, period and transition times of a byte-valued trace.
#include <cstdlib>

#include "second_path.h"

namespace kv::render {
namespace {

int16_t field(int64_t v) {
    return static_cast<int16_t>(v);
}

// One full cycle from the first crossing of the threshold up to the sample before the
// second crossing after it: samples at or below, above, and the mean deviation.
void measurePeriod(const uint8_t *t, int32_t n, int32_t reference, uint8_t threshold, int16_t *r) {
    int32_t crossing[3] = {-1, -1, -1};
    int found = 0;
    for (int32_t i = 1; i < n && found < 3; ++i) {
        if ((t[i] <= threshold) != (t[i - 1] <= threshold)) crossing[found++] = i;
    }
    if (found < 3) {
        r[5] = -1;
        r[8] = r[9] = r[10] = 0;
        return;
    }
    int64_t low = 0, high = 0, deviation = 0;
    for (int32_t i = crossing[0]; i < crossing[2]; ++i) {
        (t[i] <= threshold ? low : high) += 1;
        deviation += std::abs(t[i] - reference);
    }
    r[8] = field(low);
    r[9] = field(high);
    r[10] = field(low && high ? low + high : 0);
    r[5] = field(deviation / (crossing[2] - crossing[0]));
}

// Samples from the last one at or beyond `from` to the first following one at or beyond
// `to`; -1 when the trace makes no such move.
int16_t transition(const uint8_t *t, int32_t n, bool fromAbove, int from, int to) {
    int32_t last = -1;
    for (int32_t i = 0; i < n; ++i) {
        const bool atFrom = fromAbove ? t[i] >= from : t[i] <= from;
        const bool atTo = fromAbove ? t[i] <= to : t[i] >= to;
        if (atFrom)
            last = i;
        else if (atTo && last >= 0)
            return field(i - last);
    }
    return -1;
}

}  // namespace

void testAd(const uint8_t *t, int32_t n, int32_t reference, uint8_t threshold, int16_t *r) {
    if (!t || !r || n <= 0) return;
    int lowest = 255, highest = 0;
    int64_t sum = 0, deviation = 0;
    for (int32_t i = 0; i < n; ++i) {
        lowest = t[i] < lowest ? t[i] : lowest;
        highest = t[i] > highest ? t[i] : highest;
        sum += t[i];
        deviation += std::abs(t[i] - reference);
    }
    const int64_t mean = sum / n;
    r[0] = field(255 - lowest);
    r[1] = field(255 - highest);
    r[2] = field(255 - mean);
    r[3] = field(highest - lowest);
    r[12] = field((highest + lowest) / 2);
    r[4] = field(deviation / n);
    if (highest - lowest <= 10) return;
    measurePeriod(t, n, reference, threshold, r);
    const int m = lowest + (highest - lowest) / 10;
    const int g = highest - (highest - lowest) / 10;
    // Values are screen heights: a rising signal moves from g up to m.
    r[6] = transition(t, n, true, g, m);
    r[7] = transition(t, n, false, m, g);
}

}  // namespace kv::render
