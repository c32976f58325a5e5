// SPDX-License-Identifier: GPL-3.0-or-later
// The Group Setup and Channel / State / Timing Edit windows and the state listing switch,
// driven as a user drives them, with the timing views that follow them.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

#include "../timing/no_device.h"
#include "dialogs/channel_setup_window.h"
#include "dialogs/group_model.h"
#include "dialogs/group_setup_window.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

struct QuietAnswers : StartupQuestions {
    bool viewCount(const MemoryCheck &) override { return false; }  // two views
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
};

struct Fixture {
    NoDevice device;
    QuietAnswers answers;
    MainWindow window{device, &answers};
    Fixture() {
        window.resize(1100, 800);
        window.show();
        window.startUp(1024ull * 1048576, 30);
    }
    ProgramState &state() { return window.state(); }
    QWidget *groupWindow() { return window.findChild<QWidget *>("state"); }
    QWidget *channelWindow() { return window.findChild<QWidget *>("channel"); }
    template <typename T>
    T *in(QWidget *w, const QString &name) {
        T *found = w ? w->findChild<T *>(name) : nullptr;
        if (!found) qWarning() << "missing" << name;
        return found;
    }
    QWidget *openGroup() {
        window.action("munsTATE")->trigger();
        return groupWindow();
    }
    QWidget *openChannel() {
        window.action("munsTATETIMING")->trigger();
        return channelWindow();
    }
    // The name box of track row i in view k.
    QString trackBox(int k, int i) {
        return window.view(k)->findChild<QLineEdit *>(QString("Text1(%1)").arg(i))->text();
    }
};

