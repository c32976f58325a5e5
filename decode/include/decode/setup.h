// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <vector>

#include "decode/catalogue.h"

namespace kv::decode {

// One decoder of a stack: its id, the unit channel (0..23) of each of its channels and the
// options set (options left out keep the decoder's defaults).
struct DecoderSetup {
    std::string id;
    std::map<std::string, int> channels;
    std::map<std::string, OptionValue> options;
    bool operator==(const DecoderSetup &) const = default;
};

// Decoders stacked on one another, the one fed with samples first.
using DecoderStack = std::vector<DecoderSetup>;

}  // namespace kv::decode
