// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/trigger_word.h"

namespace kv::app {

std::string normaliseTriggerWord(const std::string &text) {
    std::string groups[3];
    for (int g = 0; g < 3; ++g) {
        for (size_t i = 0; i < 8; ++i) {
            const size_t at = static_cast<size_t>(g) * 9 + i;
            if (at >= text.size()) break;
            const char c = text[at];
            groups[g] += (c == '0' || c == '1') ? c : 'X';
        }
    }
    return groups[0] + " " + groups[1] + " " + groups[2];
}

void rebuildTriggerWordChars(const std::string &text, std::array<uint8_t, 41> &chars) {
    for (size_t i = 0; i < 26; ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        chars[i] = c == '1' ? 0x31 : c == '0' ? 0x30 : 0x78;
    }
}

}  // namespace kv::app
