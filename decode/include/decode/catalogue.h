// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kv::decode {

// An option value as decoders declare them: whole number, real number or text.
using OptionValue = std::variant<int64_t, double, std::string>;
std::string optionText(const OptionValue &value);

struct ChannelInfo {
    std::string id;    // "rx"
    std::string name;  // "RX"
    std::string desc;
};

struct OptionInfo {
    std::string id;
    std::string desc;
    OptionValue defaultValue;
    std::vector<OptionValue> values;  // the allowed values; empty when any value goes
};

struct RowInfo {
    std::string id;
    std::string desc;
    std::vector<int> classes;
};

// What an installed decoder declares.
struct DecoderInfo {
    std::string id;
    std::string name;
    std::string longName;
    std::string desc;
    std::vector<std::string> inputs;   // "logic" for decoders fed with samples
    std::vector<std::string> outputs;  // what decoders stacked on it take
    std::vector<ChannelInfo> channels;
    std::vector<ChannelInfo> optionalChannels;
    std::vector<OptionInfo> options;
    std::vector<std::string> annotationClasses;  // descriptions, by class number
    std::vector<RowInfo> rows;  // the declared rows, or one row per class when none is

    const OptionInfo *option(const std::string &id) const;
    // The channel's index among channels then optional channels; -1 when it has none.
    int channelIndex(const std::string &id) const;
    bool takesSamples() const;
};

// Starts the decoding library once per process (and Python with it). `extraPath`, when
// not empty, is searched for decoders before the installed ones. Later calls do nothing
// and return the first call's outcome. Returns an empty text on success, else the reason.
std::string initialise(const std::string &extraPath = {});

// Every installed decoder, sorted by id; empty when the library could not start.
const std::vector<DecoderInfo> &catalogue();
const DecoderInfo *findDecoder(const std::string &id);

// Decoders that can sit on top of `below` (they take one of its outputs).
std::vector<const DecoderInfo *> stackableOn(const DecoderInfo &below);

}  // namespace kv::decode
