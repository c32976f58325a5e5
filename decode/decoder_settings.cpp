// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder settings file.
#include "decode/decoder_settings.h"

#include "decode/decoder_text.h"

namespace kv::decode {

void writeDecoderSettings(std::ostream &out, const ViewDecoders &views) {
    out << "# Protocol decoders of the timing views\n";
    for (const auto &[view, stacks] : views) {
        if (stacks.empty()) continue;
        out << "[Timing" << view + 1 << "]\n";
        for (const auto &stack : stacks)
            out << formatDecoderText(stack) << '\n';
    }
}

DecoderSettingsRead readDecoderSettings(std::istream &in) {
    DecoderSettingsRead result;
    std::array<std::string, 24> plain{};  // channels are written as D<n>
    std::string line;
    int number = 0;
    int view = -1;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("[Timing", 0) == 0 && line.back() == ']') {
            view = std::atoi(line.c_str() + 7) - 1;
            if (view < 0 || view > 9) {
                result.problems.push_back("line " + std::to_string(number) + ": no such view");
                view = -1;
            }
            continue;
        }
        if (view < 0) {
            result.problems.push_back("line " + std::to_string(number) + ": outside a view");
            continue;
        }
        DecoderTextParse parse = parseDecoderText(line, plain);
        if (!parse.error.empty()) {
            result.problems.push_back("line " + std::to_string(number) + ": " + parse.error);
            continue;
        }
        result.views[view].push_back(std::move(parse.stack));
    }
    return result;
}

}  // namespace kv::decode
