// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/trigger_word_editor.h"

#include <algorithm>

namespace kv::app {

TriggerWordEditor::TriggerWordEditor(const WordLayout &layout)
    : m_layout(layout), m_text(layout.blank) {}

bool TriggerWordEditor::separatorAt(int position) const {
    return position == m_layout.separators[0] || position == m_layout.separators[1];
}

void TriggerWordEditor::setText(const std::string &text) {
    m_text = m_layout.blank;
    for (int i = 0; i < length() && i < static_cast<int>(text.size()); ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (!separatorAt(i) && (c == '0' || c == '1')) m_text[static_cast<size_t>(i)] = c;
    }
    setCursor(m_cursor);
}

void TriggerWordEditor::setCursor(int cursor, int anchor) {
    m_cursor = std::clamp(cursor, 0, length());
    m_anchor = anchor < 0 ? m_cursor : std::clamp(anchor, 0, length());
}

char TriggerWordEditor::channelChar(char c) {
    switch (c) {
        case '0':
        case '1':
            return c;
        case 'x':
        case 'X':
        case 'z':
        case 'Z':
            return 'X';
        default:
            return 0;
    }
}

bool TriggerWordEditor::isWellFormed(const std::string &text) {
    return TriggerWordEditor().wellFormed(text);
}

bool TriggerWordEditor::wellFormed(const std::string &text) const {
    if (text.size() != static_cast<size_t>(length())) return false;
    for (int i = 0; i < length(); ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (separatorAt(i) ? c != ' ' : (c != '0' && c != '1' && c != m_layout.dontCare))
            return false;
    }
    return true;
}

bool TriggerWordEditor::clearSelection() {
    const int from = std::min(m_cursor, m_anchor);
    const int to = std::max(m_cursor, m_anchor);
    bool changed = false;
    for (int i = from; i < to; ++i) {
        if (separatorAt(i) || m_text[static_cast<size_t>(i)] == m_layout.dontCare) continue;
        m_text[static_cast<size_t>(i)] = m_layout.dontCare;
        changed = true;
    }
    setCursor(from);
    return changed;
}

void TriggerWordEditor::skipSeparatorForward() {
    if (separatorAt(m_cursor)) setCursor(m_cursor + 1);
}

bool TriggerWordEditor::type(char c) {
    if (c == ' ' && !hasSelection()) {
        // Typing the blank between two groups steps over it.
        if (separatorAt(m_cursor)) setCursor(m_cursor + 1);
        return false;
    }
    char channel = channelChar(c);
    if (channel == 0) return false;
    if (channel == 'X') channel = m_layout.dontCare;
    bool changed = hasSelection() ? clearSelection() : false;
    skipSeparatorForward();
    if (m_cursor >= length()) return changed;
    char &at = m_text[static_cast<size_t>(m_cursor)];
    changed = changed || at != channel;
    at = channel;
    setCursor(m_cursor + 1);
    skipSeparatorForward();
    return changed;
}

bool TriggerWordEditor::backspace() {
    if (hasSelection()) return clearSelection();
    int p = m_cursor - 1;
    while (p >= 0 && separatorAt(p))
        --p;
    if (p < 0) return false;
    const bool changed = m_text[static_cast<size_t>(p)] != m_layout.dontCare;
    m_text[static_cast<size_t>(p)] = m_layout.dontCare;
    setCursor(p);
    return changed;
}

bool TriggerWordEditor::deleteForward() {
    if (hasSelection()) return clearSelection();
    skipSeparatorForward();
    if (m_cursor >= length()) return false;
    const bool changed = m_text[static_cast<size_t>(m_cursor)] != m_layout.dontCare;
    m_text[static_cast<size_t>(m_cursor)] = m_layout.dontCare;
    // Held down, delete clears the channels that follow, as it would eat a plain text.
    setCursor(m_cursor + 1);
    skipSeparatorForward();
    return changed;
}

bool TriggerWordEditor::paste(const std::string &clip) {
    if (std::none_of(clip.begin(), clip.end(), [](char c) { return channelChar(c) != 0; }))
        return false;
    bool changed = hasSelection() ? clearSelection() : false;
    for (const char c : clip) {
        if (channelChar(c) == 0) continue;
        skipSeparatorForward();
        if (m_cursor >= length()) break;
        changed = type(c) || changed;
    }
    return changed;
}

}  // namespace kv::app
