// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/search_model.h"

#include <algorithm>
#include <cctype>

#include "dialogs/group_model.h"

namespace kv::app {

std::string normalisedSearchWord(const std::string &text) {
    // Same rule as the mnemonic pattern boxes, then every don't care written "x".
    const PatternBoxes boxes = splitPattern(text);
    std::string word = joinedPattern(boxes.d23to16, boxes.d15to8, boxes.d7to0);
    std::replace(word.begin(), word.end(), 'X', 'x');
    return word;
}

SearchMasks searchMasks(const std::string &word) {
    const std::string w = normalisedSearchWord(word);
    SearchMasks m;
    for (int p = 1; p <= kSearchWordLength; ++p) {
        const uint32_t bit = 1u << (kSearchWordLength - p);
        const char c = w[static_cast<size_t>(p - 1)];
        if (c == '1') m.ones |= bit;
        if (c == 'x') m.dontCare |= bit;
    }
    return m;
}

std::string wordFromValueLabels(const std::array<std::string, 24> &rows23to0) {
    std::string joined;
    for (const std::string &caption : rows23to0)
        joined += caption;
    return normalisedSearchWord(joined);
}

namespace {

bool onlyDontCare(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == 'x' || c == 'X'; });
}

std::string trimmed(const std::string &text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

ComposedWord composeFromGroups(GroupTables &groups, const std::array<int, 4> &rowGroups,
                               const std::array<std::string, 4> &rowValues, int radix) {
    ComposedWord out{std::string(kSearchWordLength, 'X'), {}};
    for (size_t i = 0; i < 4; ++i) {
        const std::string text = trimmed(rowValues[i]);
        if (onlyDontCare(text)) continue;
        uint64_t value = 0;
        if (radix == 1) {
            if (text.size() > 10 || !std::all_of(text.begin(), text.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c)) != 0;
                }))
                continue;
            value = std::stoull(text);
        } else {
            if (text.size() > 8 || !std::all_of(text.begin(), text.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                })) {
                return {{},
                        "Group row " + std::to_string(i + 1) + ": \"" + text +
                            "\" is not a hexadecimal number of at most 8 digits (0-9, A-F)."};
            }
            value = std::stoull(text, nullptr, 16);
        }
        const GroupEntry group(groups, std::clamp(rowGroups[i], 0, kGroups - 1));
        for (int k = 0; k <= std::min(group.topBit(), 31); ++k) {
            const int c = group.channel(k);
            if (c < 0 || c >= kSearchWordLength) continue;
            out.word[static_cast<size_t>(kSearchWordLength - 1 - c)] =
                (value >> k) & 1u ? '1' : '0';
        }
    }
    return out;
}

int32_t &cursorPosition(ViewState &view, int cursor) {
    return cursor == 1 ? view.cursorB : cursor == 2 ? view.triggerCursor : view.cursorA;
}

SearchOutcome runSearch(ProgramState &s, decltype(&::SearchVdata) searchVdata,
                        const SearchMasks &masks, int cursor, int direction) {
    const int v = std::clamp(s.currentView, 0, kMaxViews);
    ViewState &view = s.views[static_cast<size_t>(v)];
    const int set = std::clamp(view.dataSet, 0, std::max(s.capture.dataSets() - 1, 0));
    cursor = std::clamp(cursor, 0, 2);
    SearchOutcome out;
    out.start = out.position = cursorPosition(view, cursor);
    if (!searchVdata || s.capture.dataSets() == 0) return out;
    uint32_t pattern[2] = {masks.ones, masks.dontCare};
    int32_t positions[4] = {0, 0, 0, 0};
    positions[cursor] = out.start;
    const auto plane = [&](int p) { return reinterpret_cast<intptr_t>(s.capture.plane(set, p)); };
    searchVdata(plane(0), plane(1), plane(2), pattern, cursor, direction ? 1u : 0u,
                &s.dataSetRecords[static_cast<size_t>(set)][0], positions, s.recordLength);
    out.position = positions[3];
    // The library reports the start position when nothing matches; a hit is never the
    // start itself, as the search first leaves the run of matches under it.
    out.found = out.position != out.start;
    return out;
}

}  // namespace kv::app
