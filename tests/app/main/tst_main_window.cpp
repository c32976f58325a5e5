// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with the real libraries and the simulated unit, on the offscreen
// platform. Start-up's questions are answered by the test: the detection message with
// Cancel (demonstration mode) and the view-count window as the case needs.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "fake_device.h"

#include "core/library_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    bool checked = true;
    QStringList messages;
    bool viewCount(const MemoryCheck &) override { return checked; }
    Detection detection(const QString &message, bool unitFound) override {
        messages << message;
        return unitFound ? Detection::Ok : Detection::Cancel;
    }
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private:
    struct Fixture {
        Answers answers;
        QStringList errors;
        LibraryDevice device{[this](const std::string &e) { errors << QString::fromStdString(e); }};
        MainWindow window{device, &answers};
        QLineEdit *status() { return window.findChild<QLineEdit *>("Text21"); }
        QLineEdit *count() { return window.findChild<QLineEdit *>("Text22"); }
        void click(const char *key) { window.action(key)->trigger(); }
        // The trigger word as typed into the panel's box.
        void typeTriggerWord(const QString &word) {
            window.panel()->triggerWordBox()->setText(word);
            window.panel()->triggerWordEdited(word, false);
        }
        // 1 GB at 30 % load: ten views when the box is checked.
        void start() { window.startUp(1024ull * 1048576, 30); }
    };

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void detectionOffersDemonstration() {
        Fixture f;
        f.start();
        QCOMPARE(f.answers.messages.size(), 1);
        QVERIFY(f.answers.messages[0].startsWith("Linux "));
        QVERIFY(f.answers.messages[0].endsWith(
            "No Any Port be connected\r\n\nPress 'Cancel button' for Demo mode"));
        QVERIFY(f.window.state().demonstration);
        QCOMPARE(f.window.state().hardwarePresent, uint8_t{0});
        QCOMPARE(f.window.windowTitle(), QString("KV-6830A - Demonstration mode"));
        QCOMPARE(f.window.state().highestViewIndex, 9);
        QCOMPARE(f.window.state().capture.dataSets(), 10);
        QCOMPARE(f.window.action("data2timing")->text(), QString("Data1-10 to timing by &point"));
        QVERIFY(f.errors.isEmpty());
    }

    void demonstrationStaysMarkedAndResetFindsNoUnit() {
        Fixture f;
        f.start();
        auto *mark = f.window.findChild<QLabel *>("DemoMark");
        QVERIFY(mark && !mark->isHidden());
        QCOMPARE(mark->text(), QString("Demonstration mode"));
        // The pointer over a menu replaces the status bar's message; the mark stays.
        f.window.statusBar()->showMessage("Load a data file");
        f.window.statusBar()->clearMessage();
        QVERIFY(!mark->isHidden());
        // Reset searches the real links again: there is no unit, and it says so.
        f.click("menureset");
        QCOMPARE(f.answers.messages.size(), 2);
        QVERIFY(f.answers.messages[1].endsWith(
            "No Any Port be connected\r\n\nPress 'Cancel button' for Demo mode"));
        QCOMPARE(f.window.state().hardwarePresent, uint8_t{0});
        // Cancel again: still demonstration, still marked.
        QVERIFY(f.window.state().demonstration);
        QVERIFY(!mark->isHidden());
        QCOMPARE(f.window.windowTitle(), QString("KV-6830A - Demonstration mode"));
    }

    void resetFindingAUnitEndsDemonstration() {
        Answers answers;
        kvtest::FakeDevice device;
        MainWindow window{device, &answers};
        window.startUp(1024ull * 1048576, 30);
        QVERIFY(window.state().demonstration);
        // The unit is plugged in on USB 2.0, then Reset.
        device.findResult = 4;
        device.linkKind = 4;
        window.action("menureset")->trigger();
        QCOMPARE(answers.messages.size(), 2);
        QVERIFY(answers.messages[1].endsWith("Usb2.0 Port be connected"));
        QVERIFY(!window.state().demonstration);
        QCOMPARE(window.state().hardwarePresent, uint8_t{1});
        QVERIFY(window.findChild<QLabel *>("DemoMark")->isHidden());
        QCOMPARE(window.windowTitle(), QString("KV-6830A"));
    }

    void longCaptureShowsProgressAndStopsAtOnce() {
        Answers answers;
        kvtest::FakeDevice device;
        MainWindow window{device, &answers};
        window.startUp(1024ull * 1048576, 30);
        window.panel()->scroll(4)->setValue(1);   // 128k
        window.panel()->scroll(5)->setValue(13);  // 5 kHz: 200 us a sample
        const QString word = "XXXXXXXX XXXXXXXX 00010000";
        window.panel()->triggerWordBox()->setWord(word);
        window.panel()->triggerWordEdited(word, false);
        window.state().settings.captureMode = 1;
        // Triggered at once, then the post-trigger memory fills for about 26 s.
        device.statuses = {1};
        auto *bar = window.findChild<QProgressBar *>("CaptureProgress");
        QVERIFY(bar && bar->isHidden());
        window.action("go")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isHidden(), 2000);
        QVERIFY(bar->value() >= 0 && bar->value() < 5);  // a fraction of a second in
        window.action("stop")->trigger();
        QVERIFY(!window.captureRun().active());  // at once, not at the next poll
        QVERIFY(bar->isHidden());
        QVERIFY(!window.action("go")->isChecked());
    }

    void viewZeroOpensOnlyWithoutSettings() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        {
            // First start: no settings file, view 0 opens.
            Fixture f;
            f.start();
            QVERIFY(f.window.state().views[0].open);
            QVERIFY(f.window.action("munTiming(0)")->isChecked());
            // The user closes view 0, opens view 1 and keeps the settings at exit.
            f.click("munTiming(0)");
            f.click("munTiming(1)");
            QVERIFY(!f.window.state().views[0].open);
            f.click("mnuAutoSaveSetting");
            f.window.close();
        }
        QVERIFY(QFile::exists(dir.filePath("KV6830.ini")));
        {
            Fixture g;
            g.start();
            QVERIFY(!g.window.state().views[0].open);
            QVERIFY(!g.window.action("munTiming(0)")->isChecked());
            QVERIFY(g.window.state().views[1].open);
        }
        QDir::setCurrent(previous);
    }

    void fewerViewsWithoutTheBox() {
        Fixture f;
        f.answers.checked = false;
        f.start();
        QCOMPARE(f.window.state().highestViewIndex, 1);
        QCOMPARE(f.window.action("data2timingbyauto")->text(),
                 QString("Data1-2 to timing by &auto"));
        // Print entries 2 and 3 print views 1 and 2; entry 4 onwards have no view.
        QVERIFY(!f.window.action("mnuPrintOut(4)")->isVisible());
        QVERIFY(f.window.action("mnuPrintOut(3)")->isVisible());
        QVERIFY(f.window.action("mnuPrintOut(2)")->isVisible());
    }

    void singleRunCapturesTheBoard() {
        Fixture f;
        f.start();
        f.window.state().settings.captureMode = 0;
        f.click("go");
        QTRY_COMPARE_WITH_TIMEOUT(f.status()->text(), QString("Completed"), 5000);
        QTRY_VERIFY(!f.window.captureRun().active());
        QCOMPARE(f.count()->text(), QString("1"));
        QVERIFY(!f.window.action("go")->isChecked());
        // Plane 2 holds the board's dividers: one count every two samples at 100 MHz.
        const uint8_t *p2 = f.window.state().capture.plane(0, 2);
        for (int i = 0; i + 2 < 2047; ++i) {
            QCOMPARE(static_cast<uint8_t>(p2[i] + 1), p2[i + 2]);
        }
        QCOMPARE(f.window.state().triggerOffsets[0], 8);  // free run
        QVERIFY(f.errors.isEmpty());
    }

    void normalRunWaitsForATriggerThatNeverComes() {
        Fixture f;
        f.start();
        f.window.state().settings.captureMode = 1;
        f.typeTriggerWord("XXXXXXXX 11111111 XXXXXXXX");
        f.click("go");
        QTRY_COMPARE_WITH_TIMEOUT(f.status()->text(), QString("Waiting for  Trigger"), 3000);
        QTest::qWait(300);
        QCOMPARE(f.status()->text(), QString("Waiting for  Trigger"));
        QCOMPARE(f.count()->text(), QString(""));
        f.click("stop");
        QTRY_COMPARE(f.status()->text(), QString("Completed"));
        QTRY_VERIFY(!f.window.captureRun().active());
    }

    void autoRunForcesTheTrigger() {
        Fixture f;
        f.start();
        f.window.state().settings.captureMode = 2;
        f.typeTriggerWord("XXXXXXXX 11111111 XXXXXXXX");
        f.click("go");
        // Timer3 (200 ms at 100 MHz) lets the run force the trigger: captures complete.
        QTRY_VERIFY_WITH_TIMEOUT(f.count()->text().toInt() >= 2, 5000);
        f.click("stop");
        QTRY_VERIFY(!f.window.captureRun().active());
    }

    void memoryChangeAbandonsTheCapture() {
        Fixture f;
        f.start();
        f.window.state().settings.captureMode = 1;
        f.typeTriggerWord("XXXXXXXX 11111111 XXXXXXXX");
        f.click("go");
        QTRY_COMPARE_WITH_TIMEOUT(f.status()->text(), QString("Waiting for  Trigger"), 3000);
        // What the memory size control does: a new depth and settings changed.
        f.window.state().settings.memoryDepthIndex = 1;
        f.window.state().settingsChanged = 1;
        // The pass ends ("Completed" shows for one step) with the count shown, not raised.
        QTRY_COMPARE(f.count()->text(), QString("1"));
        QCOMPARE(f.window.state().runCounter, 1);
        // ...and a new capture starts with the new depth.
        QTRY_COMPARE(f.status()->text(), QString("Waiting for  Trigger"));
        QCOMPARE(f.window.state().planeLengths[0], 131072);
        f.click("stop");
        QTRY_VERIFY(!f.window.captureRun().active());
    }

    void autoDataSetsAlternate() {
        Fixture f;
        f.answers.checked = false;  // highest view index 1
        f.start();
        ProgramState &s = f.window.state();
        s.settings.captureMode = 1;
        s.data2timingbyauto = true;
        std::memset(s.capture.plane(0, 2), 0xEE, 2047);
        std::memset(s.capture.plane(1, 2), 0xEE, 2047);
        f.click("go");
        QTRY_VERIFY_WITH_TIMEOUT(f.count()->text().toInt() >= 3, 5000);
        f.click("stop");
        QTRY_VERIFY(!f.window.captureRun().active());
        // Both data sets were filled, and their end ticks set.
        QVERIFY(s.capture.plane(0, 2)[0] != 0xEE || s.capture.plane(0, 2)[1] != 0xEE);
        QVERIFY(s.capture.plane(1, 2)[0] != 0xEE || s.capture.plane(1, 2)[1] != 0xEE);
        QVERIFY(s.endTicks[0] != 0 && s.endTicks[1] != 0);
    }

    void secondRunIsIgnored() {
        Fixture f;
        f.start();
        f.window.state().settings.captureMode = 1;
        f.typeTriggerWord("XXXXXXXX 11111111 XXXXXXXX");
        f.click("go");
        QTRY_COMPARE_WITH_TIMEOUT(f.status()->text(), QString("Waiting for  Trigger"), 3000);
        f.click("go");
        QVERIFY(f.window.action("go")->isChecked());
        f.click("stop");
        QTRY_VERIFY(!f.window.captureRun().active());
        QCOMPARE(f.status()->text(), QString("Completed"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
