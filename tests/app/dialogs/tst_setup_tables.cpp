// SPDX-License-Identifier: GPL-3.0-or-later
// The group, mnemonic, channel and track tables as the setup windows change them.
#include <gtest/gtest.h>

#include "core/program_state.h"
#include "dialogs/channel_model.h"
#include "dialogs/group_model.h"

using namespace kv::app;

namespace {

ProgramState freshState() {
    ProgramState s;
    s.setDefaultTables();
    return s;
}

}  // namespace

TEST(SetupTables, StartUpContents) {
    const ProgramState s = freshState();
    const char *first[] = {"Hexdecimal", "Decimal", "ASCII", "Binary",
                           "Example",    "USER1",   "USER2", "USER3"};
    for (int g = 0; g < 8; ++g)
        EXPECT_EQ(s.groups.name[g], first[g]);
    EXPECT_EQ(s.groups.name[8], "Group 8");
    EXPECT_EQ(s.groups.name[29], "Group 29");
    for (int g = 0; g < 30; ++g) {
        EXPECT_EQ(s.groups.topBit[g], 23);
        for (int i = 0; i < 24; ++i)
            EXPECT_EQ(s.groups.bitMap[g * 32 + i], i);
    }
    EXPECT_EQ(s.channelNames[0], "Chan D 0");
    EXPECT_EQ(s.channelNames[23], "Chan D 23");

    // USER0's three examples: cleared to "don't care", then the one channel set.
    GroupTables g = s.groups;
    const struct {
        const char *pattern, *text, *characters;
        int channel;
        uint8_t level;
    } examples[] = {{"XXXXXXXXXXXXXXXXXXXXXXX0", "/read", "/READ   ", 0, '0'},
                    {"XXXXXXXXXXXXXXXXXXXXXX0X", "/WRITE", "/WRITE  ", 1, '0'},
                    {"XXXXXXXXXXXXXXXXXXXXX1XX", "RESET", "RESET   ", 2, '1'}};
    for (int e = 0; e < 3; ++e) {
        const MnemonicEntry entry(g, 0, e);
        EXPECT_EQ(entry.patternText(), examples[e].pattern);
        EXPECT_EQ(entry.text(), examples[e].text);
        EXPECT_EQ(entry.characters(), examples[e].characters);
        for (int c = 0; c < 24; ++c)
            EXPECT_EQ(entry.patternByte(c), c == examples[e].channel ? examples[e].level : 0)
                << "entry " << e << " channel " << c;
    }
    // Every other entry of every table was never edited.
    for (const auto &[table, position] : {std::pair{0, 3}, std::pair{1, 0}, std::pair{3, 255}}) {
        const MnemonicEntry entry(g, table, position);
        EXPECT_EQ(entry.patternText(), std::string(24, 'X'));
        EXPECT_EQ(entry.text(), "");
        EXPECT_EQ(entry.characters(), std::string(8, ' '));
        for (int c = 0; c < 24; ++c)
            EXPECT_EQ(entry.patternByte(c), 255);
    }

    // Every view: four group tracks of height 24, then the channels of height 16.
    for (const TrackTable &t : s.tracks) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(t.content[j], j);
            EXPECT_EQ(t.height[j], 2);
            EXPECT_EQ(t.name[j], first[j]);
        }
        EXPECT_EQ(t.content[4], 30);
        EXPECT_EQ(t.name[4], "Chan D 0");
        EXPECT_EQ(t.content[27], 53);
        EXPECT_EQ(t.name[27], "Chan D 23");
        EXPECT_EQ(t.content[159], 185);
        EXPECT_EQ(t.height[159], 0);
        for (int j = 0; j < kTracks; ++j)
            EXPECT_EQ(t.off[j], 0);
        for (int c = 0; c < kStateColumns; ++c) {
            EXPECT_EQ(t.stateGroup[c], c);
            EXPECT_EQ(t.stateOff[c], c < 8 ? 0 : 1);
        }
    }
}

TEST(SetupTables, PatternBoxesKeepLevelsAndDontCare) {
    EXPECT_EQ(normalisedPatternBox("01a2X"), "01XXX");
    EXPECT_EQ(normalisedPatternBox("x1-0 X"), "x1X0XX");
    // Only the first eight characters count.
    EXPECT_EQ(normalisedPatternBox("0x1Zxyz10"), "0x1XxXX1");
    EXPECT_EQ(normalisedPatternBox(""), "");
    // Each box stands for its own eight channels, a short one filled up with don't care.
    EXPECT_EQ(joinedPattern("", "01XXX", "xxxxxxx1"), "XXXXXXXX01XXXXXXxxxxxxx1");
    const PatternBoxes b = splitPattern("1XXXXXX001XXXXXXxxxxxxx1");
    EXPECT_EQ(b.d23to16, "1XXXXXX0");
    EXPECT_EQ(b.d15to8, "01XXXXXX");
    EXPECT_EQ(b.d7to0, "xxxxxxx1");
}

