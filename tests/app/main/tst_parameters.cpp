// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter panel and the Parameters window with the program around them.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "core/library_device.h"
#include "dialogs/parameters_window.h"
#include "fake_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    bool viewCount(const MemoryCheck &) override { return false; }
    Detection detection(const QString &, bool found) override {
        return found ? Detection::Ok : Detection::Cancel;
    }
};

struct Fixture {
    Answers answers;
    LibraryDevice device{[](const std::string &) {}};
    MainWindow window{device, &answers};
    Fixture() { window.startUp(1024ull * 1048576, 30); }
    template <typename T>
    T *find(const char *name) {
        T *w = window.findChild<T *>(name);
        if (!w) qWarning() << "missing" << name;
        return w;
    }
    // The panel's controls (the views have a VScroll1 of their own, Form2 a Text1).
    QScrollBar *scroll(int i) { return window.panel()->scroll(i); }
    QString text(int i) {
        QWidget *in = i >= 21 ? static_cast<QWidget *>(&window) : window.panel();
        return in->findChild<QLineEdit *>(QString("Text%1").arg(i))->text();
    }
    QString status() { return text(21); }
    QComboBox *formCombo(int i) {
        return window.parametersWindow()->findChild<QComboBox *>(QString("Combo%1").arg(i));
    }
    // A whole word set from code: the box shows it with its separators as blanks.
    void type(const QString &word) {
        window.panel()->triggerWordBox()->setWord(word);
        window.panel()->triggerWordEdited(word, false);
    }
};

// The program on a scripted device that completes every capture at once, with the
// Parameters window open, for typing into either trigger word box.
struct TypingFixture {
    Answers answers;
    kvtest::FakeDevice device;
    MainWindow window{device, &answers};
    QLineEdit *box = nullptr, *other = nullptr;
    explicit TypingFixture(const QString &name) {
        device.statuses = {3};
        window.startUp(1024ull * 1048576, 30);
        window.show();
        window.action("Parameter_window")->trigger();
        QLineEdit *panelBox = window.panel()->triggerWordBox();
        QLineEdit *formBox = window.parametersWindow()->findChild<QLineEdit *>("Text1");
        box = name == "Text6" ? panelBox : formBox;
        other = name == "Text6" ? formBox : panelBox;
        box->setFocus();
    }
    // Home, then the keys as typed.
    void typeFromStart(const QString &keys) {
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, keys);
    }
    void moveTo(int position) {
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < position; ++i)
            QTest::keyClick(box, Qt::Key_Right);
    }
    // Run once (Single) and return the trigger word characters StartCapture1 was given.
    std::string runOnce() {
        window.state().settings.captureMode = 0;
        window.action("go")->trigger();
        if (!QTest::qWaitFor([this] { return !window.captureRun().active(); }, 3000)) return {};
        return device.startWords.empty() ? std::string() : device.startWords.back();
    }
};

}  // namespace

