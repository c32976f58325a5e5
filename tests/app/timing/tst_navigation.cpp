// SPDX-License-Identifier: GPL-3.0-or-later
// The wheel and the keys of a timing view, sent as events to a 600-pixel picture at
// several zooms; every expected position is worked from the zoom steps by hand.
#include <QtTest/qtestspontaneevent.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "main/main_window.h"
#include "no_device.h"
#include "timing/timing_view.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

struct Answers : StartupQuestions {
    bool viewCount(const MemoryCheck &) override { return true; }
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
};

struct Fixture {
    NoDevice device;
    Answers answers;
    MainWindow window{device, &answers};
    Fixture() {
        window.startUp(1024ull * 1048576, 30);
        // A picture 600 pixels wide: the view is that much wider than its picture.
        window.show();
        QWidget *frame = view()->parentWidget();  // the view's sub-window
        for (int i = 0; i < 20 && picture()->width() != 600; ++i) {
            frame->resize(frame->width() + 600 - picture()->width(), 560);
            QCoreApplication::processEvents();
        }
        window.action("displaysample")->trigger();  // read-outs in samples
    }
    TimingView *view() { return window.view(0); }
    QWidget *picture() { return view()->findChild<QWidget *>("Picture1"); }
    ViewState &state() { return window.state().views[0]; }
    QString label(const char *name) { return view()->findChild<QLabel *>(name)->text(); }
    QScrollBar *bar(const char *name) { return view()->findChild<QScrollBar *>(name); }
    QComboBox *zoom() { return view()->findChild<QComboBox *>("Combo2"); }
    void deep() {
        window.state().settings.memoryDepthIndex = 1;
        window.findChild<QComboBox *>("Combo3")->setCurrentIndex(1);  // 128k
    }
    // A wheel turn as the window system delivers it (spontaneous, so that it travels from
    // a child that does not take it to the view).
    static void wheel(QWidget *w, QPoint at, QPoint angle, Qt::KeyboardModifiers mods = {}) {
        QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(w, &e);
    }
    void wheelAt(int x, int notchesAway, Qt::KeyboardModifiers mods = {}) {
        wheel(picture(), QPoint(x, 40), QPoint(0, 120 * notchesAway), mods);
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(picture(), static_cast<Qt::Key>(k), mods);
    }
    // Zoom step, screen start, and what the controls show of them.
    void expectScreen(int step, int32_t start) {
        QCOMPARE(zoom()->currentIndex(), step);
        QCOMPARE(int(state().zoomIndex), step);
        QCOMPARE(int(state().previousZoomIndex), step);
        QCOMPARE(state().screenStart, start);
        QCOMPARE(bar("HScroll1")->value(), start);
        QCOMPARE(label("Label12"), QString::number(start));
    }
};

}  // namespace

class TestNavigation : public QObject {
    Q_OBJECT

  private slots:
    void wheelZoomsAtThePointer() {
        Fixture f;
        QCOMPARE(f.picture()->width(), 600);
        f.expectScreen(5, 0);  // "Magnify 1"
        // Away from the user at x 400 (sample 400): "Magnify 2", 400 - 400 / 2 = 200.
        f.wheelAt(400, 1);
        f.expectScreen(4, 200);
        // At x 100 (sample 250): "Magnify 5", 250 - 100 / 5 = 230.
        f.wheelAt(100, 1);
        f.expectScreen(3, 230);
        // Towards the user at x 333: sample 230 + 66 (66.6) = 296; "Magnify 2":
        // 296 - 166 (166.5) = 130, and x 333 lies in sample 296 again.
        f.wheelAt(333, -1);
        f.expectScreen(4, 130);
        // Half notches add up to one step.
        wheelHalf(f, 333);
        f.expectScreen(4, 130);
        wheelHalf(f, 333);
        f.expectScreen(3, 130 + 166 - 66);
        // Up to "Magnify 50" and no further.
        f.wheelAt(0, 5);
        f.expectScreen(0, 230);
        f.wheelAt(0, 1);
        f.expectScreen(0, 230);
        // Zooming out is held by the zoom change: at "Magnify 1/5" the 2K record is 410
        // pixels wide, so the screen starts at 0 whatever lay under the pointer.
        f.wheelAt(0, -3);  // "Magnify 50" -> "Magnify 5"
        f.expectScreen(3, 230);
        f.wheelAt(0, -4);  // -> "Magnify 1/5"
        f.expectScreen(7, 0);
        // The cursors did not move, and the view's anchor is still cursor A.
        QCOMPARE(f.state().cursorA, 30);
        QCOMPARE(int(f.state().zoomAnchor), 0);
    }