TEST(SetupTables, PatternBytesFollowTheChannels) {
    GroupTables g;
    g.setDefaults();
    MnemonicEntry e(g, 2, 40);
    // D23 = 1, D16 = 0, D15 = 0, D14 = 1, D0 = 1; lower-case x does not care either.
    e.setPattern("1XXXXXX001XXXXXXxxxxxxx1");
    EXPECT_EQ(e.patternText(), "1XXXXXX001XXXXXXxxxxxxx1");
    for (int c = 0; c < 24; ++c) {
        const uint8_t expected = c == 23 || c == 14 || c == 0 ? '1' : c == 16 || c == 15 ? '0' : 0;
        EXPECT_EQ(e.patternByte(c), expected) << "channel " << c;
    }
    // A short text leaves the channels after its end without care.
    e.setPattern("01");
    EXPECT_EQ(e.patternByte(23), '0');
    EXPECT_EQ(e.patternByte(22), '1');
    for (int c = 0; c < 22; ++c)
        EXPECT_EQ(e.patternByte(c), 0);
    // The byte block is laid out table by table, position by position.
    EXPECT_EQ(g.patterns[(2 * 256 + 40) * 24 + 23], '0');
    // Leaving an entry keeps only its text.
    e.setPatternText("111111111111111111111111");
    EXPECT_EQ(e.patternText(), "111111111111111111111111");
    EXPECT_EQ(e.patternByte(0), 0);
    EXPECT_EQ(e.patternByte(23), '0');
}

TEST(SetupTables, MnemonicCharactersAreTheFirstEight) {
    GroupTables g;
    g.setDefaults();
    MnemonicEntry(g, 1, 9).setText("ABCDEFGHIJ");
    EXPECT_EQ(MnemonicEntry(g, 1, 9).text(), "ABCDEFGHIJ");
    EXPECT_EQ(MnemonicEntry(g, 1, 9).characters(), "ABCDEFGH");
    EXPECT_EQ(std::string(g.characters.data() + 2048 + 9 * 8, 8), "ABCDEFGH");
    MnemonicEntry(g, 1, 9).setText("abc");
    EXPECT_EQ(MnemonicEntry(g, 1, 9).characters(), "abc     ");
    // The entries on either side are untouched.
    EXPECT_EQ(MnemonicEntry(g, 1, 10).characters(), std::string(8, ' '));
    EXPECT_EQ(MnemonicEntry(g, 1, 8).characters(), std::string(8, ' '));
    EXPECT_EQ(MnemonicEntry(g, 1, 10).text(), "");
}

TEST(SetupTables, RenamedGroupRenamesItsTracksInEveryView) {
    ProgramState s = freshState();
    s.tracks[9].content[5] = 2;
    s.tracks[4].content[29] = 2;
    s.tracks[4].content[30] = 2;  // beyond the tracks that follow group names
    s.tracks[4].name[30] = "kept";
    renameGroup(s, 2, "Bytes");
    EXPECT_EQ(s.groups.name[2], "Bytes");
    for (const TrackTable &t : s.tracks)
        EXPECT_EQ(t.name[2], "Bytes");
    EXPECT_EQ(s.tracks[9].name[5], "Bytes");
    EXPECT_EQ(s.tracks[4].name[29], "Bytes");
    EXPECT_EQ(s.tracks[4].name[30], "kept");
    // Other group tracks keep their groups' names, channel tracks their own.
    EXPECT_EQ(s.tracks[0].name[1], "Decimal");
    EXPECT_EQ(s.tracks[0].name[6], "Chan D 2");
    // A group number outside the table changes nothing.
    renameGroup(s, 30, "none");
    EXPECT_EQ(s.tracks[0].name[2], "Bytes");
}

TEST(SetupTables, TrackContentNamesTheTrack) {
    ProgramState s = freshState();
    s.channelNames[7] = "ALE";
    chooseTrackContent(s, 3, 4, 2);
    EXPECT_EQ(s.tracks[3].content[4], 2);
    EXPECT_EQ(s.tracks[3].name[4], "ASCII");
    EXPECT_FALSE(showsChannel(s, 3, 4));
    chooseTrackContent(s, 3, 4, 30 + 7);
    EXPECT_EQ(s.tracks[3].content[4], 37);
    EXPECT_EQ(s.tracks[3].name[4], "ALE");
    EXPECT_TRUE(showsChannel(s, 3, 4));
    // Only the list's 54 items exist; the other views are untouched.
    chooseTrackContent(s, 3, 4, 54);
    EXPECT_EQ(s.tracks[3].content[4], 37);
    EXPECT_EQ(s.tracks[2].content[4], 30);
    const std::vector<std::string> items = trackContentItems(s);
    ASSERT_EQ(items.size(), 54u);
    EXPECT_EQ(items[29], "Group 29");
    EXPECT_EQ(items[30], "Chan D 0");
    EXPECT_EQ(items[37], "ALE");
}

TEST(SetupTables, CaptionsCarryTheSignBlank) {
    EXPECT_EQ(viewFrameCaption(0), "Timing View 1");
    EXPECT_EQ(viewFrameCaption(9), "Timing View 10");
    EXPECT_EQ(channelCaption(23), "B1 Ch 23");
    EXPECT_EQ(stateColumnCaption(0), "State 0");
    EXPECT_EQ(trackCaption(15), "Timing Track 15");
}

TEST(SetupTables, NamesKeepToWhatTheSettingsFileHolds) {
    EXPECT_TRUE(isStorableNameCharacter('A'));
    EXPECT_TRUE(isStorableNameCharacter(' '));
    EXPECT_TRUE(isStorableNameCharacter('/'));
    EXPECT_TRUE(isStorableNameCharacter('~'));
    EXPECT_FALSE(isStorableNameCharacter(','));
    EXPECT_FALSE(isStorableNameCharacter('\t'));
    EXPECT_FALSE(isStorableNameCharacter('\x7f'));
    EXPECT_FALSE(isStorableNameCharacter('\xe9'));
}
