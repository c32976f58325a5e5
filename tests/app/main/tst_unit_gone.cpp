// SPDX-License-Identifier: GPL-3.0-or-later
// A unit that goes away in the middle of a run, with the real libraries and the
// simulated unit's cable pulled and put back at set times (KV6830_SIMULATE options).
// Real time: the cable is pulled 2.5 s after the unit is attached (at start-up's
// detection) and put back 4 s after it.
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>
#include <vector>

#include "core/capture_run.h"
#include "core/library_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    QStringList detections, told, asked;
    bool viewCount(const MemoryCheck &) override { return false; }
    Detection detection(const QString &message, bool unitFound) override {
        detections << message;
        return unitFound ? Detection::Ok : Detection::Cancel;
    }
    void tell(const QString &, const QString &text) override { told << text; }
    bool ask(const QString &, const QString &text) override {
        asked << text;
        return true;
    }
};

struct Fixture {
    Answers answers;
    QStringList errors;
    LibraryDevice device{[this](const std::string &e) { errors << QString::fromStdString(e); }};
    MainWindow window{device, &answers};
    QElapsedTimer clock;
    qint64 attachedBy = 0;  // the unit was attached between 0 and this many ms

    explicit Fixture(const char *simulate) {
        qputenv("KV6830_SIMULATE", simulate);
        clock.start();
        window.startUp(1024ull * 1048576, 30);
        attachedBy = clock.elapsed();
    }
    QLineEdit *status() { return window.findChild<QLineEdit *>("Text21"); }
    void click(const char *key) { window.action(key)->trigger(); }
    std::vector<uint8_t> dataSet(int set) {
        std::vector<uint8_t> bytes;
        for (int p = 0; p < 3; ++p) {
            const uint8_t *plane = window.state().capture.plane(set, p);
            bytes.insert(bytes.end(), plane, plane + 2048);
        }
        return bytes;
    }
    void setTriggerWord(const QString &word) {
        window.panel()->triggerWordBox()->setWord(word);
        window.panel()->triggerWordEdited(word, false);
    }
    bool singleCapture() {
        window.state().settings.captureMode = 0;
        setTriggerWord("XXXXXXXX XXXXXXXX XXXXXXXX");
        click("go");
        return QTest::qWaitFor([&] { return !window.captureRun().active(); }, 5000) &&
               status()->text() == "Completed";
    }
    // A Normal run that waits for a word the board never shows, until the unit goes.
    void waitForTheUnitToGo() {
        window.state().settings.captureMode = 1;
        setTriggerWord("XXXXXXXX 11111111 XXXXXXXX");
        click("go");
        QVERIFY(QTest::qWaitFor([&] { return status()->text() == "Waiting for  Trigger"; }, 2000));
        QVERIFY(QTest::qWaitFor([&] { return !window.captureRun().active(); }, 4000));
        const qint64 stopped = clock.elapsed();
        QCOMPARE(status()->text(), QString(kUnitGoneText));
        QVERIFY2(stopped >= 2500, qPrintable(QString::number(stopped)));
        QVERIFY2(stopped <= attachedBy + 2500 + 1000, qPrintable(QString::number(stopped)));
        QCOMPARE(answers.told, QStringList{kUnitGoneText});
    }
};

}  // namespace

class TestUnitGone : public QObject {
    Q_OBJECT

  private slots:
    void usbPulledDuringANormalRunThenPluggedIn() {
        Fixture f("usb2,unplug-after=2500,replug-after=4000");
        QVERIFY(f.answers.detections.last().endsWith("2.0 Port be connected"));
        QVERIFY(f.singleCapture());
        const auto before = f.dataSet(0);
        f.waitForTheUnitToGo();
        QVERIFY(f.dataSet(0) == before);
        // Put back: the program offers to detect it and finds it again.
        QVERIFY(QTest::qWaitFor([&] { return !f.answers.asked.isEmpty(); }, 4000));
        QCOMPARE(f.answers.asked.first(), QString("A KV-6830 unit was plugged in. Detect it now?"));
        QCOMPARE(f.answers.detections.size(), 2);
        QVERIFY(f.answers.detections.last().endsWith("2.0 Port be connected"));
        QVERIFY(f.singleCapture());
        QVERIFY(f.errors.isEmpty());
    }

    void eppPulledDuringANormalRunFoundAgainByReset() {
        Fixture f("epp:0x378,unplug-after=2500,replug-after=4000");
        QVERIFY(f.answers.detections.last().endsWith("Epp Port be connected"));
        QVERIFY(f.singleCapture());
        const auto before = f.dataSet(0);
        f.waitForTheUnitToGo();
        QVERIFY(f.dataSet(0) == before);
        QTest::qWait(static_cast<int>(f.attachedBy + 4000 - f.clock.elapsed() + 50));
        QVERIFY(f.answers.asked.isEmpty());  // a parallel port tells of no arrivals
        f.click("menureset");
        QVERIFY(f.answers.detections.last().endsWith("Epp Port be connected"));
        QVERIFY(f.singleCapture());
    }

    void unpoweredParallelUnitIsNamedAtDetection() {
        Fixture f("epp:0x378,unpowered");
        QVERIFY2(f.answers.detections.first().contains(
                     "no unit answers on the parallel port at 378: check that the unit has "
                     "its supply and that its cable is in"),
                 qPrintable(f.answers.detections.first()));
        QVERIFY(f.window.state().demonstration);
    }
};

QTEST_MAIN(TestUnitGone)
#include "tst_unit_gone.moc"
