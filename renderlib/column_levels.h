#pragma once

#include <cstdint>

namespace kv::render {

enum ColumnLevel : uint8_t { kColumnLow = 0, kColumnHigh = 1, kColumnBoth = 2 };

// For each of `columns` columns x, whether bit `mask` of the d + 1 samples
// p[first + x*d .. first + x*d + d] is all clear, all set, or both. Reads only those
// samples; vectorised, so a column costs a few instructions per 32 samples.
void columnLevels(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out);

}  // namespace kv::render
