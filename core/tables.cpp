// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/tables.h"

#include <cstring>

#include "core/number_format.h"

namespace kv::app {

void GroupTables::setDefaults() {
    static const char *first[] = {"Hexdecimal", "Decimal", "ASCII", "Binary",
                                  "Example",    "USER1",   "USER2", "USER3"};
    for (int g = 0; g < kGroups; ++g) {
        name[g] = g < 8 ? first[g] : "Group" + withSignBlank(g);
        base[g] = g < 8 ? g : 0;
        topBit[g] = 23;
        for (int i = 0; i < 32; ++i)
            bitMap[static_cast<size_t>(g * 32 + i)] = i < 24 ? i : 0;
    }
    std::fill(patterns.begin(), patterns.end(), 255);
    std::fill(characters.begin(), characters.end(), ' ');
    std::fill(patternText.begin(), patternText.end(), std::string(24, 'X'));
    std::fill(mnemonicText.begin(), mnemonicText.end(), std::string());
    const struct {
        const char *pattern, *text, *chars;
        int channel;
        char level;
    } examples[] = {{"XXXXXXXXXXXXXXXXXXXXXXX0", "/read", "/READ", 0, '0'},
                    {"XXXXXXXXXXXXXXXXXXXXXX0X", "/WRITE", "/WRITE", 1, '0'},
                    {"XXXXXXXXXXXXXXXXXXXXX1XX", "RESET", "RESET", 2, '1'}};
    for (int e = 0; e < 3; ++e) {
        uint8_t *p = patterns.data() + e * 24;
        std::memset(p, 0, 24);
        p[examples[e].channel] = static_cast<uint8_t>(examples[e].level);
        patternText[static_cast<size_t>(e)] = examples[e].pattern;
        mnemonicText[static_cast<size_t>(e)] = examples[e].text;
        char *c = characters.data() + e * 8;
        std::memcpy(c, examples[e].chars, std::strlen(examples[e].chars));
    }
}

std::string GroupTables::mnemonic(int table, int entry) const {
    return std::string(characters.data() + (table * 256 + entry) * 8, 8);
}

void TrackTable::setDefaults(const std::array<std::string, kTracks> &channelNames,
                             const GroupTables &groups) {
    for (int t = 0; t < kTracks; ++t) {
        const auto i = static_cast<size_t>(t);
        if (t < 4) {
            content[i] = static_cast<uint8_t>(t);
            height[i] = 2;
            name[i] = groups.name[i];
        } else {
            content[i] = static_cast<uint8_t>(t + 26);
            height[i] = 0;
            name[i] = t - 4 < kTracks ? channelNames[static_cast<size_t>(t - 4)] : "";
        }
        off[i] = 0;
    }
    for (int s = 0; s < kStateColumns; ++s) {
        stateGroup[static_cast<size_t>(s)] = s;
        stateOff[static_cast<size_t>(s)] = s < 8 ? 0 : 1;
    }
}

void ColourTable::setDefaults() {
    std::fill(entry.begin(), entry.end(), rgb(0, 0, 0));
    entry[0] = rgb(192, 192, 192);  // screen background
    entry[1] = rgb(255, 255, 0);    // cursor A
    entry[2] = rgb(0, 255, 255);    // cursor B
    entry[5] = rgb(255, 0, 255);    // trigger bar
    for (int i = 6; i <= 33; ++i)
        entry[static_cast<size_t>(i)] = rgb(0, 255, 0);  // tracks
    entry[542] = rgb(0, 0, 0);                           // timing background
    static const uint32_t swatches[8] = {rgb(255, 0, 0),     rgb(255, 255, 0),  rgb(0, 255, 0),
                                         rgb(0, 255, 255),   rgb(0, 0, 255),    rgb(255, 0, 255),
                                         rgb(255, 255, 255), rgb(128, 128, 128)};
    for (int i = 0; i < 48; ++i) {
        const uint32_t c = swatches[i % 8];
        const int dim = i / 8;  // six shades of each
        const auto scale = [&](uint32_t v) { return v * static_cast<uint32_t>(6 - dim) / 6; };
        palette[static_cast<size_t>(i)] =
            rgb(static_cast<int>(scale(c & 0xFF)), static_cast<int>(scale((c >> 8) & 0xFF)),
                static_cast<int>(scale((c >> 16) & 0xFF)));
    }
}

}  // namespace kv::app
