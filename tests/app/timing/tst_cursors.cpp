// SPDX-License-Identifier: GPL-3.0-or-later
// Cursors and the screen with real mouse events on a view, and the view menus.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "main/main_window.h"
#include "no_device.h"
#include "timing/range_scroll_bar.h"
#include "timing/timing_view.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

struct Answers : StartupQuestions {
    int checked = false;
    bool viewCount(const MemoryCheck &) override { return checked; }
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
};

struct Fixture {
    NoDevice device;
    Answers answers;
    MainWindow window{device, &answers};
    explicit Fixture(bool tenViews = false) {
        answers.checked = tenViews;
        window.startUp(1024ull * 1048576, 30);
    }
    TimingView *view() { return window.view(0); }
    QWidget *picture() { return view()->findChild<QWidget *>("Picture1"); }
    ViewState &state() { return window.state().views[0]; }
    QString label(const char *name) { return view()->findChild<QLabel *>(name)->text(); }
    QComboBox *formCombo(int i) { return window.findChild<QComboBox *>(QString("Combo%1").arg(i)); }
    QScrollBar *bar(const char *name) { return view()->findChild<QScrollBar *>(name); }
    // One press, one move, one release.
    void dragOnce(int from, int to) {
        QTest::mousePress(picture(), Qt::LeftButton, {}, QPoint(from, 50));
        QTest::mouseMove(picture(), QPoint(to, 50));
        QTest::mouseRelease(picture(), Qt::LeftButton, {}, QPoint(to, 50));
    }
    void drag(int from, int to) {
        QTest::mousePress(picture(), Qt::LeftButton, {}, QPoint(from, 50));
        QTest::mouseMove(picture(), QPoint((from + to) / 2, 50));
        QTest::mouseMove(picture(), QPoint(to, 50));
        QTest::mouseRelease(picture(), Qt::LeftButton, {}, QPoint(to, 50));
    }
};

}  // namespace

class TestCursors : public QObject {
    Q_OBJECT

  private slots:
    void pressCatchesWithinFivePixels() {
        Fixture f;       // "Magnify 1", screen start 0, cursor A at 30
        f.drag(35, 45);  // 5 pixels right of A: a screen drag
        QCOMPARE(f.state().cursorA, 30);
        QCOMPARE(f.state().screenStart, 10);  // the screen moved 10 samples on
        f.state().screenStart = 0;
        f.drag(34, 50);  // 4 pixels: cursor A follows
        QCOMPARE(f.state().cursorA, 50);
        QCOMPARE(f.label("Label6"), QString("50"));
        QCOMPARE(f.view()->findChild<QScrollBar *>("HScroll3")->value(), 50);
    }

    void betweenTwoCloseCursorsAWins() {
        Fixture f;
        f.state().cursorB = 33;
        f.drag(31, 70);
        QCOMPARE(f.state().cursorA, 70);
        QCOMPARE(f.state().cursorB, 33);
    }

    void screenDragStopsAtSampleZero() {
        Fixture f;
        f.state().screenStart = 5;
        f.drag(300, 100);  // to the left: towards earlier samples, past 0
        QCOMPARE(f.state().screenStart, 0);
        QCOMPARE(f.label("Label12"), QString("0"));
        f.drag(100, 160);
        QCOMPARE(f.state().screenStart, 60);
    }

    void cursorIntoTheWindowAtMagnifyOneTenth() {
        Fixture f;
        f.window.state().settings.memoryDepthIndex = 1;
        f.window.findChild<QComboBox *>("Combo3")->setCurrentIndex(1);  // 128k
        auto *zoom = f.view()->findChild<QComboBox *>("Combo2");
        zoom->setCurrentIndex(8);
        f.state().screenStart = 1000;
        QTest::mouseClick(f.view()->findChild<QLabel *>("Label2"), Qt::LeftButton);
        QCOMPARE(f.state().cursorB, 3000);  // 1000 + 200 x 10
        QCOMPARE(f.label("Label7"), QString("3000"));
        // With a 2K record the bar's Max (2015) is below 3000: B stays.
        Fixture g;
        g.view()->findChild<QComboBox *>("Combo2")->setCurrentIndex(8);
        g.state().screenStart = 1000;
        QTest::mouseClick(g.view()->findChild<QLabel *>("Label2"), Qt::LeftButton);
        QCOMPARE(g.state().cursorB, 90);
    }

    void readoutsInEveryUnit() {
        Fixture f;
        // 100 MHz: 10 000 ps a sample; A 30, B 90, T 60.
        QCOMPARE(f.label("Label17"), QString("-600.nS"));
        QCOMPARE(f.label("Label18"), QString("-300.nS"));
        QCOMPARE(f.label("Label19"), QString("300.nS"));
        f.window.action("displaysample")->trigger();
        QCOMPARE(f.label("Label17"), QString("-60"));
        QVERIFY(!f.window.action("displaytime")->isChecked());
        f.window.action("displaysample")->trigger();  // the only one: the other two come on
        QVERIFY(f.window.action("displaytime")->isChecked());
        QVERIFY(f.window.action("displayFrequency")->isChecked());
        // n = 60 at P = 10 ns: v = 1e6 / 60 / 10 = 1666.67 -> 1.667 MHz.
        QCOMPARE(f.label("Label17"), QString("1.667MHz"));
        f.state().cursorB = 30;
        f.view()->updateDistanceReadouts();
        QCOMPARE(f.label("Label17"), QString("----"));
    }

