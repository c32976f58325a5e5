// SPDX-License-Identifier: GPL-3.0-or-later
// The search as the algorithm reads: skip the run under the start, then find.
#include "groups.h"
#include "reference.h"

namespace kv::render {

int32_t searchSamplesReference(const SearchArgs &a) {
    const uint32_t value = a.value | 0xFF000000u;
    const uint32_t mask = a.mask | 0xFF000000u;
    const uint32_t target = value | mask;
    const int64_t step = a.backward ? -1 : 1;
    const int64_t n = int64_t{a.count} - 1;
    if (a.start < 0 || a.start > n) return a.start;
    const auto read = [&](int64_t q) {
        return sampleWord(a.planes[0], a.planes[1], a.planes[2], q) | mask;
    };
    int64_t q = a.start;
    uint32_t current = read(q);
    int64_t steps = 0;
    while (steps < n && current == target) {
        if (q >= n) q = 0;
        if (q < 0) q = n;
        current = read(q);
        ++steps;
        q += step;
    }
    while (steps < n && current != target) {
        if (q >= n) q = 0;
        if (q < 0) q = n;
        current = read(q);
        ++steps;
        q += step;
    }
    return steps < n ? static_cast<int32_t>(q - step) : a.start;
}

}  // namespace kv::render
