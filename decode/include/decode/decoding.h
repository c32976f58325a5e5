// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "decode/annotation.h"
#include "decode/setup.h"

namespace kv::decode {

// Decodes `count` samples with the stack at `sampleRate` hertz and returns what the
// decoders said. `words` holds 24-bit sample words, D0 in bit 0. A decoder that fails
// (a Python error, a bad option) gives `error` naming it; a set `cancel` stops the run early.
DecodeResult decodeWords(const DecoderStack &stack, const uint32_t *words, int64_t count,
                         uint64_t sampleRate, const std::atomic<bool> *cancel = nullptr);

// The same from the three byte planes of a data set (plane p holds D(8p)..D(8p+7)),
// samples `first` .. `first + count - 1`; annotation sample numbers count from `first`.
DecodeResult decodePlanes(const DecoderStack &stack, const std::array<const uint8_t *, 3> &planes,
                          int64_t first, int64_t count, uint64_t sampleRate,
                          const std::atomic<bool> *cancel = nullptr);

// The rows a stack shows, every row of each decoder in turn.
std::vector<RowName> rowsOf(const DecoderStack &stack);

}  // namespace kv::decode
