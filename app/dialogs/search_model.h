// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/program_state.h"
#include "out47.h"

namespace kv::app {

inline constexpr int kSearchWordLength = 24;
inline constexpr const char *kBlankSearchWord = "xxxxxxxxxxxxxxxxxxxxxxxx";
// The preset words OptData(0) to OptData(3).
inline constexpr std::array<const char *, 4> kSearchPresets = {
    "XXXXXXXXXXXXXXXX11111111", "XXXXXXXX11111111XXXXXXXX", "XXXXXXXXXXXXXXXX00000000",
    "XXXXXXXX00000000XXXXXXXX"};

// The two search masks: bits that must be 1, and don't-care bits; bit b is channel Db.
struct SearchMasks {
    uint32_t ones = 0;
    uint32_t dontCare = 0;
    // Whether sample word w matches: every cared-for channel at its level.
    bool matches(uint32_t w) const {
        return ((w | dontCare) & 0xFFFFFFu) == ((ones | dontCare) & 0xFFFFFFu);
    }
};

// The word as the search takes it: 24 positions, D23 first, each "0", "1" or "x"; any
// other character, and a missing one, becomes "x".
std::string normalisedSearchWord(const std::string &text);
// Masks of a word (normalised first).
SearchMasks searchMasks(const std::string &word);

// The word "=>" takes from a cursor: the value label captions of rows 23 down to 0,
// joined and normalised.
std::string wordFromValueLabels(const std::array<std::string, 24> &rows23to0);

// "Upate": the search word composed from the four group rows (group number and typed
// value each) in the given radix (0 hexadecimal, 1 decimal). A row whose value is empty
// or only "X" stands for "don't care" and changes nothing; in decimal a row that is not a
// number is skipped. In hexadecimal a value that is not a hexadecimal number (or longer
// than 8 digits) is refused: `error` tells which row, and `word` is empty.
struct ComposedWord {
    std::string word;  // 24 characters, "0", "1" and "X"
    std::string error;
};
ComposedWord composeFromGroups(GroupTables &groups, const std::array<int, 4> &rowGroups,
                               const std::array<std::string, 4> &rowValues, int radix);

// One search through the render library's SearchVdata from the chosen cursor (0 A, 1 B,
// 2 trigger cursor) of the current view, in direction 0 forward or 1 backward.
struct SearchOutcome {
    bool found = false;
    int32_t start = 0;
    int32_t position = 0;  // the hit, or the start when nothing matched
};
SearchOutcome runSearch(ProgramState &s, decltype(&::SearchVdata) searchVdata,
                        const SearchMasks &masks, int cursor, int direction);

// The position of cursor 0, 1 or 2 of a view.
int32_t &cursorPosition(ViewState &view, int cursor);

}  // namespace kv::app