class TestParameters : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void rateSteppingMirrorsBothPlaces() {
        Fixture f;
        QCOMPARE(f.text(5), QString("100Mhz"));
        f.scroll(5)->setValue(1);
        QCOMPARE(f.text(5), QString("50Mhz"));
        QCOMPARE(f.window.state().samplePeriodPs, 20000.0);
        QCOMPARE(f.window.state().settings.rateCode, uint8_t{5});
        QCOMPARE(f.formCombo(1)->currentIndex(), 1);
        QCOMPARE(f.window.state().settingsChanged, uint8_t{1});
        // The other way: the window's list moves the panel.
        f.formCombo(1)->setCurrentIndex(8);
        QCOMPARE(f.scroll(5)->value(), 8);
        QCOMPARE(f.text(5), QString("200khz"));
        QCOMPARE(f.window.state().samplePeriodPs, 5e6);
    }

    void thresholdSlopeModeAndMemory() {
        Fixture f;
        f.scroll(1)->setValue(62);
        QCOMPARE(f.text(1), QString("-100.mV"));
        QCOMPARE(f.window.state().settings.threshold[0], uint8_t{62});
        f.scroll(2)->setValue(1);
        QCOMPARE(f.text(2), QString("false"));
        QCOMPARE(f.formCombo(5)->currentIndex(), 1);
        f.window.state().settingsChanged = 0;
        f.scroll(3)->setValue(2);
        QCOMPARE(f.text(3), QString("Auto"));
        QCOMPARE(f.window.state().settings.captureMode, uint8_t{2});
        QCOMPARE(f.window.state().settingsChanged, uint8_t{0});  // the mode does not abandon
        f.formCombo(3)->setCurrentIndex(1);
        QCOMPARE(f.text(4), QString("128k"));
        QCOMPARE(f.window.state().recordLength, 131072);
    }

    void oneTwentyEightKRaisesLowZooms() {
        Fixture f;
        f.window.state().views[0].zoomIndex = 0;
        f.window.state().views[1].zoomIndex = 9;
        f.scroll(4)->setValue(1);
        QCOMPARE(int(f.window.state().views[0].zoomIndex), 3);
        QCOMPARE(int(f.window.state().views[1].zoomIndex), 9);
        QCOMPARE(f.window.view(0)->findChild<QComboBox *>("Combo2")->currentIndex(), 3);
    }

    void triggerWordBothWays() {
        Fixture f;
        // A "1" typed over the separator is undone; the characters hold 0x78 there.
        f.type("XXXXXXXX1XXXXXXXX XXXXXXX0");
        QCOMPARE(f.text(6), QString("XXXXXXXX XXXXXXXX XXXXXXX0"));
        QCOMPARE(f.window.state().triggerWordChars[8], uint8_t{0x78});
        QCOMPARE(f.window.state().triggerWordChars[25], uint8_t{0x30});
        auto *word = f.window.parametersWindow()->findChild<QLineEdit *>("Text1");
        QCOMPARE(word->text(), QString("XXXXXXXX XXXXXXXX XXXXXXX0"));
        // The window's check on leaving its box.
        word->setText("12 ab");
        f.window.parametersWindow()->validateTriggerWord();
        QCOMPARE(word->text(), QString("1XXXX  "));
        word->setText("0101 1111111 10");
        f.window.parametersWindow()->validateTriggerWord();
        // Positions 10..17 hold "111 10": the blank becomes X, the short group stays short.
        QCOMPARE(word->text(), QString("0101X111 111X10 "));
    }

    void triggerWordTypedKeyByKey_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("panel Text6") << "Text6";
        QTest::newRow("Parameters window Text1") << "Text1";
    }
    void triggerWordTypedKeyByKey() {
        QFETCH(QString, box);
        TypingFixture f(box);
        // The whole word, blanks included: it lands as typed, the low byte too.
        f.typeFromStart("XXXXXXXX XXXXXXXX 00010000");
        QCOMPARE(f.box->text(), QString("XXXXXXXX XXXXXXXX 00010000"));
        QCOMPARE(f.other->text(), QString("XXXXXXXX XXXXXXXX 00010000"));
        QCOMPARE(f.window.state().settings.triggerWord, std::string("XXXXXXXX XXXXXXXX 00010000"));
        QCOMPARE(f.window.state().settingsChanged, uint8_t{1});
        // StartCapture1 gets "1" and "0" as typed and "x" (0x78) everywhere else.
        QCOMPARE(f.runOnce(), std::string("xxxxxxxxxxxxxxxxxx00010000"));

        // Backspace at the end of the first group and retype: "01010101" stays itself.
        f.typeFromStart("01010101");
        QCOMPARE(f.box->cursorPosition(), 9);  // past the blank
        f.moveTo(8);
        QTest::keyClick(f.box, Qt::Key_Backspace);
        QCOMPARE(f.box->text(), QString("0101010X XXXXXXXX 00010000"));
        QTest::keyClicks(f.box, "1");
        QCOMPARE(f.box->text(), QString("01010101 XXXXXXXX 00010000"));

        // Select all and type the 24 channels: nothing is lost at the end.
        QTest::keyClick(f.box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(f.box, "111100001010101000000001");
        QCOMPARE(f.box->text(), QString("11110000 10101010 00000001"));
        QCOMPARE(f.other->text(), QString("11110000 10101010 00000001"));

        // Delete twice at the start: D23 and D22 become "X"; a blank cannot be typed over.
        f.moveTo(0);
        QTest::keyClick(f.box, Qt::Key_Delete);
        QTest::keyClick(f.box, Qt::Key_Delete);
        f.moveTo(8);
        QTest::keyClicks(f.box, "0");  // lands on D15, after the blank
        QCOMPARE(f.box->text(), QString("XX110000 00101010 00000001"));

        // Paste "0z1x" at D11 (position 13); other characters on the clipboard are not taken.
        QApplication::clipboard()->setText("0z-1x");
        f.moveTo(13);
        QTest::keyClick(f.box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.box->text(), QString("XX110000 00100X1X 00000001"));
        QCOMPARE(f.other->text(), QString("XX110000 00100X1X 00000001"));
        QCOMPARE(f.runOnce(), std::string("xx110000x00100x1xx00000001"));
        QCOMPARE(f.window.state().settings.triggerWord, std::string("XX110000 00100X1X 00000001"));
    }

    void fallingChoosesTheExternalClock() {
        Fixture f;
        QVERIFY(f.window.action("mnuInternal(0)")->isChecked());
        f.window.action("mnurising(1)")->trigger();
        QCOMPARE(f.window.state().settings.clockSource, uint8_t{2});
        QVERIFY(f.window.action("mnuInternal(1)")->isChecked());
        QVERIFY(!f.window.action("mnuInternal(0)")->isChecked());
        QVERIFY(f.window.action("mnurising(1)")->isChecked());
        QVERIFY(!f.window.action("mnurising(0)")->isChecked());
        f.window.action("mnuInternal(0)")->trigger();
        QCOMPARE(f.window.state().settings.clockSource, uint8_t{0});
        QVERIFY(!f.window.action("mnurising(1)")->isChecked());
    }

    void parametersWindowShowsAndHides() {
        Fixture f;
        QAction *item = f.window.action("Parameter_window");
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(f.window.parametersWindow()->isVisible());
        QCOMPARE(f.window.parametersWindow()->pos(), QPoint(500, 30));
        f.window.parametersWindow()->close();
        QVERIFY(!item->isChecked());
    }

    void triggerDelayModeSwapsTheBars() {
        Fixture f;
        f.window.toggleView(1);
        f.formCombo(6)->setCurrentIndex(1);
        QVERIFY(f.window.state().triggerDelayMode);
        for (int v = 0; v < 2; ++v) {
            QVERIFY(!f.window.view(v)->findChild<QScrollBar *>("HScroll7")->isHidden());
            QVERIFY(f.window.view(v)->findChild<QScrollBar *>("HScroll6")->isHidden());
        }
        f.formCombo(6)->setCurrentIndex(0);
        for (int v = 0; v < 2; ++v) {
            QVERIFY(f.window.view(v)->findChild<QScrollBar *>("HScroll7")->isHidden());
            QVERIFY(!f.window.view(v)->findChild<QScrollBar *>("HScroll6")->isHidden());
        }
    }

    void modeChangeKeepsTheCaptureRateChangeAbandonsIt() {
        Fixture f;
        f.scroll(3)->setValue(1);  // Normal
        f.type("XXXXXXXX 11111111 XXXXXXXX");
        f.window.action("go")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.status(), QString("Waiting for  Trigger"), 3000);
        f.scroll(3)->setValue(0);  // Single: the capture goes on waiting
        QTest::qWait(100);
        QCOMPARE(f.status(), QString("Waiting for  Trigger"));
        QCOMPARE(f.text(22), QString(""));
        f.scroll(5)->setValue(2);  // a new rate abandons it
        QTRY_COMPARE(f.text(22), QString("1"));
        QTRY_VERIFY(!f.window.captureRun().active());  // Single: no next capture
        QCOMPARE(f.window.state().runCounter, 0);
        QCOMPARE(f.window.state().settings.rateCode, uint8_t{6});
    }

    void tenMegahertzCaptureWithATriggerWord() {
        Fixture f;
        f.scroll(3)->setValue(0);  // Single
        f.scroll(5)->setValue(3);  // "10MSa(100ns)"
        QCOMPARE(f.text(5), QString("10Mhz"));
        f.type("XXXXXXXX XXXXXXXX 00010000");
        f.window.action("go")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.status(), QString("Completed"), 5000);
        QTRY_VERIFY(!f.window.captureRun().active());
        // Trigger cursor 60 (2K): the unit keeps (16384 - 16137) x 8 = 1976 samples after
        // the trigger, which lands at 72: 12 after the nominal index, less the 0 to 3
        // samples the unit takes to see the trigger.
        const int32_t offset = f.window.state().triggerOffsets[0];
        QVERIFY2(offset >= 9 && offset <= 12, qPrintable(QString::number(offset)));
        const uint8_t *p0 = f.window.state().capture.plane(0, 0);
        QCOMPARE(int(p0[60 + offset]), 0x10);
        QCOMPARE(int(p0[59 + offset]), 0x0F);
        // At 10 MHz the count holds ten samples.
        QCOMPARE(int(p0[60 + offset + 9]), 0x10);
        QCOMPARE(int(p0[60 + offset + 10]), 0x11);
    }
};

QTEST_MAIN(TestParameters)
#include "tst_parameters.moc"