    void wheelAtADeepRecordStopsAtTheEnd() {
        Fixture f;
        f.deep();  // Max 131039
        f.zoom()->setCurrentIndex(11);
        f.view()->zoomChange();  // anchor 0, cursor A 30: start 0
        f.bar("HScroll1")->setValue(50000);
        f.expectScreen(11, 50000);
        // x 300 at "Magnify 1/100" is sample 80 000; at "Magnify 1/50": 80 000 - 15 000.
        f.wheelAt(300, 1);
        f.expectScreen(10, 65000);
        // Two notches in one turn: "Magnify 1/200" would start at 80 000 - 60 000 = 20 000,
        // but 600 pixels show 120 000 samples: the start stops at 131 039 - 120 000.
        f.wheelAt(300, -2);
        f.expectScreen(12, 11039);
    }

    void shiftWheelAndSidewaysWheelScroll() {
        Fixture f;
        f.bar("HScroll1")->setValue(1000);
        f.expectScreen(5, 1000);
        // A tenth of 600 pixels at "Magnify 1" is 60 samples; towards the user: later.
        f.wheelAt(300, -1, Qt::ShiftModifier);
        f.expectScreen(5, 1060);
        Fixture::wheel(f.picture(), QPoint(300, 40), QPoint(120, 0));  // to the left
        f.expectScreen(5, 1000);
        Fixture::wheel(f.picture(), QPoint(300, 40), QPoint(-240, 0));
        f.expectScreen(5, 1120);
        // At "Magnify 1/10" a tenth is 600 samples; the screen stops at 0.
        f.zoom()->setCurrentIndex(8);
        f.state().zoomAnchor = 3;
        f.view()->zoomChange();
        f.expectScreen(8, 0);
        f.bar("HScroll1")->setValue(0);
        f.wheelAt(300, 1, Qt::ShiftModifier);
        f.expectScreen(8, 0);
    }

    void wheelOverTheTrackNamesScrollsTheRows() {
        Fixture f;
        auto name = [&](int row) {
            return f.view()->findChild<QLineEdit *>(QString("Text1(%1)").arg(row));
        };
        QVERIFY(!name(0)->isHidden());
        Fixture::wheel(name(0), QPoint(10, 5), QPoint(0, -120));
        QCOMPARE(f.bar("VScroll1")->value(), 1);
        QCOMPARE(f.state().firstRow, 1);
        QVERIFY(name(0)->isHidden());
        Fixture::wheel(name(1), QPoint(10, 5), QPoint(0, -240));
        QCOMPARE(f.state().firstRow, 3);
        Fixture::wheel(name(3), QPoint(10, 5), QPoint(0, 600));  // past the top: row 0
        QCOMPARE(f.state().firstRow, 0);
        QVERIFY(!name(0)->isHidden());
        f.expectScreen(5, 0);  // the screen stayed
    }

