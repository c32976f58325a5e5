// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::interop {

inline constexpr int kChannels = 24;

// A run of samples of one data set as the exports see it: three byte planes (plane p holds
// channels D(8p)..D(8p+7), byte s is sample s), the samples to write, where the trigger lies
// and how far apart the samples are.
struct SampleSet {
    std::array<const uint8_t *, 3> planes{};
    int64_t first = 0;          // index of the first sample written
    int64_t count = 0;          // samples written
    int64_t triggerSample = 0;  // index of the sample at time 0
    int64_t periodPs = 10000;   // time between samples, picoseconds
    std::array<std::string, kChannels> channelNames;
    // A multi-bit value: bit i comes from channel channels[i]; bit 0 is the least significant.
    struct Group {
        std::string name;
        std::vector<int> channels;
    };
    std::vector<Group> groups;

    // The 24-bit sample word of sample s: plane 2 in bits 23..16, plane 0 in bits 7..0.
    uint32_t word(int64_t s) const;
    // The value of a group in a sample word.
    static uint32_t groupValue(const Group &group, uint32_t word);
};

// The channel names as the default table has them: "Chan D 0" .. "Chan D 23".
std::array<std::string, kChannels> defaultChannelNames();

}  // namespace kv::interop
