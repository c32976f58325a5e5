// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/group_model.h"

#include <algorithm>

namespace kv::app {

std::string normalisedPatternBox(const std::string &text) {
    std::string out = text.substr(0, 8);
    for (char &c : out) {
        if (c != '0' && c != '1' && c != 'x' && c != 'X') c = 'X';
    }
    return out;
}

std::string joinedPattern(const std::string &d23to16, const std::string &d15to8,
                          const std::string &d7to0) {
    std::string out;
    for (const std::string *box : {&d23to16, &d15to8, &d7to0}) {
        std::string b = normalisedPatternBox(*box);
        b.resize(8, 'X');
        out += b;
    }
    return out;
}

PatternBoxes splitPattern(const std::string &pattern) {
    const auto part = [&](size_t from) {
        return from < pattern.size() ? pattern.substr(from, 8) : std::string();
    };
    return {part(0), part(8), part(16)};
}

MnemonicEntry::MnemonicEntry(GroupTables &tables, int table, int position)
    : m_tables(tables),
      m_entry(static_cast<size_t>(std::clamp(table, 0, kMnemonicTables - 1) * kMnemonicEntries +
                                  std::clamp(position, 0, kMnemonicEntries - 1))) {}

const std::string &MnemonicEntry::patternText() const {
    return m_tables.patternText[m_entry];
}

const std::string &MnemonicEntry::text() const {
    return m_tables.mnemonicText[m_entry];
}

std::string MnemonicEntry::characters() const {
    return std::string(m_tables.characters.data() + m_entry * 8, 8);
}

uint8_t MnemonicEntry::patternByte(int channel) const {
    return m_tables.patterns[m_entry * 24 + static_cast<size_t>(std::clamp(channel, 0, 23))];
}

void MnemonicEntry::setPattern(const std::string &pattern) {
    setPatternText(pattern);
    // Character p (1-based) of the text belongs to channel D(24 - p).
    for (size_t p = 1; p <= 24; ++p) {
        uint8_t &b = m_tables.patterns[m_entry * 24 + 24 - p];
        b = 0;
        if (p <= pattern.size() && (pattern[p - 1] == '0' || pattern[p - 1] == '1'))
            b = static_cast<uint8_t>(pattern[p - 1]);
    }
}

void MnemonicEntry::setPatternText(const std::string &pattern) {
    m_tables.patternText[m_entry] = pattern;
}

void MnemonicEntry::setText(const std::string &text) {
    m_tables.mnemonicText[m_entry] = text;
    char *c = m_tables.characters.data() + m_entry * 8;
    for (size_t i = 0; i < 8; ++i)
        c[i] = i < text.size() ? text[i] : ' ';
}

GroupEntry::GroupEntry(GroupTables &tables, int group)
    : m_tables(tables), m_group(std::clamp(group, 0, kGroups - 1)) {}

const std::string &GroupEntry::name() const {
    return m_tables.name[static_cast<size_t>(m_group)];
}

int GroupEntry::base() const {
    return m_tables.base[static_cast<size_t>(m_group)];
}

int GroupEntry::topBit() const {
    return m_tables.topBit[static_cast<size_t>(m_group)];
}

int GroupEntry::channel(int bit) const {
    return m_tables.bitMap[static_cast<size_t>(m_group * 32 + std::clamp(bit, 0, 31))];
}

void GroupEntry::setBase(int base) {
    m_tables.base[static_cast<size_t>(m_group)] = std::clamp(base, 0, 7);
}

void GroupEntry::setTopBit(int topBit) {
    m_tables.topBit[static_cast<size_t>(m_group)] = std::clamp(topBit, 0, 23);
}

void GroupEntry::setChannel(int bit, int channel) {
    if (bit < 0 || bit >= 32) return;
    m_tables.bitMap[static_cast<size_t>(m_group * 32 + bit)] = std::clamp(channel, 0, 23);
}

void renameGroup(ProgramState &state, int group, const std::string &name) {
    if (group < 0 || group >= kGroups) return;
    state.groups.name[static_cast<size_t>(group)] = name;
    for (TrackTable &view : state.tracks) {
        for (size_t j = 0; j < 30; ++j) {
            if (view.content[j] < kGroups) view.name[j] = state.groups.name[view.content[j]];
        }
    }
}

bool isStorableNameCharacter(char c) {
    return c >= ' ' && c <= '~' && c != ',';
}

}  // namespace kv::app
