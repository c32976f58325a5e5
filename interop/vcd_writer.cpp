// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop/vcd_writer.h"

#include <cctype>

#include "interop/time_scale.h"

namespace kv::interop {
namespace {

// Identifier codes from the printable characters '!' .. '~'.
std::string identifier(size_t index) {
    std::string code;
    do {
        code += static_cast<char>('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return code;
}

std::string binary(uint32_t value) {
    std::string bits;
    do {
        bits.insert(bits.begin(), (value & 1u) ? '1' : '0');
        value >>= 1;
    } while (value != 0);
    return bits;
}

}  // namespace

std::string vcdReference(const std::string &name, const std::string &fallback) {
    std::string reference;
    for (char c : name)
        reference += std::isspace(static_cast<unsigned char>(c)) ? '_' : c;
    return reference.empty() ? fallback : reference;
}

void writeVcd(std::ostream &out, const SampleSet &samples, const VcdOptions &options) {
    const TimeScale scale = timeScaleFor(samples.periodPs);
    const int64_t step = samples.periodPs * 1000 / scale.femtoseconds;  // units per sample
    const std::vector<SampleSet::Group> noGroups;
    const auto &groups = options.groupVectors ? samples.groups : noGroups;

    out << "$version KV-6830 host software $end\n";
    out << "$comment time 0 is the trigger, sample " << samples.triggerSample - samples.first
        << " of this file $end\n";
    out << "$timescale " << scale.text() << " $end\n";
    out << "$timezero " << -(samples.triggerSample - samples.first) * step << " $end\n";
    out << "$scope module kv6830 $end\n";
    for (int n = 0; n < kChannels; ++n) {
        out << "$var wire 1 " << identifier(static_cast<size_t>(n)) << ' '
            << vcdReference(samples.channelNames[static_cast<size_t>(n)], "D" + std::to_string(n))
            << " $end\n";
    }
    for (size_t g = 0; g < groups.size(); ++g) {
        const size_t width = groups[g].channels.size();
        out << "$var wire " << width << ' ' << identifier(kChannels + g) << ' '
            << vcdReference(groups[g].name, "G" + std::to_string(g)) << " [" << width - 1
            << ":0] $end\n";
    }
    out << "$upscope $end\n$enddefinitions $end\n";
    if (samples.count <= 0) {
        out << "#0\n";
        return;
    }

    uint32_t previous = samples.word(samples.first);
    out << "#0\n$dumpvars\n";
    for (int n = 0; n < kChannels; ++n)
        out << ((previous >> n) & 1u) << identifier(static_cast<size_t>(n)) << '\n';
    for (size_t g = 0; g < groups.size(); ++g) {
        out << 'b' << binary(SampleSet::groupValue(groups[g], previous)) << ' '
            << identifier(kChannels + g) << '\n';
    }
    out << "$end\n";
    for (int64_t k = 1; k < samples.count; ++k) {
        const uint32_t word = samples.word(samples.first + k);
        const uint32_t changed = word ^ previous;
        if (changed == 0) continue;
        out << '#' << k * step << '\n';
        for (int n = 0; n < kChannels; ++n) {
            if ((changed >> n) & 1u)
                out << ((word >> n) & 1u) << identifier(static_cast<size_t>(n)) << '\n';
        }
        for (size_t g = 0; g < groups.size(); ++g) {
            const uint32_t value = SampleSet::groupValue(groups[g], word);
            if (value != SampleSet::groupValue(groups[g], previous))
                out << 'b' << binary(value) << ' ' << identifier(kChannels + g) << '\n';
        }
        previous = word;
    }
    out << '#' << samples.count * step << '\n';
}

}  // namespace kv::interop
