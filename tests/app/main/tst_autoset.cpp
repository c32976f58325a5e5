// SPDX-License-Identifier: GPL-3.0-or-later
// Autoset through the main window with the real libraries: a simulated mixed-signal unit
// on USB (KV6830_SIMULATE "none,mixed=usb2") or none at all. The button is clicked as a
// user clicks it; the views are redrawn by Timer1 five seconds later.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <set>

#include "core/library_device.h"
#include "dialogs/parameters_window.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    bool viewCount(const MemoryCheck &) override { return false; }
    Detection detection(const QString &, bool unitFound) override {
        return unitFound ? Detection::Ok : Detection::Cancel;
    }
};

struct Fixture {
    explicit Fixture(const char *simulate) {
        qputenv("KV6830_SIMULATE", simulate);
        window.startUp(1024ull * 1048576, 30);
    }
    Answers answers;
    LibraryDevice device{[](const std::string &) {}};
    MainWindow window{device, &answers};
    QAction *autosetAction() { return window.action("Autoset"); }
    QToolButton *autosetButton() {
        auto *bar = window.findChild<QToolBar *>("Toolbar1");
        return qobject_cast<QToolButton *>(bar->widgetForAction(autosetAction()));
    }
    QImage picture() { return window.view(0)->findChild<PictureBox *>("Picture1")->image().copy(); }
    QWidget *form2(const char *name) {
        return window.parametersWindow()->findChild<QWidget *>(name);
    }
};

}  // namespace

class TestAutoset : public QObject {
    Q_OBJECT

  private slots:
    void autosetCapturesThroughTheMixedUnitAndRedraws() {
        Fixture f("none,mixed=usb2");
        QCOMPARE(f.window.state().mixedModel, uint8_t{43});
        QVERIFY(f.autosetAction()->isEnabled());
        QCOMPARE(f.autosetAction()->toolTip(),
                 QString("Auto. set Parameters to capture data .  depend on Trigger Ch."));
        // Start-up's own Timer1 has fired: what the view shows now is the empty data set.
        auto *timer1 = f.window.findChild<QTimer *>("Timer1");
        QTRY_VERIFY_WITH_TIMEOUT(!timer1->isActive(), 5000);
        const QImage before = f.picture();
        const uint8_t *plane3 = f.window.state().capture.plane(0, 3);
        QVERIFY(std::all_of(plane3, plane3 + 2048, [](uint8_t v) { return v == 0; }));

        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTest::mouseClick(f.autosetButton(), Qt::LeftButton);
        QVERIFY(f.window.autoset().active());
        QVERIFY(timer1->isActive());
        QCOMPARE(timer1->interval(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!f.window.autoset().active(), 2000);

        // Trigger channel 0 with level 0 never triggers: the one forced trigger did. The
        // default rate (10 ns) went through the unit block's buffers into data set 0.
        const ProgramState &s = f.window.state();
        const std::set<uint8_t> levels(plane3, plane3 + 2048);
        QCOMPARE(levels, (std::set<uint8_t>{48, 208}));  // channel 0, the square wave
        const uint8_t *plane4 = s.capture.plane(0, 4);
        const auto [lo, hi] = std::minmax_element(plane4, plane4 + 2048);
        QVERIFY(*lo < 40 && *hi > 216);  // channel 1, the triangle 16..240
        const uint8_t *plane0 = s.capture.plane(0, 0);
        QVERIFY(std::any_of(plane0, plane0 + 2048, [](uint8_t v) { return v != 0; }));
        // TestAd on channel 0: 48 and 208 are 160 apart, each 80 from the reference 128;
        // 200 samples at each level per 4 us cycle at 10 ns, in steps of one sample.
        const auto &m = s.autosetMeasure;
        QCOMPARE(m[0], int16_t{207});
        QCOMPARE(m[1], int16_t{47});
        QCOMPARE(m[3], int16_t{160});
        QCOMPARE(m[12], int16_t{128});
        QCOMPARE(m[4], int16_t{80});
        QCOMPARE(m[5], int16_t{80});
        QCOMPARE(m[8], int16_t{200});
        QCOMPARE(m[9], int16_t{200});
        QCOMPARE(m[10], int16_t{400});
        QCOMPARE(m[6], int16_t{1});
        QCOMPARE(m[7], int16_t{1});

        // Timer1 redraws the views with the new samples five seconds after the click.
        QTRY_VERIFY_WITH_TIMEOUT(!timer1->isActive(), 7000);
        const QImage redrawn = f.picture();
        QVERIFY(redrawn != before);
        f.window.redrawAllViews();
        QCOMPARE(f.picture(), redrawn);

        // FindHardware filled the option bytes: byte-valued channels (173), deep memory
        // (1010 = 0); with the demonstration KV-6830 beside it, 1003 is 1. The Delay
        // controls are on offer.
        QCOMPARE(s.unitBlock[173], uint8_t{2});
        QCOMPARE(s.unitBlock[1010], uint8_t{0});
        QCOMPARE(s.unitBlock[1003], uint8_t{1});
        f.window.action("Parameter_window")->trigger();
        QVERIFY(f.form2("Label6")->isVisible());
        QVERIFY(f.form2("Combo6")->isVisible());
    }

    void autosetIsRefusedWithoutAMixedUnit() {
        Fixture f("none");
        QCOMPARE(f.window.state().mixedModel, uint8_t{0});
        QVERIFY(!f.autosetAction()->isEnabled());
        QVERIFY(f.autosetAction()->toolTip().startsWith("Autoset needs a mixed-signal unit"));
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTest::mouseClick(f.autosetButton(), Qt::LeftButton);
        QVERIFY(!f.window.autoset().active());
        const uint8_t *plane3 = f.window.state().capture.plane(0, 3);
        QVERIFY(std::all_of(plane3, plane3 + 2048, [](uint8_t v) { return v == 0; }));
        // The demonstration unit is a KV-6830: its trigger delay stays on offer.
        QVERIFY(f.window.state().demonstration);
        QCOMPARE(f.window.state().unitBlock[1003], uint8_t{1});
        f.window.action("Parameter_window")->trigger();
        QVERIFY(f.window.parametersWindow()->isVisible());
        QVERIFY(f.form2("Label6")->isVisible());
        QVERIFY(f.form2("Combo6")->isVisible());
    }
};

QTEST_MAIN(TestAutoset)
#include "tst_autoset.moc"