    void keysZoomAndScroll() {
        Fixture f;
        f.bar("HScroll3")->setValue(1000);  // cursor A, the view's anchor
        QCOMPARE(f.label("Label6"), QString("1000"));
        // + and - step through the zoom list like the list itself: A lands 300 pixels in.
        f.key(Qt::Key_Plus);
        f.expectScreen(4, 1000 - 150);
        f.key(Qt::Key_Minus);
        f.expectScreen(5, 1000 - 300);
        f.key(Qt::Key_Minus);
        f.expectScreen(6, 1000 - 600);
        // "Magnify 1/2": a tenth of 600 pixels is 120 samples, the whole width 1200.
        f.key(Qt::Key_Left);
        f.expectScreen(6, 280);
        f.key(Qt::Key_Right, Qt::ShiftModifier);  // 1480, held at 2015 - 1200
        f.expectScreen(6, 815);
        f.key(Qt::Key_Home);
        f.expectScreen(6, 0);
        f.key(Qt::Key_Left);
        f.expectScreen(6, 0);
        // At "Magnify 1" End shows the last 600 samples of the record.
        f.key(Qt::Key_Equal);  // the + key without shift
        f.expectScreen(5, 700);
        f.key(Qt::Key_End);
        f.expectScreen(5, 2015 - 600);
        f.key(Qt::Key_Right);
        f.expectScreen(5, 2015 - 600);
        // The trigger in the middle: 1500 - 300.
        f.bar("HScroll6")->setValue(1500);
        f.key(Qt::Key_T);
        f.expectScreen(5, 1200);
        // A and B: the window to the cursor, 300 pixels in (B at 90: held at 0).
        f.key(Qt::Key_B);
        f.expectScreen(5, 0);
        f.key(Qt::Key_A);
        f.expectScreen(5, 700);
        // F: the whole 2K record in 600 pixels is "Magnify 1/5" (410 pixels), from 0.
        f.key(Qt::Key_F);
        f.expectScreen(7, 0);
        QCOMPARE(int(f.state().zoomAnchor), 0);
        // 128K: "Magnify 1/200" (656 pixels) is the nearest; from the middle back to 0.
        f.deep();
        f.bar("HScroll1")->setValue(60000);
        f.key(Qt::Key_F);
        f.expectScreen(12, 0);
        f.key(Qt::Key_End);
        f.expectScreen(12, 131039 - 120000);
    }

    void keysMoveTheCursorsToThePointer() {
        Fixture f;
        f.key(Qt::Key_F);  // "Magnify 1/5", start 0
        // No pointer over the picture yet: 1 does nothing.
        f.key(Qt::Key_1);
        QCOMPARE(f.state().cursorA, 30);
        QTest::mouseMove(f.picture(), QPoint(250, 40));
        f.key(Qt::Key_1);
        QCOMPARE(f.state().cursorA, 1250);
        QCOMPARE(f.label("Label6"), QString("1250"));
        QCOMPARE(f.bar("HScroll3")->value(), 1250);
        QCOMPARE(f.label("Label17"), QString("1160"));  // A - B
        QCOMPARE(f.label("Label18"), QString("1190"));  // A - T
        // Past the record's end: B is held at the bar's Max.
        QTest::mouseMove(f.picture(), QPoint(599, 40));
        f.key(Qt::Key_2);
        QCOMPARE(f.state().cursorB, 2015);
        QCOMPARE(f.label("Label7"), QString("2015"));
        QCOMPARE(f.label("Label17"), QString("-765"));
        // The pointer leaves: the keys wait for it.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.picture(), &leave);
        f.key(Qt::Key_2);
        QCOMPARE(f.state().cursorB, 2015);
        // At "Magnify 10" from 1000: x 123 is sample 1012.
        QTest::mouseMove(f.picture(), QPoint(123, 40));
        f.zoom()->setCurrentIndex(2);
        f.state().zoomAnchor = 3;
        f.bar("HScroll1")->setValue(1000);
        f.view()->zoomChange();
        f.key(Qt::Key_2);
        QCOMPARE(f.state().cursorB, 1012);
    }

    void keysLeaveTypingAndMenusAlone() {
        Fixture f;
        // A letter typed into a track name goes into the name.
        auto *name = f.view()->findChild<QLineEdit *>("Text1(0)");
        name->setText("Clk");
        name->setCursorPosition(3);
        QTest::keyClicks(name, "ta");
        QCOMPARE(name->text(), QString("Clkta"));
        f.expectScreen(5, 0);
        QCOMPARE(f.state().cursorA, 30);
        // Keys with Ctrl belong to the menus; the view does nothing with them.
        f.key(Qt::Key_F, Qt::ControlModifier);
        f.key(Qt::Key_End, Qt::ControlModifier);
        f.expectScreen(5, 0);
        // While the program sets the controls itself, the view takes no key.
        f.window.state().busy = 33;
        f.key(Qt::Key_End);
        f.wheelAt(100, 1);
        f.window.state().busy = 0;
        f.expectScreen(5, 0);
    }

  private:
    static void wheelHalf(Fixture &f, int x) {
        Fixture::wheel(f.picture(), QPoint(x, 40), QPoint(0, 60));
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
