// Cursors and the screen with real mouse events on a view, and the view menus.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "main/main_window.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

struct NoDevice : DeviceApi {
    uint8_t findBoard1(uint16_t, uint8_t *, uint8_t *, uint8_t *, uint32_t) override { return 0; }
    uint8_t findDemoBoard1(uint16_t, uint8_t *, uint8_t *) override { return 0; }
    void powerOff1(uint16_t) override {}
    uint8_t startCapture1(const StartArgs &) override { return 1; }
    uint8_t getTrigStat1(uint16_t, uint8_t *, uint8_t *) override { return 0; }
    void forceTrigger1(uint16_t, uint8_t *, uint8_t *) override {}
    uint8_t endCapture1(const EndArgs &) override { return 0; }
};

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
