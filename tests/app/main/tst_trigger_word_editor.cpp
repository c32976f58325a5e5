// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "main/trigger_word_editor.h"

using namespace kv::app;

namespace {

// Types each character of `keys` in turn from position 0.
TriggerWordEditor typedFromStart(const std::string &keys) {
    TriggerWordEditor e;
    for (const char c : keys)
        e.type(c);
    return e;
}

}  // namespace

TEST(TriggerWordEditor, TypingOverwritesChannelsAndStepsOverTheBlanks) {
    // The whole word typed key by key, blanks included, lands where it was typed.
    TriggerWordEditor e = typedFromStart("XXXXXXXX XXXXXXXX 00010000");
    EXPECT_EQ(e.text(), "XXXXXXXX XXXXXXXX 00010000");
    EXPECT_EQ(e.cursor(), 26);
    // The blanks may be left out: after D16 the cursor is already past the blank.
    e = typedFromStart("111100001010101000000001");
    EXPECT_EQ(e.text(), "11110000 10101010 00000001");
    // Keys past the last channel change nothing.
    EXPECT_FALSE(e.type('0'));
    EXPECT_EQ(e.text(), "11110000 10101010 00000001");
    // Lower case and "z" read as "X"; other characters are not taken.
    e = typedFromStart("1xzZa2-0");
    EXPECT_EQ(e.text(), "1XXX0XXX XXXXXXXX XXXXXXXX");
    EXPECT_EQ(e.cursor(), 5);
}

TEST(TriggerWordEditor, TypingAtABlankWritesTheNextChannel) {
    TriggerWordEditor e;
    e.setCursor(8);  // just before the first blank
    EXPECT_TRUE(e.type('1'));
    EXPECT_EQ(e.text(), "XXXXXXXX 1XXXXXXX XXXXXXXX");
    EXPECT_EQ(e.cursor(), 10);
    e.setCursor(16);  // D8, the last channel of the middle group
    EXPECT_TRUE(e.type('0'));
    EXPECT_EQ(e.text(), "XXXXXXXX 1XXXXXX0 XXXXXXXX");
    EXPECT_EQ(e.cursor(), 18);  // already past the second blank
}

TEST(TriggerWordEditor, BackspaceAndDeleteMakeChannelsDontCare) {
    TriggerWordEditor e;
    e.setText("01010101 11111111 00000000");
    // Backspace at the end of the first group, then retype: "01010101" again.
    e.setCursor(8);
    EXPECT_TRUE(e.backspace());
    EXPECT_EQ(e.text(), "0101010X 11111111 00000000");
    EXPECT_EQ(e.cursor(), 7);
    e.type('1');
    EXPECT_EQ(e.text(), "01010101 11111111 00000000");
    // Backspace just after a blank clears the channel before the blank.
    e.setCursor(9);
    e.backspace();
    EXPECT_EQ(e.text(), "0101010X 11111111 00000000");
    EXPECT_EQ(e.cursor(), 7);
    // Backspace at the start does nothing.
    e.setCursor(0);
    EXPECT_FALSE(e.backspace());
    // Delete clears the channel after the cursor and moves on; at the blank it clears D15.
    e.setCursor(8);
    EXPECT_TRUE(e.deleteForward());
    EXPECT_EQ(e.text(), "0101010X X1111111 00000000");
    EXPECT_EQ(e.cursor(), 10);
    e.setCursor(26);
    EXPECT_FALSE(e.deleteForward());
    EXPECT_EQ(e.text().size(), 26u);
}

TEST(TriggerWordEditor, SelectionIsClearedThenFilled) {
    TriggerWordEditor e;
    e.setText("11111111 11111111 11111111");
    // Select all and type: the first channel takes the key, the rest become "X".
    e.setCursor(26, 0);
    e.type('0');
    EXPECT_EQ(e.text(), "0XXXXXXX XXXXXXXX XXXXXXXX");
    // Select all and type the whole word: nothing is lost at the end.
    e.setText("11111111 11111111 11111111");
    e.setCursor(0, 26);
    for (const char c : std::string("XXXXXXXX XXXXXXXX 00010000"))
        e.type(c);
    EXPECT_EQ(e.text(), "XXXXXXXX XXXXXXXX 00010000");
    // A selection across the blank (positions 6..11) cleared by backspace.
    e.setText("11111111 11111111 11111111");
    e.setCursor(6, 11);
    EXPECT_TRUE(e.backspace());
    EXPECT_EQ(e.text(), "111111XX XX111111 11111111");
    EXPECT_EQ(e.cursor(), 6);
}

TEST(TriggerWordEditor, PasteFillsChannelsFromTheCursor) {
    TriggerWordEditor e;
    // A whole word with its blanks, pasted at the start.
    EXPECT_TRUE(e.paste("10101010 11001100 11110000"));
    EXPECT_EQ(e.text(), "10101010 11001100 11110000");
    // Pasted in the middle group: D11..D8 from position 13 on; the rest stays.
    e.setCursor(13);
    e.paste("0z1x");
    EXPECT_EQ(e.text(), "10101010 11000X1X 11110000");
    EXPECT_EQ(e.cursor(), 18);  // past the blank
    // A paste running past the end keeps the first channels that fit.
    e.setCursor(24);
    e.paste("0011");
    EXPECT_EQ(e.text(), "10101010 11000X1X 11110000");
    e.setCursor(24);
    e.paste("1100");
    EXPECT_EQ(e.text(), "10101010 11000X1X 11110011");
    // Nothing usable on the clipboard: the word stays, even over a selection.
    e.setCursor(0, 26);
    EXPECT_FALSE(e.paste("hello"));
    EXPECT_EQ(e.text(), "10101010 11000X1X 11110011");
}

TEST(TriggerWordEditor, WordsFromElsewhereAreMadeWhole) {
    TriggerWordEditor e;
    e.setText("12 ab");  // short, with characters that are not taken
    EXPECT_EQ(e.text(), "1XXXXXXX XXXXXXXX XXXXXXXX");
    e.setText("XXXXXXXX1XXXXXXXX XXXXXXX0");  // a "1" where a blank belongs
    EXPECT_EQ(e.text(), "XXXXXXXX XXXXXXXX XXXXXXX0");
    EXPECT_TRUE(TriggerWordEditor::isWellFormed(e.text()));
    EXPECT_FALSE(TriggerWordEditor::isWellFormed("XXXXXXXX XXXXXXXX XXXXXXX"));
    EXPECT_FALSE(TriggerWordEditor::isWellFormed("XXXXXXXXXXXXXXXXX XXXXXXXX"));
    EXPECT_FALSE(TriggerWordEditor::isWellFormed("XXXXXXXX XXXXXXXX XXXXXXXx"));
}
