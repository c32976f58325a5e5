// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "interop/sample_set.h"

namespace kv::interop {

enum class CsvRows {
    EverySample,  // one row per sample
    EveryChange,  // the first sample, each sample that differs from the one before, the last
};

// Writes a header row "Time (s)" and the channel names D0 to D23, then one row per sample
// (or per change): the time from the trigger in seconds with twelve decimals and a 0 or 1
// per channel. Lines end with LF; names holding a comma or a quote are quoted.
void writeCsv(std::ostream &out, const SampleSet &samples, CsvRows rows);

}  // namespace kv::interop
