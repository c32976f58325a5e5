// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/data_files.h"
#include "core/settings_file.h"

using namespace kv::app;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<ProgramState> defaults() {
    auto s = std::make_unique<ProgramState>();
    s->setDefaultTables();
    return s;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n", pos);
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

// Index of the first line equal to `key`, or -1.
int find(const std::vector<std::string> &l, const std::string &key) {
    for (size_t i = 0; i < l.size(); ++i) {
        if (l[i] == key) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

TEST(SettingsFile, LinesAsWritten) {
    auto s = defaults();
    s->settings.clockSource = 2;
    s->views[0].cursorA = -3;  // written as it stands; negative numbers carry their sign
    WindowMarks w;
    w.mainLeft = 1500;
    w.form2Top = 12.5f;
    const std::string text = writeSettings(*s, w);
    ASSERT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos);  // every line ends with CR LF
    const auto l = lines(text);
    EXPECT_EQ(l[0], "Model=KV6830");
    EXPECT_EQ(l[1], "AutoSavesetting= 0 ");
    EXPECT_EQ(l[2], "AutoLoadsetting= 0 ");
    EXPECT_EQ(l[3], "");
    EXPECT_EQ(l[4], "osv47left");
    EXPECT_EQ(l[5], " 1500 ");
    EXPECT_EQ(l[find(l, "form2top") + 1], " 12.5 ");
    EXPECT_EQ(l[find(l, "clock source") + 1], " 2 ");
    EXPECT_EQ(l[find(l, "CursorA position") + 1], "-3 ");
    EXPECT_NE(find(l, "Ch_D0"), -1);
    EXPECT_EQ(l[find(l, "Ch_D0") + 1], "Hexdecimal");  // track 0 shows group 0
    EXPECT_EQ(l[find(l, "Ch_D4") + 1], "Chan D 0");
    EXPECT_NE(find(l, "User color 0"), -1);
    EXPECT_NE(find(l, "Scolor 53"), -1);
    EXPECT_NE(find(l, "Scolor 423"), -1);
    EXPECT_NE(find(l, "Scolor(541)"), -1);
    EXPECT_NE(find(l, "Trans 36"), -1);
    EXPECT_NE(find(l, "Screen  position"), -1);
    EXPECT_EQ(l[find(l, "Trigger word0") + 1], "XXXXXXXX XXXXXXXX XXXXXXXX");
    EXPECT_EQ(l[find(l, "time") + 1], "True");
    EXPECT_EQ(l[find(l, "sample") + 1], "False");
    EXPECT_EQ(l.back(), " 0 ");
    EXPECT_EQ(l[l.size() - 2], "spare");
}

TEST(SettingsFile, SaveThenLoadReproducesEveryItem) {
    auto s = defaults();
    s->settings.clockSource = 1;
    s->settings.triggerChannel = 3;
    s->settings.triggerSlope[0] = 1;
    s->settings.triggerSlope[39] = 1;
    s->settings.triggerWordPairs[5] = 77;
    s->settings.threshold[2] = 44;
    s->settings.captureMode = 2;
    s->settings.memoryDepthIndex = 1;
    s->settings.triggerWord = "1XXXXXXX 0XXXXXXX XXXXXXX1";
    s->autoSaveSetting = 1;
    s->autoLoadSetting = 1;
    for (int v = 0; v < 4; ++v) {
        s->views[v].cursorA = 100 + v;
        s->views[v].cursorB = 200 + v;
        s->views[v].triggerCursor = 300 + v;
        s->views[v].screenStart = 40 + v;
        s->views[v].zoomIndex = static_cast<uint8_t>(v + 2);
        s->views[v].zoomAnchor = static_cast<uint8_t>(v);
        s->views[v].firstRow = v;
        s->dataSetRecords[v][0] = 8 + v;
        s->tracks[v].name[5] = "track" + std::to_string(v);
    }
    s->colours.palette[47] = 0x123456;
    s->colours.entry[1] = 0x00FF00;
    s->colours.entry[542] = 0x101010;
    s->colours.entry[430] = 7;
    s->trans[32] = 9;
    s->trans[20] = 3;
    s->data2timingbyauto = true;
    s->groups.name[9] = "Bus nine";
    s->groups.base[9] = 5;
    s->groups.topBit[9] = 7;
    s->groups.bitMap[9 * 32 + 3] = 21;
    s->tracks[7].stateOff[2] = 1;
    s->tracks[7].stateGroup[2] = 29;
    s->currentGroup = 4;
    s->currentMnemonic = 200;
    s->groups.patternText[3 * 256 + 255] = "1XXXXXXXXXXXXXXXXXXXXXX0";
    s->groups.mnemonicText[3 * 256 + 255] = "last one";
    s->groups.patterns[(3 * 256 + 255) * 24 + 23] = '1';
    s->groups.characters[(3 * 256 + 255) * 8] = 'Z';
    s->searchSlots[2].word = "10XX";
    s->searchSlots[2].flag = 1;
    s->searchOption = 1;
    s->channelNames[159] = "last channel";
    s->editedView = 6;
    s->tracks[9].content[159] = 189;
    s->tracks[9].off[100] = 1;
    s->tracks[8].height[0] = 5;
    WindowMarks w;
    w.mainLeft = 150;
    w.mainWidth = 30000;
    w.form2Left = 7500;
    w.statusBar = false;
    w.time = false;
    w.frequency = true;
    w.internal = false;
    w.falling = true;
    w.persistence = true;
    w.stateView = true;
    w.viewOpen[3] = true;
    w.rateListIndex = 9;
    w.memoryBarValue = 1;

    const std::string text = writeSettings(*s, w);
    auto r = defaults();
    r->views[5].cursorA = 555;  // views 4..9 keep what they have
    WindowMarks back;
    const SettingsReadResult result = readSettings(text, false, *r, back);
    ASSERT_EQ(result.outcome, SettingsReadResult::Outcome::Loaded) << result.message;
    EXPECT_EQ(r->settings.clockSource, 1);
    EXPECT_EQ(r->settings.triggerChannel, 3);
    EXPECT_EQ(r->settings.triggerSlope[0], 1);
    EXPECT_EQ(r->settings.triggerSlope[39], 1);
    EXPECT_EQ(r->settings.triggerWordPairs[5], 77);
    EXPECT_EQ(r->settings.threshold[2], 44);
    EXPECT_EQ(r->settings.captureMode, 2);
    EXPECT_EQ(r->settings.memoryDepthIndex, 1);
    EXPECT_EQ(r->settings.triggerWord, "1XXXXXXX 0XXXXXXX XXXXXXX1");
    EXPECT_EQ(r->autoSaveSetting, 1);
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(r->views[v].cursorA, 100 + v);
        EXPECT_EQ(r->views[v].cursorB, 200 + v);
        EXPECT_EQ(r->views[v].triggerCursor, 300 + v);
        EXPECT_EQ(r->views[v].screenStart, 40 + v);
        EXPECT_EQ(r->views[v].zoomIndex, v + 2);
        EXPECT_EQ(r->views[v].zoomAnchor, v);
        EXPECT_EQ(r->views[v].firstRow, v);
        EXPECT_EQ(r->dataSetRecords[v][0], 8 + v);
        EXPECT_EQ(r->tracks[v].name[5], "track" + std::to_string(v));
    }
    EXPECT_EQ(r->views[5].cursorA, 555);
    EXPECT_EQ(r->colours.palette[47], 0x123456u);
    EXPECT_EQ(r->colours.entry[1], 0x00FF00u);
    EXPECT_EQ(r->colours.entry[542], 0x101010u);
    EXPECT_EQ(r->colours.entry[430], 7u);
    EXPECT_EQ(r->trans[32], 9);
    EXPECT_EQ(r->trans[20], 3);
    EXPECT_TRUE(r->data2timingbyauto);
    EXPECT_EQ(r->groups.name[9], "Bus nine");
    EXPECT_EQ(r->groups.base[9], 5);
    EXPECT_EQ(r->groups.topBit[9], 7);
    EXPECT_EQ(r->groups.bitMap[9 * 32 + 3], 21);
    EXPECT_EQ(r->tracks[7].stateOff[2], 1);
    EXPECT_EQ(r->tracks[7].stateGroup[2], 29);
    EXPECT_EQ(r->currentGroup, 4);
    EXPECT_EQ(r->currentMnemonic, 200);
    EXPECT_EQ(r->groups.patternText[3 * 256 + 255], "1XXXXXXXXXXXXXXXXXXXXXX0");
    EXPECT_EQ(r->groups.mnemonicText[3 * 256 + 255], "last one");
    EXPECT_EQ(r->groups.patterns[(3 * 256 + 255) * 24 + 23], '1');
    EXPECT_EQ(r->groups.characters[(3 * 256 + 255) * 8], 'Z');
    EXPECT_EQ(r->searchSlots[2].word, "10XX");
    EXPECT_EQ(r->searchSlots[2].flag, 1);
    EXPECT_EQ(r->searchOption, 1);
    EXPECT_EQ(r->channelNames[159], "last channel");
    EXPECT_EQ(r->editedView, 6);
    EXPECT_EQ(r->tracks[9].content[159], 189);
    EXPECT_EQ(r->tracks[9].off[100], 1);
    EXPECT_EQ(r->tracks[8].height[0], 5);
    EXPECT_FLOAT_EQ(back.mainLeft, 150);
    EXPECT_FLOAT_EQ(back.mainWidth, 30000);
    EXPECT_FLOAT_EQ(back.form2Left, 7500);
    EXPECT_FALSE(back.statusBar);
    EXPECT_FALSE(back.time);
    EXPECT_TRUE(back.frequency);
    EXPECT_FALSE(back.internal);
    EXPECT_TRUE(back.falling);
    EXPECT_TRUE(back.persistence);
    EXPECT_TRUE(back.stateView);
    EXPECT_TRUE(back.viewOpen[3]);
    EXPECT_EQ(back.rateListIndex, 9);
    EXPECT_EQ(back.memoryBarValue, 1);
    // And writing what was read gives the same text.
    EXPECT_EQ(writeSettings(*r, back), text);
}

TEST(SettingsFile, HeaderOnlyDefaultAndOtherModels) {
    auto s = defaults();
    s->views[0].cursorA = 1234;
    const std::string text = writeSettings(*s, WindowMarks{});  // AutoSavesetting 0
    auto r = defaults();
    WindowMarks w;
    EXPECT_EQ(readSettings(text, true, *r, w).outcome, SettingsReadResult::Outcome::HeaderOnly);
    EXPECT_EQ(r->views[0].cursorA, 30);
    EXPECT_EQ(readSettings(text, false, *r, w).outcome, SettingsReadResult::Outcome::Loaded);
    EXPECT_EQ(r->views[0].cursorA, 1234);
    s->autoSaveSetting = 1;
    auto t = defaults();
    EXPECT_EQ(readSettings(writeSettings(*s, WindowMarks{}), true, *t, w).outcome,
              SettingsReadResult::Outcome::Loaded);
    EXPECT_EQ(t->views[0].cursorA, 1234);

    std::string other = text;
    other.replace(0, 12, "Model=KV6700");
    auto u = defaults();
    const auto res = readSettings(other, false, *u, w);
    EXPECT_EQ(res.outcome, SettingsReadResult::Outcome::OtherModel);
    EXPECT_EQ(res.message, "Model or Version not match!!");
    EXPECT_EQ(u->views[0].cursorA, 30);
}

TEST(SettingsFile, BadFilesAreRefusedWithTheLine) {
    auto s = defaults();
    const std::string good = writeSettings(*s, WindowMarks{});
    WindowMarks w;
    // Ends early.
    auto r = defaults();
    r->views[0].cursorA = 77;
    const auto early = readSettings(good.substr(0, good.size() / 2), false, *r, w);
    EXPECT_EQ(early.outcome, SettingsReadResult::Outcome::Error);
    EXPECT_EQ(early.message, "the file ends early");
    EXPECT_GT(early.line, 100);
    EXPECT_EQ(r->views[0].cursorA, 77);  // nothing changed
    // A track content byte far out of range.
    auto l = lines(good);
    const size_t spare = static_cast<size_t>(find(l, "spare"));
    // Record 39 ends just before the spares: its last value is view 9's height of row 159;
    // three lines up is that row's content.
    l[spare - 3] = " 250 ";
    std::string bad;
    for (const auto &line : l)
        bad += line + "\r\n";
    const auto huge = readSettings(bad, false, *r, w);
    EXPECT_EQ(huge.outcome, SettingsReadResult::Outcome::Error);
    EXPECT_EQ(huge.line, static_cast<int>(spare - 3 + 1));
    EXPECT_EQ(huge.message, "250 is outside 0 to 189");
    // A value that is no number.
    l = lines(good);
    l[static_cast<size_t>(find(l, "Capture") + 1)] = "two";
    bad.clear();
    for (const auto &line : l)
        bad += line + "\r\n";
    const auto word = readSettings(bad, false, *r, w);
    EXPECT_EQ(word.outcome, SettingsReadResult::Outcome::Error);
    EXPECT_EQ(word.message, "\"two\" is not a number");
}

TEST(SettingsFile, CommaInANameShiftsTheRecordsAfterIt) {
    // The last mnemonic text holds a comma: "ab" is the text, "cd" becomes the next value
    // (the first pattern byte), which is no number: the load stops on that line.
    auto s = defaults();
    s->groups.mnemonicText[3 * 256 + 255] = "ab,cd";
    const std::string text = writeSettings(*s, WindowMarks{});
    const auto l = lines(text);
    const int at = find(l, "ab,cd");
    ASSERT_GT(at, 0);
    auto r = defaults();
    WindowMarks w;
    const auto result = readSettings(text, false, *r, w);
    EXPECT_EQ(result.outcome, SettingsReadResult::Outcome::Error);
    EXPECT_EQ(result.line, at + 1);  // the same line, read on after the comma
    EXPECT_EQ(result.message, "\"cd\" is not a number");
    // A comma in a track name shifts names onto key lines: Ch_D1's value becomes the key
    // text "Ch_D1" and so on, until a number meets a key text.
    auto t = defaults();
    t->tracks[0].name[0] = "x,y";
    const auto shifted = readSettings(writeSettings(*t, WindowMarks{}), false, *r, w);
    EXPECT_EQ(shifted.outcome, SettingsReadResult::Outcome::Error);
    EXPECT_EQ(shifted.message, "\"object\" is not a number");
}

TEST(SettingsFile, FileWritesAreAtomic) {
    const fs::path dir =
        fs::temp_directory_path() / ("kv6830-settings-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto s = defaults();
    const fs::path file = dir / "a.ini";
    EXPECT_EQ(saveSettingsFile(file.string(), *s, WindowMarks{}), "");
    auto r = defaults();
    WindowMarks w;
    EXPECT_EQ(loadSettingsFile(file.string(), false, *r, w).outcome,
              SettingsReadResult::Outcome::Loaded);
    // A directory of that name, or a missing directory: refused, nothing left behind.
    fs::create_directories(dir / "b.ini");
    EXPECT_NE(saveSettingsFile((dir / "b.ini").string(), *s, WindowMarks{}), "");
    EXPECT_NE(saveSettingsFile((dir / "none" / "c.ini").string(), *s, WindowMarks{}), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    bool existed = true;
    loadSettingsFile((dir / "missing.ini").string(), false, *r, w, &existed);
    EXPECT_FALSE(existed);
    fs::remove_all(dir);
}

TEST(DataFiles, TextTableAndCompanionNames) {
    EXPECT_EQ(companionName("/tmp/run.osv"), "/tmp/run.cfg");
    EXPECT_EQ(companionName("savedata 0.osv"), "savedata 0.cfg");
    std::vector<uint8_t> p0(2048, 0x0C), p1(2048, 0xA5), p2(2048, 0x05);
    const std::string t = textTable(p0.data(), p1.data(), p2.data(), 2048, 0, 2048);
    const auto l = lines(t);
    ASSERT_EQ(l.size(), 2049u);  // header and 2048 rows
    EXPECT_EQ(l[0], "Position   D23-16     D15-8      D7-0");
    EXPECT_EQ(l[1], "000001          05            A5            0C");
    // The last position (2048) lies past the record: written with no bytes.
    EXPECT_EQ(l[2048], "002048");
    const std::string shifted = textTable(p0.data(), p1.data(), p2.data(), 4, 9, 2048);
    EXPECT_EQ(lines(shifted)[1].substr(0, 6), "000010");
}
