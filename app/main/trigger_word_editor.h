// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kv::app {

// Editing model of a trigger word box: 26 fixed positions, three groups of eight channels
// (D23..D16, D15..D8, D7..D0) with a blank after the first two. Each channel holds "0",
// "1" or "X". Keys never insert or remove positions: typing overwrites the channel under
// the cursor, backspace and delete turn a channel to "X", paste fills channels from the
// cursor on. The blanks cannot be typed over or deleted. Positions are character indices
// 0..26 as a line edit counts them; a selection runs from `anchor` to the cursor.
//
// Other boxes of fixed channel positions (the search word: 24 channels, no blanks, "x"
// for don't care) use the same editing with their own layout.
struct WordLayout {
    int length = 26;
    int separators[2] = {8, 17};  // -1: none
    char dontCare = 'X';
    const char *blank = "XXXXXXXX XXXXXXXX XXXXXXXX";
};

class TriggerWordEditor {
  public:
    static constexpr int kLength = 26;
    static constexpr const char *kBlankWord = "XXXXXXXX XXXXXXXX XXXXXXXX";

    explicit TriggerWordEditor(const WordLayout &layout = {});

    const WordLayout &layout() const { return m_layout; }

    const std::string &text() const { return m_text; }
    int cursor() const { return m_cursor; }

    // A word from elsewhere (settings file, the other box): channels that hold anything
    // but "0" or "1", and missing channels, become "X".
    void setText(const std::string &text);
    // Moves the cursor; with an anchor different from `cursor`, the positions between
    // them are selected. Both are clamped to 0..26.
    void setCursor(int cursor, int anchor = -1);

    // What a typed or pasted character stands for: '0', '1', 'X' ("x", "z", "Z" read as
    // "X"), or 0 when it is not taken.
    static char channelChar(char c);
    static bool isSeparator(int position) { return position == 8 || position == 17; }
    // 26 characters, "0", "1" or "X" at every channel and blanks at the separators.
    static bool isWellFormed(const std::string &text);
    // The same for this editor's layout.
    bool wellFormed(const std::string &text) const;

    // Each returns true when the word changed.
    bool type(char c);
    bool backspace();
    bool deleteForward();
    bool paste(const std::string &clip);

  private:
    bool hasSelection() const { return m_anchor != m_cursor; }
    // Turns the selected channels to "X" and puts the cursor at the selection's start.
    bool clearSelection();
    void skipSeparatorForward();
    bool separatorAt(int position) const;
    int length() const { return m_layout.length; }

    WordLayout m_layout;
    std::string m_text;
    int m_cursor = 0;
    int m_anchor = 0;
};

}  // namespace kv::app