    void readoutsFollowDepthAndDelayMode() {
        Fixture f;                           // 100 MHz: 10 ns a sample; A 30, B 90, T 60
        f.formCombo(3)->setCurrentIndex(1);  // "128k"
        f.bar("HScroll3")->setValue(100000);
        // A-B: 99910 samples, 999.1 us.
        QCOMPARE(f.label("Label17"), QString("999.1uS"));
        f.formCombo(3)->setCurrentIndex(0);  // "2k": A beyond the last start goes to 30
        QCOMPARE(f.label("Label6"), QString("30"));
        QCOMPARE(f.label("Label17"), QString("-600.nS"));
        QCOMPARE(f.label("Label18"), QString("-300.nS"));
        QCOMPARE(f.label("Label19"), QString("300.nS"));
        // Trigger delay mode: T = HScroll7.Max - delay - 256 with the delay at Max (the bar's
        // nearer end to a delay never set), so T = -256.
        f.formCombo(6)->setCurrentIndex(1);
        QCOMPARE(f.label("Label8"), QString("-284"));
        QCOMPARE(f.label("Label17"), QString("-600.nS"));
        QCOMPARE(f.label("Label18"), QString("2.86uS"));  // 30 + 256 samples
        QCOMPARE(f.label("Label19"), QString("3.46uS"));  // 90 + 256
        f.formCombo(6)->setCurrentIndex(0);               // and back: T is the trigger cursor again
        QCOMPARE(f.label("Label18"), QString("-300.nS"));
    }

    void cursorAtTheLastStartIsLoweredToTheBarMax() {
        Fixture f;
        f.formCombo(3)->setCurrentIndex(1);
        f.bar("HScroll3")->setValue(2016);  // the last start of "2k"
        f.bar("HScroll6")->setValue(2016);
        f.formCombo(3)->setCurrentIndex(0);
        // Not beyond the last start, so it stays, lowered to the bar's Max 2015.
        QCOMPARE(f.bar("HScroll3")->maximum(), 2015);
        QCOMPARE(f.state().cursorA, 2015);
        QCOMPARE(f.bar("HScroll3")->value(), 2015);
        QCOMPARE(f.label("Label6"), QString("2015"));
        QCOMPARE(f.state().triggerCursor, 2015);
        QCOMPARE(f.label("Label8"), QString("2015"));
        QCOMPARE(f.label("Label17"), QString("19.25uS"));  // 2015 - 90 samples
    }

    void delayBarRunsFromMinToMax() {
        Fixture f;
        f.formCombo(6)->setCurrentIndex(1);  // trigger delay mode, "2k"
        auto *delay = f.view()->findChild<RangeScrollBar *>("HScroll7");
        QVERIFY(!delay->isHidden());
        // Min (2 + 100) x 512 = 52224 at the left end, Max 32767 at the right end.
        QCOMPARE(delay->maximum() - delay->minimum(), 52224 - 32767);
        // Label8 = "-" & (32767 - delay + 256 + 28); T = 32767 - delay - 256; A = 30.
        const auto check = [&](int32_t d, const char *label8, const char *aToT) {
            QCOMPARE(delay->barValue(), d);
            QCOMPARE(f.state().triggerDelay, d);
            QCOMPARE(f.label("Label8"), QString(label8));
            QCOMPARE(f.label("Label18"), QString(aToT));
        };
        // The thumb to the left end, the right arrow, the trough right of the thumb, the thumb
        // to the right end, the left arrow.
        delay->triggerAction(QAbstractSlider::SliderToMinimum);
        check(52224, "--19173", "197.43uS");  // T = -19713: 19743 samples from A
        delay->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        check(52223, "--19172", "197.42uS");
        delay->triggerAction(QAbstractSlider::SliderPageStepAdd);  // one large change, 10240
        check(41983, "--8932", "95.02uS");                         // T = -9472: 9502 samples
        delay->triggerAction(QAbstractSlider::SliderToMaximum);
        check(32767, "-284", "2.86uS");
        delay->triggerAction(QAbstractSlider::SliderSingleStepSub);
        check(32768, "-283", "2.87uS");
        // The capture run's trigger position follows: 32767 - (Max - delay) / 512 - 2.
        QCOMPARE(f.window.captureRun().triggerPosition(f.state()), 32765);
        // "128k": Min (256 + 100) x 512 = 182272.
        f.formCombo(3)->setCurrentIndex(1);
        QCOMPARE(delay->maximum() - delay->minimum(), 182272 - 32767);
        delay->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(delay->barValue(), 182272);
        QCOMPARE(f.label("Label8"), QString("--149221"));
    }

