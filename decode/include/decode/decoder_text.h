// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "decode/setup.h"

namespace kv::decode {

// A decoder stack written as text, the way the command line and the decoder settings file
// take it: "uart:rx=D11,baudrate=250000", stacked decoders joined by '+'
// ("i2c:scl=D0,sda=D1+eeprom24xx"). A key names one of the decoder's channels or one of its
// options; a channel takes "D<n>" or a channel name (case, blanks and '_' alike); an option
// takes a value of the type the decoder declares (one of its values where it lists them).
// Channels left out are mapped by name where a channel is named like them.
struct DecoderTextParse {
    DecoderStack stack;
    std::string error;  // empty when the text was taken
};
DecoderTextParse parseDecoderText(const std::string &text,
                                  const std::array<std::string, 24> &channelNames);

// The text of a stack that parseDecoderText reads back, channels as "D<n>".
std::string formatDecoderText(const DecoderStack &stack);

// The unit channel a text names: "D<n>" (any case) or a channel name; -1 when none.
int channelNamed(const std::string &text, const std::array<std::string, 24> &channelNames);

// The decoder's channels (required and optional) mapped to unit channels whose names match
// the channel's id or name, for a first mapping.
std::map<std::string, int> mapByName(const DecoderInfo &info,
                                     const std::array<std::string, 24> &channelNames);

// The channels the decoder needs that `setup` leaves unmapped, by id.
std::vector<std::string> unmappedChannels(const DecoderInfo &info, const DecoderSetup &setup);

}  // namespace kv::decode
