// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "core/program_state.h"

namespace kv::app {

inline constexpr int kMnemonicTables = 4;
inline constexpr int kMnemonicEntries = 256;
inline constexpr int kGroupNameLength = 10;
inline constexpr int kMnemonicLength = 10;

// The group table and the user mnemonic tables as the Group Setup window edits them, and
// as other windows (the search) read them. Plain data in, plain data out: no widgets.

// A pattern box as it is kept: of the first 8 characters "0", "1", "x" and "X" stay and
// every other character becomes "X"; a shorter text stays shorter.
std::string normalisedPatternBox(const std::string &text);

// The 24-character pattern text (D23 first) of the three boxes D23-D16, D15-D8, D7-D0.
// A box shorter than 8 characters is filled up with "X", so that each box always stands
// for its own eight channels.
std::string joinedPattern(const std::string &d23to16, const std::string &d15to8,
                          const std::string &d7to0);

// The three boxes of a pattern text: characters 1 to 8, 9 to 16 and 17 to 24.
struct PatternBoxes {
    std::string d23to16, d15to8, d7to0;
};
PatternBoxes splitPattern(const std::string &pattern);

// One entry of a user mnemonic table.
class MnemonicEntry {
  public:
    MnemonicEntry(GroupTables &tables, int table, int position);

    const std::string &patternText() const;
    const std::string &text() const;
    // The 8 characters the state listing shows.
    std::string characters() const;
    // Pattern byte of channel Dc: '0', '1', 0 (don't care) or 255 (never edited).
    uint8_t patternByte(int channel) const;

    // A new pattern: its text, and the pattern bytes ("0" and "1" demand that level, any
    // other character and a missing one do not care).
    void setPattern(const std::string &pattern);
    // Only the pattern text (what leaving an entry keeps); the pattern bytes stay.
    void setPatternText(const std::string &pattern);
    // The mnemonic text; its first 8 characters, space-padded, are what the listing shows.
    void setText(const std::string &text);

  private:
    GroupTables &m_tables;
    size_t m_entry;  // table x 256 + position
};

// One group of the group table.
class GroupEntry {
  public:
    GroupEntry(GroupTables &tables, int group);

    int number() const { return m_group; }
    const std::string &name() const;
    int base() const;            // 0 HEX, 1 DEC, 2 ASC, 3 BIN, 4..7 USER0..USER3
    int topBit() const;          // number of channels - 1
    int channel(int bit) const;  // channel that supplies bit `bit`

    void setBase(int base);
    void setTopBit(int topBit);
    void setChannel(int bit, int channel);

  private:
    GroupTables &m_tables;
    int m_group;
};

// Renames a group; every track showing a group, in every view, takes its group's name.
void renameGroup(ProgramState &state, int group, const std::string &name);

// Whether a name can be kept in the settings file, which separates values with commas
// and writes single-byte text: printable ASCII without the comma.
bool isStorableNameCharacter(char c);

}  // namespace kv::app