    void dragAndCatchAtEveryZoom() {
        Fixture f;
        f.formCombo(3)->setCurrentIndex(1);  // "128k": room for every step's positions
        // A picture 600 pixels wide: at "Magnify 1/200" it spans 120000 samples, so a screen
        // drag of 2000 samples stays below the bar's Max minus the span.
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QWidget *frame = f.view()->parentWidget();
        for (int i = 0; i < 3 && f.picture()->width() != 600; ++i) {
            QCoreApplication::processEvents();
            frame->resize(frame->width() - f.picture()->width() + 600, 640);
            QCoreApplication::processEvents();
        }
        QCOMPARE(f.picture()->width(), 600);

        auto *zoom = f.view()->findChild<QComboBox *>("Combo2");
        zoom->setFocus();
        QTest::keyClick(zoom, Qt::Key_Home);
        // Samples per pixel of each step as a fraction, from the zoom table.
        const int perPixel[13][2] = {{1, 50}, {1, 20}, {1, 10}, {1, 5},  {1, 2},   {1, 1},  {2, 1},
                                     {5, 1},  {10, 1}, {20, 1}, {50, 1}, {100, 1}, {200, 1}};
        for (int step = 0; step < 13; ++step) {
            if (step > 0) QTest::keyClick(zoom, Qt::Key_Down);
            QCOMPARE(int(f.state().zoomIndex), step);
            const int num = perPixel[step][0], den = perPixel[step][1];
            const auto samples = [&](int pixels) { return pixels * num / den; };  // whole
            const auto place = [&](int32_t a) {
                f.state().screenStart = 0;
                f.state().cursorA = a;
                f.view()->applyState();
            };
            // Cursor A 100 pixels from the left edge: caught from 96 to 104, not at 95 or 105
            // (a press that catches nothing drags the screen instead).
            for (int press : {95, 96, 104, 105}) {
                place(samples(100));
                f.dragOnce(press, press + 10);
                const bool caught = press == 96 || press == 104;
                QCOMPARE(f.state().cursorA, caught ? samples(press + 10) : samples(100));
                // A 10-pixel screen drag moves 10 pixels' worth of samples, truncated.
                QCOMPARE(f.state().screenStart, caught ? 0 : 10 * num / den);
            }
            // Dragged from its line to pixel 560, A lands on sample 560 x samples per pixel.
            place(samples(100));
            f.dragOnce(100, 560);
            QCOMPARE(f.state().cursorA, 560 * num / den);
            QCOMPARE(f.label("Label6"), QString::number(560 * num / den));
        }
        // At "Magnify 1/5": A 2800, B 90, 2710 samples of 10 ns.
        QTest::keyClick(zoom, Qt::Key_Home);
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(zoom, Qt::Key_Down);
        f.state().screenStart = 0;
        f.state().cursorA = 500;
        f.view()->applyState();
        f.dragOnce(100, 560);
        QCOMPARE(f.state().cursorA, 2800);
        QCOMPARE(f.label("Label17"), QString("27.1uS"));
    }

    void marksStayWhileACursorIsDragged() {
        Fixture f;  // "Magnify 1", A at 30
        const int before = f.view()->lastDraw().marks[1];
        QTest::mousePress(f.picture(), Qt::LeftButton, {}, QPoint(30, 50));
        QTest::mouseMove(f.picture(), QPoint(400, 50));
        QCOMPARE(f.state().cursorA, 400);
        QCOMPARE(f.view()->lastDraw().marks[1], before);
        QTest::mouseMove(f.picture(), QPoint(800, 50));
        QCOMPARE(f.view()->lastDraw().marks[1], before);
        QTest::mouseRelease(f.picture(), Qt::LeftButton, {}, QPoint(800, 50));
        // Released: the mark moves to A's place within the record.
        auto *screen = f.bar("HScroll1");
        const int barLeft = screen->x() - f.view()->findChild<QWidget *>("Picture1")->x();
        QCOMPARE(f.view()->lastDraw().marks[1],
                 barLeft + 25 + f.state().cursorA * (screen->width() - 50) / 2016);
        QVERIFY(f.view()->lastDraw().marks[1] != before);
    }

    void bindingItemsAndCaptions() {
        Fixture f;  // two views
        QCOMPARE(f.window.action("munTiming(0)")->text(), QString("Timing1 <--data1"));
        f.window.action("data2timing")->trigger();
        QCOMPARE(f.window.action("munTiming(1)")->text(), QString("Timing2 <--data2"));
        f.window.action("data2timingbyauto")->trigger();
        QVERIFY(!f.window.action("data2timing")->isChecked());
        QVERIFY(f.window.action("data2timingbyauto")->isChecked());
        QCOMPARE(f.window.action("munTiming(0)")->text(), QString("Timing1 <--data2^"));
        QCOMPARE(f.window.action("munTiming(1)")->text(), QString("Timing2 <--data1<----"));
        QCOMPARE(f.window.state().views[1].dataSet, 0);
    }

    void rightPressOpensTheParametersWindow() {
        Fixture f;
        QTest::mousePress(f.picture(), Qt::RightButton, {}, QPoint(10, 10));
        QVERIFY(f.window.action("Parameter_window")->isChecked());
    }
};

QTEST_MAIN(TestCursors)
#include "tst_cursors.moc"
