// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop/csv_writer.h"

#include "interop/time_scale.h"

namespace kv::interop {
namespace {

std::string field(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + '"';
}

}  // namespace

void writeCsv(std::ostream &out, const SampleSet &samples, CsvRows rows) {
    out << "Time (s)";
    for (const std::string &name : samples.channelNames)
        out << ',' << field(name);
    out << '\n';
    std::string line;
    uint32_t previous = 0;
    for (int64_t k = 0; k < samples.count; ++k) {
        const int64_t s = samples.first + k;
        const uint32_t word = samples.word(s);
        const bool write =
            rows == CsvRows::EverySample || k == 0 || k == samples.count - 1 || word != previous;
        previous = word;
        if (!write) continue;
        line = secondsText((s - samples.triggerSample) * samples.periodPs);
        for (int n = 0; n < kChannels; ++n) {
            line += ',';
            line += static_cast<char>('0' + ((word >> n) & 1u));
        }
        line += '\n';
        out << line;
    }
}

}  // namespace kv::interop
