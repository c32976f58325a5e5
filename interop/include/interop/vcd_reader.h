// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "interop/sample_set.h"

namespace kv::interop {

// What a value change dump yields for a data set of `length` samples.
struct VcdImport {
    bool ok = false;
    std::string error;                           // why nothing could be taken, with the line
    std::array<std::vector<uint8_t>, 3> planes;  // `length` samples each
    std::array<bool, kChannels> matched{};       // channels that got a signal
    std::vector<std::string> unmapped;           // signals of the file that no channel takes
    int64_t fileSamples = 0;                     // samples the file's time span covers
    int64_t droppedSamples = 0;                  // of those, the ones past the data set's end
    bool unknownValues = false;                  // x or z values, taken as 0
};

// Reads a value change dump written by any tool. Channel n takes the first single-bit signal
// named like channel name n (blanks and '_' alike, case ignored), or else one named "D<n>".
// The file's times, in its own time unit, are sampled every `periodPs`: sample k holds the
// values in force at time k x period, a change at exactly that time included. Samples after
// the file's last time stamp keep the last values; channels without a signal stay 0.
VcdImport readVcd(std::istream &in, const std::array<std::string, kChannels> &channelNames,
                  int64_t periodPs, int64_t length);

}  // namespace kv::interop
