// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::render {

enum ColumnLevel : uint8_t { kColumnLow = 0, kColumnHigh = 1, kColumnBoth = 2 };

// For each of `columns` columns x, whether bit `mask` of the d + 1 samples
// p[first + x*d .. first + x*d + d] is all clear, all set, or both. Reads only those
// samples. Uses the vector path where the processor has one.
void columnLevels(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out);

// The two paths behind columnLevels, for the tests and the benchmark. The AVX2 path may
// only be called where avx2Available() is true.
void columnLevelsPortable(const uint8_t *p, long first, long d, int columns, uint8_t mask,
                          uint8_t *out);
void columnLevelsAvx2(const uint8_t *p, long first, long d, int columns, uint8_t mask,
                      uint8_t *out);
bool avx2Available();

}  // namespace kv::render
