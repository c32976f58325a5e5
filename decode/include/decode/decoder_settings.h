// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "decode/setup.h"

namespace kv::decode {

// The decoders of each view, kept in a file of their own beside the settings file:
// a line "[Timing<n>]" opens view n (1-based), each following line is one stack in the text
// form of parseDecoderText. Blank lines and lines starting with '#' are skipped.
using ViewDecoders = std::map<int, std::vector<DecoderStack>>;  // view index (0-based)

void writeDecoderSettings(std::ostream &out, const ViewDecoders &views);

struct DecoderSettingsRead {
    ViewDecoders views;
    std::vector<std::string> problems;  // "line 3: ..." for each line not taken
};
DecoderSettingsRead readDecoderSettings(std::istream &in);

}  // namespace kv::decode
