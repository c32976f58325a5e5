// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>

#include "interop/sample_set.h"

namespace kv::interop {

struct VcdOptions {
    // One vector per group besides the one wire per channel. Some readers take only
    // single-bit values and stop at the first vector; they need this off.
    bool groupVectors = true;
};

// Writes the samples as a value change dump: one wire per channel named after its channel
// name (blanks become '_'), one vector per group, the time unit the longest that divides the
// sample period, the first sample at time 0 and a closing time stamp one period after the
// last sample. "$timezero" moves time 0 to the trigger for readers that show it.
void writeVcd(std::ostream &out, const SampleSet &samples, const VcdOptions &options = {});

// A name as a VCD reference: blanks become '_'; an empty name becomes `fallback`.
std::string vcdReference(const std::string &name, const std::string &fallback);

}  // namespace kv::interop