// Chooses item `index` of a list with the keyboard, as a user does.
void choose(QComboBox *combo, int index) {
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

// Replaces the whole text of a box by typing.
void retype(QLineEdit *box, const QString &text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

QStringList items(QComboBox *combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

}  // namespace

class TestSetupWindows : public QObject {
    Q_OBJECT

  private slots:
    void groupWindowOpensWithTheCurrentTables() {
        Fixture f;
        QVERIFY(f.window.action("munsTATE")->isEnabled());
        f.state().currentGroup = 3;
        QWidget *w = f.openGroup();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Group Setup"));
        QCOMPARE(w->pos(), QPoint(100, 120));
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(f.in<QLabel>(w, "Label9")->text(), QString("3"));
        QCOMPARE(f.in<QScrollBar>(w, "VScroll2")->maximum(), 29);
        QCOMPARE(f.in<QLineEdit>(w, "Text1(0)")->text(), QString("Binary"));
        QCOMPARE(f.in<QLineEdit>(w, "Text1(0)")->maxLength(), 10);
        auto *base = f.in<QComboBox>(w, "Combo1(0)");
        QCOMPARE(items(base),
                 QStringList({"HEX", "DEC", "ASC", "BIN", "USER0", "USER1", "USER2", "USER3"}));
        QCOMPARE(base->currentText(), QString("BIN"));
        auto *number = f.in<QComboBox>(w, "Combo2(0)");
        QCOMPARE(number->count(), 24);
        QCOMPARE(number->currentText(), QString("24"));
        for (int i = 0; i < 24; ++i) {
            auto *bit = f.in<QComboBox>(w, QString("Combo4(%1)").arg(i));
            QVERIFY(!bit->isHidden());
            QCOMPARE(bit->count(), 24);
            QCOMPARE(bit->itemText(23), QString("Chan D 23"));
            QCOMPARE(bit->currentIndex(), i);
            QCOMPARE(f.in<QLabel>(w, QString("Label8(%1)").arg(i))->text(),
                     QString("Bit %1").arg(i));
        }
        // The mnemonic part: USER0 at position 0, the first example.
        QCOMPARE(f.in<QComboBox>(w, "Combo5")->currentText(), QString("USER0"));
        QCOMPARE(f.in<QLabel>(w, "Label13")->text(), QString("0"));
        QCOMPARE(f.in<QLabel>(w, "Label10")->text(),
                 QString("bit23_____________________________bit0"));
        const char *tips[3] = {"Word D7-D0(0,1,x)", "Word D15-D8(0,1,x)", "Word D23-D16(0,1,x)"};
        const char *texts[3] = {"XXXXXXX0", "XXXXXXXX", "XXXXXXXX"};
        for (int i = 0; i < 3; ++i) {
            auto *box = f.in<QLineEdit>(w, QString("Text2(%1)").arg(i));
            QCOMPARE(box->toolTip(), QString(tips[i]));
            QCOMPARE(box->text(), QString(texts[i]));
            QCOMPARE(box->maxLength(), 8);
            QVERIFY(QFontInfo(box->font()).fixedPitch());
        }
        QCOMPARE(f.in<QLineEdit>(w, "Text3")->text(), QString("/read"));
        QCOMPARE(f.in<QPushButton>(w, "Command2")->text(), QString("Refresh screen"));
        // Opening again replaces the window; OK closes it and goes back to group 0.
        f.openGroup();
        QCOMPARE(f.window.findChildren<GroupSetupWindow *>().size(), 1);
        w = f.groupWindow();
        QTest::mouseClick(f.in<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(f.state().currentGroup, 0);
        QTRY_VERIFY(!f.groupWindow());
    }

    void patternTypedKeyByKey() {
        Fixture f;
        QWidget *w = f.openGroup();
        auto *position = f.in<QScrollBar>(w, "VScroll1");
        for (int i = 0; i < 5; ++i)
            position->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.in<QLabel>(w, "Label13")->text(), QString("5"));
        QCOMPARE(f.state().currentMnemonic, 5);
        auto *middle = f.in<QLineEdit>(w, "Text2(1)");
        auto *low = f.in<QLineEdit>(w, "Text2(0)");
        QCOMPARE(middle->text(), QString("XXXXXXXX"));
        // 0, 1, a, 2, X typed over the D15-D8 box: 0, 1, X, X, X.
        middle->setFocus();
        QTest::keyClick(middle, Qt::Key_A, Qt::ControlModifier);
        for (const char *key : {"0", "1", "a", "2", "X"})
            QTest::keyClicks(middle, key);
        QCOMPARE(middle->text(), QString("01XXX"));
        const MnemonicEntry entry(f.state().groups, 0, 5);
        const uint8_t typed[5] = {'0', '1', 0, 0, 0};
        for (int k = 0; k < 5; ++k)
            QCOMPARE(entry.patternByte(15 - k), typed[k]);
        // The rest of the box's eight channels do not care; the other boxes keep theirs.
        for (int c : {10, 9, 8, 23, 0})
            QCOMPARE(entry.patternByte(c), uint8_t{0});
        QCOMPARE(entry.patternText(), std::string("XXXXXXXX01XXXXXXXXXXXXXX"));
        // Backspace, then a paste into the D7-D0 box: 1, 0, then z and - become X.
        QTest::keyClick(middle, Qt::Key_Backspace);
        QCOMPARE(middle->text(), QString("01XX"));
        low->setFocus();
        QTest::keyClick(low, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText("10z-");
        QTest::keyClick(low, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(low->text(), QString("10XX"));
        QCOMPARE(entry.patternByte(7), uint8_t{'1'});
        QCOMPARE(entry.patternByte(6), uint8_t{'0'});
        QCOMPARE(entry.patternByte(5), uint8_t{0});
        QCOMPARE(entry.patternByte(14), uint8_t{'1'});
        // A ninth character does not fit.
        QTest::keyClicks(low, "1111111");
        QCOMPARE(low->text(), QString("10XX1111"));
        // Moving on keeps the boxes' text; the pattern bytes stay as the last edit left them.
        position->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(low->text(), QString("XXXXXXXX"));
        QCOMPARE(MnemonicEntry(f.state().groups, 0, 5).patternText(),
                 std::string("XXXXXXXX01XXXXXX10XX1111"));
        QCOMPARE(entry.patternByte(3), uint8_t{'1'});
        position->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(middle->text(), QString("01XXXXXX"));
        QCOMPARE(low->text(), QString("10XX1111"));
        // Table USER2 at the same position shows its own, untouched entry.
        choose(f.in<QComboBox>(w, "Combo5"), 2);
        QCOMPARE(middle->text(), QString("XXXXXXXX"));
        QCOMPARE(MnemonicEntry(f.state().groups, 2, 5).patternByte(15), uint8_t{255});
    }

    void mnemonicTextAndCharacters() {
        Fixture f;
        QWidget *w = f.openGroup();
        auto *position = f.in<QScrollBar>(w, "VScroll1");
        auto *text3 = f.in<QLineEdit>(w, "Text3");
        choose(f.in<QComboBox>(w, "Combo5"), 1);
        position->setValue(9);
        text3->setFocus();
        QTest::keyClicks(text3, "LONGERNAME12");  // two more than the box takes
        QCOMPARE(text3->text(), QString("LONGERNAME"));
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 9).text(), std::string("LONGERNAME"));
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 9).characters(), std::string("LONGERNA"));
        position->setValue(10);
        QCOMPARE(text3->text(), QString(""));
        QTest::keyClicks(text3, "ack");
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 10).characters(), std::string("ack     "));
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 11).characters(), std::string(8, ' '));
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 11).text(), std::string());
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 9).characters(), std::string("LONGERNA"));
        // A comma would split the name in the settings file: refused, with a word why.
        QTest::keyClicks(text3, ",");
        QCOMPARE(text3->text(), QString("ack"));
        QVERIFY(QToolTip::text().contains("comma"));
        // Backspace shortens the characters too.
        QTest::keyClick(text3, Qt::Key_Backspace);
        QCOMPARE(MnemonicEntry(f.state().groups, 1, 10).characters(), std::string("ac      "));
        // Back at 9 the box shows the whole text.
        position->setValue(9);
        QCOMPARE(text3->text(), QString("LONGERNAME"));
    }

    void numberAndBitsOfAGroup() {
        Fixture f;
        QWidget *w = f.openGroup();
        auto *group = f.in<QScrollBar>(w, "VScroll2");
        group->setValue(4);
        QCOMPARE(f.state().currentGroup, 4);
        QCOMPARE(f.in<QLineEdit>(w, "Text1(0)")->text(), QString("Example"));
        choose(f.in<QComboBox>(w, "Combo2(0)"), 0);  // "1"
        QCOMPARE(f.state().groups.topBit[4], 0);
        QVERIFY(!f.in<QComboBox>(w, "Combo4(0)")->isHidden());
        QVERIFY(!f.in<QLabel>(w, "Label8(0)")->isHidden());
        for (int i = 1; i < 24; ++i) {
            QVERIFY(f.in<QComboBox>(w, QString("Combo4(%1)").arg(i))->isHidden());
            QVERIFY(f.in<QLabel>(w, QString("Label8(%1)").arg(i))->isHidden());
        }
        // Eight channels, D8 upwards from bit 0, base ASC.
        choose(f.in<QComboBox>(w, "Combo2(0)"), 7);
        QCOMPARE(f.state().groups.topBit[4], 7);
        QVERIFY(!f.in<QComboBox>(w, "Combo4(7)")->isHidden());
        QVERIFY(f.in<QComboBox>(w, "Combo4(8)")->isHidden());
        for (int i = 0; i < 8; ++i)
            choose(f.in<QComboBox>(w, QString("Combo4(%1)").arg(i)), 8 + i);
        choose(f.in<QComboBox>(w, "Combo1(0)"), 2);
        QCOMPARE(f.state().groups.base[4], 2);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(f.state().groups.bitMap[4 * 32 + i], 8 + i);
        QCOMPARE(f.state().groups.bitMap[4 * 32 + 8], 8);  // unused bits keep theirs
        QCOMPARE(f.state().groups.base[3], 3);             // other groups untouched
        // Another group and back: the window shows each group's own fields.
        group->setValue(5);
        QCOMPARE(f.in<QComboBox>(w, "Combo2(0)")->currentText(), QString("24"));
        QVERIFY(!f.in<QComboBox>(w, "Combo4(23)")->isHidden());
        group->setValue(4);
        QCOMPARE(f.in<QComboBox>(w, "Combo1(0)")->currentText(), QString("ASC"));
        QCOMPARE(f.in<QComboBox>(w, "Combo4(7)")->currentText(), QString("Chan D 15"));
        QVERIFY(f.in<QComboBox>(w, "Combo4(8)")->isHidden());
        QCOMPARE(f.in<QLabel>(w, "Label9")->text(), QString("4"));
    }

    void renamedGroupFollowsEverywhere() {
        Fixture f;
        f.window.toggleView(1);  // both views open
        QWidget *c = f.openChannel();
        // View 2, track 5 shows group 2 too.
        f.in<QScrollBar>(c, "VScroll1")->setValue(1);
        f.in<QScrollBar>(c, "VScroll4")->setValue(5);
        choose(f.in<QComboBox>(c, "Combo7"), 2);
        QCOMPARE(f.trackBox(1, 5), QString("ASCII"));
        QWidget *g = f.openGroup();
        f.in<QScrollBar>(g, "VScroll2")->setValue(2);
        retype(f.in<QLineEdit>(g, "Text1(0)"), "Bytes");
        QCOMPARE(f.state().groups.name[2], std::string("Bytes"));
        QCOMPARE(f.trackBox(0, 2), QString("Bytes"));
        QCOMPARE(f.trackBox(1, 2), QString("Bytes"));
        QCOMPARE(f.trackBox(1, 5), QString("Bytes"));
        QCOMPARE(f.trackBox(0, 5), QString("Chan D 1"));
        for (int k = 2; k < 10; ++k)
            QCOMPARE(f.state().tracks[k].name[2], std::string("Bytes"));
        // The channel window's group lists follow.
        QCOMPARE(f.in<QComboBox>(c, "Combo7")->itemText(2), QString("Bytes"));
        QCOMPARE(f.in<QComboBox>(c, "Combo6")->itemText(2), QString("Bytes"));
        QCOMPARE(f.in<QComboBox>(c, "Combo7")->currentIndex(), 2);
        // The state listing heads its column with the new name.
        f.window.action("munsTATEview")->trigger();
        QVERIFY(f.window.view(0)->lastDraw().listing.at(0).find("Bytes") != std::string::npos);
        // Ten characters at most.
        retype(f.in<QLineEdit>(g, "Text1(0)"), "Bytes of the bus");
        QCOMPARE(f.state().groups.name[2], std::string("Bytes of t"));
    }

    void trackContentNameAndVisibility() {
        Fixture f;
        QVERIFY(f.window.action("munsTATETIMING")->isEnabled());
        QWidget *c = f.openChannel();
        QCOMPARE(c->windowTitle(), QString("Channel / State / Timing Edit"));
        QCOMPARE(c->pos(), QPoint(100, 120));
        auto *text4 = f.in<QLineEdit>(c, "Text4");
        auto *combo7 = f.in<QComboBox>(c, "Combo7");
        QCOMPARE(combo7->count(), 54);
        QCOMPARE(combo7->itemText(30), QString("Chan D 0"));
        QCOMPARE(combo7->toolTip(), QString("Group"));
        QCOMPARE(text4->toolTip(), QString("Timing name"));
        QVERIFY(text4->isHidden());  // track 0 shows a group
        QCOMPARE(f.in<QLabel>(c, "Label14(1)")->text(), QString("Timing Track 0"));
        f.in<QScrollBar>(c, "VScroll4")->setValue(4);
        QCOMPARE(f.in<QLabel>(c, "Label14(1)")->text(), QString("Timing Track 4"));
        QVERIFY(!text4->isHidden());
        QCOMPARE(text4->text(), QString("Chan D 0"));
        QCOMPARE(f.in<QComboBox>(c, "Combo8")->currentText(), QString("Height 16"));
        // A group: the name box goes, the track takes the group's name.
        choose(combo7, 3);
        QVERIFY(text4->isHidden());
        QCOMPARE(f.state().tracks[0].content[4], 3);
        QCOMPARE(f.trackBox(0, 4), QString("Binary"));
        QCOMPARE(f.window.view(0)->findChild<QLineEdit *>("Text1(4)")->toolTip(),
                 QString("Group3 name"));
        // A channel: the box shows the channel's name, which the track takes.
        choose(combo7, 30 + 7);
        QVERIFY(!text4->isHidden());
        QCOMPARE(text4->text(), QString("Chan D 7"));
        QCOMPARE(f.state().tracks[0].content[4], 37);
        QCOMPARE(f.trackBox(0, 4), QString("Chan D 7"));
        // A name of the track's own.
        retype(text4, "clk");
        QCOMPARE(f.state().tracks[0].name[4], std::string("clk"));
        QCOMPARE(f.trackBox(0, 4), QString("clk"));
        // Refresh Screen draws the channel now shown: D7 of a capture that has it high.
        std::memset(f.state().capture.plane(0, 0), 0x80, 2048);
        QTest::mouseClick(f.in<QPushButton>(c, "Command2"), Qt::LeftButton);
        QCOMPARE(f.window.view(0)->lastDraw().values[4][0], 1);
        QCOMPARE(f.window.view(0)->lastDraw().values[5][0], 0);  // track 5 shows D1
        // "Group Edit" opens the Group Setup window.
        QTest::mouseClick(f.in<QPushButton>(c, "Command4"), Qt::LeftButton);
        QVERIFY(f.groupWindow() && f.groupWindow()->isVisible());
    }

    void channelRenamedInBothWindows() {
        Fixture f;
        QWidget *c = f.openChannel();
        auto *channel = f.in<QScrollBar>(c, "VScroll5");
        channel->setValue(3);
        QCOMPARE(f.state().selectedChannel, 3);
        QCOMPARE(f.in<QLabel>(c, "Label6")->text(), QString("B1 Ch 3"));
        auto *text5 = f.in<QLineEdit>(c, "Text5");
        QCOMPARE(text5->text(), QString("Chan D 3"));
        QCOMPARE(text5->toolTip(), QString("Channel name"));
        // Without the Group Setup window: the channel table and this window's list only.
        retype(text5, "ALE");
        QCOMPARE(f.state().channelNames[3], std::string("ALE"));
        QCOMPARE(f.in<QComboBox>(c, "Combo7")->itemText(33), QString("ALE"));
        QCOMPARE(f.trackBox(0, 7), QString("Chan D 3"));  // tracks keep their own names
        // The Group Setup window lists the channels by their names.
        QWidget *g = f.openGroup();
        QCOMPARE(f.in<QComboBox>(g, "Combo4(5)")->itemText(3), QString("ALE"));
        QTest::keyClicks(text5, "2");
        for (int i = 0; i < 24; ++i)
            QCOMPARE(f.in<QComboBox>(g, QString("Combo4(%1)").arg(i))->itemText(3),
                     QString("ALE2"));
        QCOMPARE(f.in<QComboBox>(c, "Combo7")->itemText(33), QString("ALE2"));
        // Switching channels shows each one's name; the window opens on the last one.
        channel->setValue(0);
        QCOMPARE(text5->text(), QString("Chan D 0"));
        channel->setValue(3);
        c = f.openChannel();
        QCOMPARE(f.in<QLineEdit>(c, "Text5")->text(), QString("ALE2"));
        QCOMPARE(f.in<QScrollBar>(c, "VScroll5")->value(), 3);
    }

    void otherViewStartsAtTrackAndColumnZero() {
        Fixture f;
        f.state().tracks[1].content[0] = 40;  // view 2's track 0 shows D10
        f.state().tracks[1].name[0] = "SEL";
        f.state().tracks[1].stateGroup[0] = 6;
        f.state().tracks[1].stateOff[0] = 1;
        QWidget *c = f.openChannel();
        auto *frame = f.in<QGroupBox>(c, "Frame1");
        QCOMPARE(frame->title(), QString("Timing View 1"));
        QCOMPARE(f.in<QScrollBar>(c, "VScroll1")->maximum(), 1);
        f.in<QScrollBar>(c, "VScroll3")->setValue(3);
        f.in<QScrollBar>(c, "VScroll4")->setValue(5);
        QCOMPARE(f.in<QLabel>(c, "Label14(0)")->text(), QString("State 3"));
        f.in<QScrollBar>(c, "VScroll1")->setValue(1);
        QCOMPARE(f.state().editedView, 1);
        QCOMPARE(frame->title(), QString("Timing View 2"));
        QCOMPARE(f.in<QScrollBar>(c, "VScroll3")->value(), 0);
        QCOMPARE(f.in<QScrollBar>(c, "VScroll4")->value(), 0);
        QCOMPARE(f.in<QLabel>(c, "Label14(0)")->text(), QString("State 0"));
        QCOMPARE(f.in<QLabel>(c, "Label14(1)")->text(), QString("Timing Track 0"));
        QCOMPARE(f.in<QComboBox>(c, "Combo7")->currentText(), QString("Chan D 10"));
        QCOMPARE(f.in<QLineEdit>(c, "Text4")->text(), QString("SEL"));
        QVERIFY(!f.in<QLineEdit>(c, "Text4")->isHidden());
        QCOMPARE(f.in<QComboBox>(c, "Combo6")->currentText(), QString("USER2"));
        QCOMPARE(f.in<QComboBox>(c, "Combo3(0)")->currentText(), QString("Turn Off"));
        // Edits now go to view 2 only.
        choose(f.in<QComboBox>(c, "Combo8"), 5);
        QCOMPARE(f.state().tracks[1].height[0], 5);
        QCOMPARE(f.state().tracks[0].height[0], 2);
    }

    void heightsDisplayAndStateColumns() {
        Fixture f;
        f.window.action("munsTATEview")->trigger();
        const DrawOutput before = f.window.view(0)->lastDraw();
        QWidget *c = f.openChannel();
        f.in<QScrollBar>(c, "VScroll4")->setValue(4);
        auto *height = f.in<QComboBox>(c, "Combo8");
        QCOMPARE(items(height), QStringList({"Height 16", "Height 20", "Height 24", "Height 28",
                                             "Height 32", "Height 36"}));
        QCOMPARE(f.in<QComboBox>(c, "Combo9")->toolTip(), QString("Display"));
        choose(height, 5);
        QCOMPARE(f.state().tracks[0].height[4], 5);
        f.in<QScrollBar>(c, "VScroll4")->setValue(5);
        choose(f.in<QComboBox>(c, "Combo9"), 1);  // "Turn Off"
        QCOMPARE(f.state().tracks[0].off[5], 1);
        // State column 8 (off at start) lists group 20.
        f.in<QScrollBar>(c, "VScroll3")->setValue(8);
        QCOMPARE(f.in<QComboBox>(c, "Combo3(0)")->currentText(), QString("Turn Off"));
        choose(f.in<QComboBox>(c, "Combo6"), 20);
        choose(f.in<QComboBox>(c, "Combo3(0)"), 0);
        QCOMPARE(f.state().tracks[0].stateGroup[8], 20);
        QCOMPARE(f.state().tracks[0].stateOff[8], 0);
        // The edits show at the next redraw: Refresh Screen: track 4 is 38 pixels high, track 5
        // takes no room, and the listing has a ninth column.
        QTest::mouseClick(f.in<QPushButton>(c, "Command2"), Qt::LeftButton);
        const DrawOutput &after = f.window.view(0)->lastDraw();
        QCOMPARE(after.tracksEnd, -5 + 4 * 26 + 38 + 22 * 18 + 18);
        TimingView *v = f.window.view(0);
        const auto box = [&](int i) {
            return v->findChild<QLineEdit *>(QString("Text1(%1)").arg(i));
        };
        QVERIFY(box(5)->isHidden());
        QCOMPARE(box(4)->height(), 38);
        QCOMPARE(box(6)->y(), box(4)->y() + 38);
        QCOMPARE(before.tracksEnd, -5 + 4 * 26 + 24 * 18 + 18);
        QVERIFY(before.listing.at(0).find("Group 20") == std::string::npos);
        QVERIFY(after.listing.at(0).find("Group 20") != std::string::npos);
    }

    void listingSwitchSetsTheViewHeights() {
        Fixture f;
        f.window.toggleView(1);
        QAction *item = f.window.action("munsTATEview");
        QCOMPARE(item->text(), QString("State of logic analyzer"));
        QVERIFY(!item->isChecked());
        // One view maximised, the other squeezed: both come back to the normal state.
        f.window.viewWindow(0)->showMaximized();
        f.window.viewWindow(1)->resize(600, 300);
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(f.state().stateListing);
        for (int k = 0; k < 2; ++k) {
            QMdiSubWindow *sub = f.window.viewWindow(k);
            QVERIFY(!sub->isMaximized());
            QCOMPARE(sub->height(), 17000 / 15);
            TimingView *v = f.window.view(k);
            QVERIFY(!v->findChild<QScrollBar *>("ScrollBar1")->isHidden());
            // The listing is drawn at once, under the 28 tracks of the start-up table; the
            // taller window brings its header and first rows into the picture.
            QCOMPARE(v->lastDraw().listing.size(), size_t{21});
            const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            const int tenthRowTop = v->lastDraw().tracksEnd + kListingBarHeight + 20 * 10;
            QVERIFY2(tenthRowTop + metrics.height() <= v->picture()->height(),
                     qPrintable(QString("%1 %2").arg(tenthRowTop).arg(v->picture()->height())));
        }
        QCOMPARE(f.window.viewWindow(1)->width(), 600);  // only the height changes
        item->trigger();
        QVERIFY(!item->isChecked());
        for (int k = 0; k < 2; ++k) {
            QCOMPARE(f.window.viewWindow(k)->height(), 12000 / 15);
            QVERIFY(f.window.view(k)->findChild<QScrollBar *>("ScrollBar1")->isHidden());
            QVERIFY(f.window.view(k)->lastDraw().listing.empty());
        }
    }
};

QTEST_MAIN(TestSetupWindows)
#include "tst_setup_windows.moc"
