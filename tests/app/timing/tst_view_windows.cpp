// SPDX-License-Identifier: GPL-3.0-or-later
// Timing views as windows inside the main window: their pictures follow every change of
// size, their controls stay usable when narrow, and the Window menu arranges them.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

#include "main/main_window.h"
#include "no_device.h"
#include "timing/timing_view.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

struct Answers : StartupQuestions {
    bool viewCount(const MemoryCheck &) override { return true; }  // ten views
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
};

struct Fixture {
    NoDevice device;
    Answers answers;
    MainWindow window{device, &answers};
    Fixture() {
        // As the program does: the main window is shown, then starts up.
        window.resize(1100, 760);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) qWarning("main window not exposed");
        window.startUp(1024ull * 1048576, 30);
        // D0 high everywhere: row 4 (D0) is drawn high at y = -5 + 4 x 26 + 6 = 105.
        std::memset(window.state().capture.plane(0, 0), 0x01, 131072);
        window.redrawAllViews();
    }
    QMdiArea *area() { return window.findChild<QMdiArea *>("MDIArea"); }
    QMdiSubWindow *frame(int v) {
        return qobject_cast<QMdiSubWindow *>(window.view(v)->parentWidget());
    }
    void open(int v) {
        if (!window.state().views[static_cast<size_t>(v)].open)
            window.action(QString("munTiming(%1)").arg(v))->trigger();
    }
    // The picture is as large as its box and drawn to its right edge.
    void checkPicture(int v, const char *when) {
        QCoreApplication::processEvents();
        TimingView *view = window.view(v);
        const QImage &image = view->picture()->image();
        QVERIFY2(image.size() == view->picture()->size(), when);
        QVERIFY2(image.pixel(image.width() - 3, 105) == qRgb(0, 255, 0), when);
        QCOMPARE(view->lastDraw().columns, image.width());
    }
};

}  // namespace

class TestViewWindows : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void picturesFollowEverySize() {
        Fixture f;
        f.open(0);
        f.checkPicture(0, "open");
        f.open(1);  // opening a second view tiles both
        f.checkPicture(0, "second view opened");
        f.checkPicture(1, "second view opened");
        f.open(2);
        f.window.action("windowTileVertical")->trigger();
        for (int v = 0; v < 3; ++v)
            f.checkPicture(v, "tiled vertically");
        f.window.action("windowCascade")->trigger();
        for (int v = 0; v < 3; ++v)
            f.checkPicture(v, "cascaded");
        f.window.action("windowTileHorizontal")->trigger();
        f.window.action("munTiming(2)")->trigger();  // closed: the others take its room
        QVERIFY(!f.window.state().views[2].open);
        f.checkPicture(0, "closed beside");
        f.checkPicture(1, "closed beside");
        // A maximised view follows the main window.
        f.frame(0)->showMaximized();
        f.checkPicture(0, "maximised");
        const int before = f.window.view(0)->picture()->width();
        f.window.resize(1300, 800);
        QTRY_VERIFY(f.window.view(0)->picture()->width() > before);
        f.checkPicture(0, "main window resized");
    }

    void narrowViewsKeepEveryControl() {
        Fixture f;
        for (int v = 0; v < 3; ++v)
            f.open(v);
        f.window.action("windowTileVertical")->trigger();
        QCoreApplication::processEvents();
        const char *names[] = {"Label1",  "Label6",  "Label2",  "Label7", "Label3",  "Label8",
                               "Label11", "Label12", "Combo1",  "Combo2", "Label13", "Label17",
                               "Label14", "Label18", "Label15", "Label19"};
        for (int v = 0; v < 3; ++v) {
            TimingView *view = f.window.view(v);
            QVERIFY(view->width() < 400);  // three side by side in 1100 pixels
            for (const char *name : names) {
                auto *w = view->findChild<QWidget *>(name);
                QVERIFY2(view->rect().contains(w->geometry()), name);
                // Nothing lies over it: its middle belongs to it.
                QWidget *at = view->childAt(w->geometry().center());
                QVERIFY2(at == w || w->isAncestorOf(at), name);
            }
        }
        // The zoom of the third view can be changed from its list.
        auto *zoom = f.window.view(2)->findChild<QComboBox *>("Combo2");
        QTest::keyClick(zoom, Qt::Key_End);
        QCOMPARE(int(f.window.state().views[2].zoomIndex), 12);
    }

    void windowMenuArrangements() {
        Fixture f;
        for (int v = 0; v < 3; ++v)
            f.open(v);
        const QSize area = f.area()->viewport()->size();
        f.window.action("windowTileHorizontal")->trigger();
        // Full-width strips stacked from the top.
        int y = 0;
        for (int v = 0; v < 3; ++v) {
            const QRect g = f.frame(v)->geometry();
            QCOMPARE(g.x(), 0);
            QCOMPARE(g.width(), area.width());
            QCOMPARE(g.y(), y);
            y += g.height();
        }
        QCOMPARE(y, area.height());
        f.window.action("windowTileVertical")->trigger();
        // Full-height columns side by side.
        int x = 0;
        for (int v = 0; v < 3; ++v) {
            const QRect g = f.frame(v)->geometry();
            QCOMPARE(g.y(), 0);
            QCOMPARE(g.height(), area.height());
            QCOMPARE(g.x(), x);
            x += g.width();
        }
        QCOMPARE(x, area.width());
        // Arrange Icons moves only the minimised windows, to the bottom left.
        f.frame(2)->showMinimized();
        QCoreApplication::processEvents();
        f.frame(2)->move(300, 100);
        const QRect first = f.frame(0)->geometry(), second = f.frame(1)->geometry();
        f.window.action("windowArrangeIcons")->trigger();
        QCOMPARE(f.frame(0)->geometry(), first);
        QCOMPARE(f.frame(1)->geometry(), second);
        QCOMPARE(f.frame(2)->x(), 0);
        QCOMPARE(f.frame(2)->geometry().bottom() + 1, area.height());
    }

    void toolTipAndCaptionCountAlike() {
        Fixture f;
        for (int v = 0; v < 10; ++v) {
            TimingView *view = f.window.view(v);
            QCOMPARE(view->toolTip(), QString("Timing view %1").arg(v + 1));
        }
        f.open(3);
        QVERIFY(f.window.view(3)->windowTitle().startsWith("Timing view 4 "));
    }
};

QTEST_MAIN(TestViewWindows)
#include "tst_view_windows.moc"
