// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kv::app {

// The check on leaving the trigger word box: positions 1..8, 10..17 and 19..26 keep "0",
// "1" or nothing (a short text), anything else becomes "X"; the groups are joined with
// single blanks.
std::string normaliseTriggerWord(const std::string &text);

// One byte per character of the 26-character word (separators included): 0x31 for "1",
// 0x30 for "0", 0x78 for anything else; missing characters count as anything else.
void rebuildTriggerWordChars(const std::string &text, std::array<uint8_t, 41> &chars);

}  // namespace kv::app
