// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv::render {

inline constexpr long kRowStride = 263168;  // 1024 x 257 bytes between rows of the store
inline constexpr int kRecords = 10;

// 0 written, else the code of platform::outcomeCode with the reason in errno: -1 not
// written, -2 refused (read-only, a folder), -3 rewriting in place failed part way.
int32_t saveDataFile(const uint8_t *row0, int32_t length, const char *path);
// 0 read, -1 refused (nothing touched).
int32_t loadDataRecord(uint8_t *destination, int32_t length, const char *path, int32_t record);

}  // namespace kv::render
