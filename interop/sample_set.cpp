// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop/sample_set.h"

namespace kv::interop {

uint32_t SampleSet::word(int64_t s) const {
    const auto i = static_cast<size_t>(s);
    return static_cast<uint32_t>(planes[2][i]) << 16 | static_cast<uint32_t>(planes[1][i]) << 8 |
           planes[0][i];
}

uint32_t SampleSet::groupValue(const Group &group, uint32_t word) {
    uint32_t value = 0;
    for (size_t i = group.channels.size(); i-- > 0;) {
        const int channel = group.channels[i];
        value = value << 1 | ((channel >= 0 && channel < kChannels) ? (word >> channel) & 1u : 0u);
    }
    return value;
}

std::array<std::string, kChannels> defaultChannelNames() {
    std::array<std::string, kChannels> names;
    for (int n = 0; n < kChannels; ++n)
        names[static_cast<size_t>(n)] = "Chan D " + std::to_string(n);
    return names;
}

}  // namespace kv::interop
