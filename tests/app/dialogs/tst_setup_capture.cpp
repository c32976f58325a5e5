// SPDX-License-Identifier: GPL-3.0-or-later
// Groups and a mnemonic table set up by hand over a capture of the demonstration board,
// seen in a timing view and its state listing, and kept by the settings file.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

// The view count question answered No.
struct Answers : kvtest::ScriptedAnswers {
    Answers() { enoughMemory = false; }
};

void choose(QComboBox *combo, int index) {
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void retype(QLineEdit *box, const QString &text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

template <typename T>
T *in(QWidget *w, const QString &name) {
    T *found = w ? w->findChild<T *>(name) : nullptr;
    if (!found) qWarning() << "missing" << name;
    return found;
}

// The listing rows worked out from the board: samples 1 us apart from board time 80 us,
// where the counter D7..D0 is 0x50 and the synchronous frame of byte 4 ('8', 0x38) begins.
//  - "Serial" is D15..D8 in ASC: D15..D12 = 4 (0x40); D9 carries 0x38 most significant bit
//    first (0 0 1 1 1 0 0 0) for 8 us, then D10 (frame select) goes high; D8 (the clock)
//    is low at whole microseconds; D11 sends '-' (0x2D) at 250 kbaud: start bit at 80 us,
//    then bit 0 = 1 from 84 us, bit 1 = 0 from 88 us, bits 2 and 3 = 1 from 92 us.
//  - "Count" is D7..D0 in USER0: entry 0 (/READ) matches an even count, entry 1 (/WRITE) one
//    with bit 1 clear, entry 2 (RESET) one with bit 2 set, the typed entry 3 (LOW3) a count
//    whose low four bits are 0011.
struct Row {
    char serial;
    const char *count;
};
const Row kRows[20] = {{'@', "/READ"}, {'@', "/WRITE"}, {'B', "/READ"}, {'B', "LOW3"},
                       {'J', "/READ"}, {'H', "/WRITE"}, {'H', "/READ"}, {'H', "RESET"},
                       {'D', "/READ"}, {'D', "/WRITE"}, {'D', "/READ"}, {'D', ""},
                       {'L', "/READ"}, {'L', "/WRITE"}, {'L', "/READ"}, {'L', "RESET"},
                       {'L', "/READ"}, {'L', "/WRITE"}, {'L', "/READ"}, {'L', "LOW3"}};

}  // namespace

class TestSetupCapture : public QObject {
    Q_OBJECT

    // Listing columns: the position (8), then each column as wide as the wider of its
    // text and its name, plus two: "Serial" (one character) 8, "Count" (mnemonics) 10.
    static std::string expectedLine(int first, int r) {
        std::string line = std::to_string(first + r);
        line.resize(8, ' ');
        std::string serial(1, kRows[r].serial);
        serial.resize(8, ' ');
        std::string count = kRows[r].count;
        count.resize(10, ' ');
        return line + serial + count;
    }

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void groupsOverADemonstrationCapture() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Answers answers;
        LibraryDevice device{[](const std::string &) {}};
        MainWindow window{device, &answers};
        window.resize(1100, 800);
        window.show();
        window.startUp(1024ull * 1048576, 30);
        ProgramState &s = window.state();
        QVERIFY(s.demonstration);

        // One capture at 1 MHz, triggered where the count is 0x50 in the frame of byte 4.
        window.panel()->scroll(3)->setValue(0);  // Single
        window.panel()->scroll(5)->setValue(6);  // "1MSa(1us)"
        const QString word = "XXXXXXXX 0100XXXX 01010000";
        window.panel()->triggerWordBox()->setWord(word);
        window.panel()->triggerWordEdited(word, false);
        window.action("go")->trigger();
        auto *status = window.findChild<QLineEdit *>("Text21");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("Completed"), 10000);
        QTRY_VERIFY(!window.captureRun().active());
        const int32_t offset = s.triggerOffsets[0];
        const int first = 60 + offset;  // the trigger sample: trigger cursor plus offset
        QCOMPARE(int(s.capture.plane(0, 0)[first]), 0x50);
        QCOMPARE(int(s.capture.plane(0, 1)[first]) >> 4, 4);

        // Group 4: "Serial", eight channels D8..D15, ASC.
        window.action("munsTATE")->trigger();
        QWidget *g = window.findChild<QWidget *>("state");
        QVERIFY(g);
        in<QScrollBar>(g, "VScroll2")->setValue(4);
        retype(in<QLineEdit>(g, "Text1(0)"), "Serial");
        choose(in<QComboBox>(g, "Combo2(0)"), 7);
        for (int i = 0; i < 8; ++i)
            choose(in<QComboBox>(g, QString("Combo4(%1)").arg(i)), 8 + i);
        choose(in<QComboBox>(g, "Combo1(0)"), 2);
        // Group 5: "Count", D0..D7 in USER0.
        in<QScrollBar>(g, "VScroll2")->setValue(5);
        retype(in<QLineEdit>(g, "Text1(0)"), "Count");
        choose(in<QComboBox>(g, "Combo2(0)"), 7);
        choose(in<QComboBox>(g, "Combo1(0)"), 4);
        // USER0 entry 3: low four bits 0011 is "LOW3".
        in<QScrollBar>(g, "VScroll1")->setValue(3);
        retype(in<QLineEdit>(g, "Text2(0)"), "xxxx0011");
        retype(in<QLineEdit>(g, "Text3"), "LOW3");
        QTest::mouseClick(in<QPushButton>(g, "Command1"), Qt::LeftButton);

        // View 1: track 0 shows Serial, track 1 Count; state columns 0 and 1 list them.
        window.action("munsTATETIMING")->trigger();
        QWidget *c = window.findChild<QWidget *>("channel");
        QVERIFY(c);
        choose(in<QComboBox>(c, "Combo7"), 4);
        in<QScrollBar>(c, "VScroll4")->setValue(1);
        choose(in<QComboBox>(c, "Combo7"), 5);
        choose(in<QComboBox>(c, "Combo6"), 4);
        in<QScrollBar>(c, "VScroll3")->setValue(1);
        choose(in<QComboBox>(c, "Combo6"), 5);
        for (int column = 2; column < 8; ++column) {
            in<QScrollBar>(c, "VScroll3")->setValue(column);
            choose(in<QComboBox>(c, "Combo3(0)"), 1);
        }
        QTest::mouseClick(in<QPushButton>(c, "Command2"), Qt::LeftButton);

        // The listing from the trigger sample on.
        window.action("munsTATEview")->trigger();
        TimingView *view = window.view(0);
        auto *bar = view->findChild<QScrollBar *>("ScrollBar1");
        QVERIFY(!bar->isHidden());
        bar->setValue(60);
        const auto check = [&] {
            QCOMPARE(view->findChild<QLineEdit *>("Text1(0)")->text(), QString("Serial"));
            QCOMPARE(view->findChild<QLineEdit *>("Text1(1)")->text(), QString("Count"));
            const std::vector<std::string> &lines = view->lastDraw().listing;
            QCOMPARE(lines.size(), size_t{21});
            QCOMPARE(QString::fromStdString(lines[0]), QString("        Serial  Count     "));
            for (int r = 0; r < 20; ++r)
                QCOMPARE(QString::fromStdString(lines[static_cast<size_t>(r + 1)]),
                         QString::fromStdString(expectedLine(first, r)));
        };
        check();
        if (QTest::currentTestFailed()) return;

        // Saved, changed, loaded: everything comes back and is shown at once.
        answers.files << dir.filePath("groups.ini");
        window.action("mnuSaveSetting")->trigger();
        QVERIFY(answers.told.isEmpty());
        window.action("munsTATE")->trigger();
        g = window.findChild<QWidget *>("state");
        in<QScrollBar>(g, "VScroll2")->setValue(4);
        retype(in<QLineEdit>(g, "Text1(0)"), "Other");
        choose(in<QComboBox>(g, "Combo1(0)"), 0);
        in<QScrollBar>(g, "VScroll1")->setValue(3);
        retype(in<QLineEdit>(g, "Text3"), "x");
        retype(in<QLineEdit>(g, "Text2(0)"), "11111111");
        window.action("munsTATETIMING")->trigger();
        c = window.findChild<QWidget *>("channel");
        choose(in<QComboBox>(c, "Combo7"), 30);
        QTest::mouseClick(in<QPushButton>(c, "Command2"), Qt::LeftButton);
        QCOMPARE(view->findChild<QLineEdit *>("Text1(0)")->text(), QString("Chan D 0"));
        QVERIFY(view->lastDraw().listing.at(1) != expectedLine(first, 0));

        // Both setup windows are open while the file is loaded: they show what it holds.
        window.action("munsTATE")->trigger();
        answers.files << dir.filePath("groups.ini");
        window.action("mnuLoadSetting")->trigger();
        QVERIFY(answers.told.isEmpty());
        check();
        c = window.findChild<QWidget *>("channel");
        QVERIFY(c && c->isVisible());
        QCOMPARE(in<QComboBox>(c, "Combo7")->currentText(), QString("Serial"));
        QCOMPARE(in<QComboBox>(c, "Combo7")->itemText(4), QString("Serial"));
        g = window.findChild<QWidget *>("state");
        QVERIFY(g && g->isVisible());
        in<QScrollBar>(g, "VScroll2")->setValue(4);
        QCOMPARE(in<QLineEdit>(g, "Text1(0)")->text(), QString("Serial"));
        QCOMPARE(in<QComboBox>(g, "Combo1(0)")->currentText(), QString("ASC"));
        in<QScrollBar>(g, "VScroll1")->setValue(3);
        QCOMPARE(in<QLineEdit>(g, "Text3")->text(), QString("LOW3"));
        QCOMPARE(in<QLineEdit>(g, "Text2(0)")->text(), QString("xxxx0011"));
        QCOMPARE(s.groups.mnemonicText[3], std::string("LOW3"));
        QCOMPARE(s.groups.patternText[3], std::string("XXXXXXXXXXXXXXXXxxxx0011"));
        QCOMPARE(s.groups.bitMap[4 * 32 + 7], 15);
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(TestSetupCapture)
#include "tst_setup_capture.moc"
