// SPDX-License-Identifier: GPL-3.0-or-later
// Color Setup as the user drives it: entries and swatches clicked, the colour dialog
// answered, OK applied to the views and kept through the settings file.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>

#include "../timing/no_device.h"
#include "dialogs/color_window.h"
#include "main/main_window.h"
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
    QTemporaryDir dir;
    ColorWindow *colours = nullptr;
    Fixture() {
        window.resize(1100, 760);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) qWarning("main window not exposed");
        window.startUp(1024ull * 1048576, 30);
        std::memset(window.state().capture.plane(0, 0), 0x01, 131072);  // D0 high
        if (!window.state().views[0].open) window.action("munTiming(0)")->trigger();
        openColours();
    }
    void openColours() {
        window.action("viewcolorname")->trigger();
        colours = window.colorWindow();
    }
    void click(const QString &name) {
        auto *w = colours->findChild<QAbstractButton *>(name);
        QVERIFY2(w, qPrintable(name));
        QTest::mouseClick(w, Qt::LeftButton);
    }
    // The value line under a key line of a saved settings file.
    QString savedValue(const QString &key) {
        const QString path = dir.filePath("colours.ini");
        if (!window.saveSettings(path)) return "not saved";
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return "not read";
        const QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n");
        const qsizetype at = lines.indexOf(key);
        return at < 0 || at + 1 >= lines.size() ? QString("no ") + key : lines[at + 1];
    }
    // The settings file read back over default colours.
    void reload() {
        window.state().colours.setDefaults();
        window.loadSettings(dir.filePath("colours.ini"), false);
    }
};

void whenModal(std::function<void(QWidget *)> answer) {
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}

const QColor kRed(255, 0, 0), kBlack(0, 0, 0), kWhite(255, 255, 255), kCyan(0, 255, 255);

}  // namespace

class TestColors : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void cursorATakesARedSwatch() {
        Fixture f;
        QVERIFY(f.colours->isVisible());
        QCOMPARE(f.colours->windowTitle(), QString("Color Setup"));
        QCOMPARE(f.colours->pos(), QPoint(50, 50));
        // Row captions are view 1's track names: row 4 shows channel D0.
        QCOMPARE(f.colours->findChild<QRadioButton *>("ColorSys(10)")->text(), QString("Chan D 0"));
        QCOMPARE(f.colours->findChild<QRadioButton *>("ColorSys(1)")->text(), QString("Cursor A"));
        f.click("ColorSys(1)");
        f.click("CommandColor(0)");  // the red swatch
        auto *cursorA = f.colours->findChild<QRadioButton *>("ColorSys(1)");
        QCOMPARE(cursorA->palette().color(QPalette::WindowText), kRed);
        QCOMPARE(cursorA->palette().color(QPalette::Window), kBlack);  // timing background
        f.colours->grab().save("color-setup.png");  // kept beside the test to look at
        QCOMPARE(f.colours->foreColour(2), kCyan);  // cursor B as it was
        QCOMPARE(f.window.state().colours.entry[1], rgb(255, 255, 0));  // not before OK
        f.click("ColorOk");
        QVERIFY(!f.colours->isVisible());
        QCOMPARE(f.window.state().colours.entry[1], rgb(255, 0, 0));
        // The view shows it: the "Cursor A" label and the cursor line at x = 30.
        TimingView *view = f.window.view(0);
        QCOMPARE(view->findChild<QLabel *>("Label1")->palette().color(QPalette::WindowText), kRed);
        const QImage &picture = view->picture()->image();
        int red = 0;
        for (int y = 0; y < 100; ++y)
            red += picture.pixel(30, y) == qRgb(255, 0, 0) ? 1 : 0;
        QVERIFY(red > 30);
        // Kept in the settings file as COLORREF 255 and read back.
        QCOMPARE(f.savedValue("Scolor 1"), QString(" 255 "));
        f.reload();
        QCOMPARE(f.window.state().colours.entry[1], rgb(255, 0, 0));
    }

    void swatchWithNothingSelected() {
        Fixture f;
        std::map<int, std::pair<QColor, QColor>> before;
        for (const int e : ColorWindow::entries())
            before[e] = {f.colours->foreColour(e), f.colours->backColour(e)};
        const std::vector<uint32_t> table = f.window.state().colours.entry;
        f.click("CommandColor(4)");  // blue
        QCOMPARE(f.colours->selectedColour(), QColor(0, 0, 255));
        for (const int e : ColorWindow::entries()) {
            QCOMPARE(f.colours->foreColour(e), before[e].first);
            QCOMPARE(f.colours->backColour(e), before[e].second);
        }
        f.click("ColorOk");
        QVERIFY(f.window.state().colours.entry == table);
    }

    void editedUserColourIsKept() {
        Fixture f;
        f.click("Check(8)");
        whenModal([](QWidget *w) {
            auto *dialog = qobject_cast<QColorDialog *>(w);
            QVERIFY(dialog);
            dialog->setCurrentColor(QColor(12, 34, 56));
            dialog->accept();
        });
        f.click("CommandColor(5)");
        QCOMPARE(f.colours->swatchColour(5), QColor(12, 34, 56));
        // A cancelled dialog leaves its swatch.
        const QColor six = f.colours->swatchColour(6);
        whenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        f.click("CommandColor(6)");
        QCOMPARE(f.colours->swatchColour(6), six);
        f.click("ColorOk");
        QCOMPARE(f.window.state().colours.palette[5], rgb(12, 34, 56));
        f.openColours();
        QCOMPARE(f.colours->swatchColour(5), QColor(12, 34, 56));
        // 12 + 34 x 256 + 56 x 65536
        QCOMPARE(f.savedValue("User color 5"), QString(" 3678732 "));
        f.reload();
        QCOMPARE(f.window.state().colours.palette[5], rgb(12, 34, 56));
    }

    void timingBackgroundReachesEveryEntry() {
        Fixture f;
        f.click("ColorSys(542)");
        f.click("CommandColor(6)");  // white
        QCOMPARE(f.colours->backColour(542), kWhite);
        QCOMPARE(f.colours->foreColour(542), kWhite);
        for (const int e : ColorWindow::entries()) {
            if (e == 0 || e == 542) continue;
            QCOMPARE(f.colours->backColour(e), kWhite);
        }
        QCOMPARE(f.colours->foreColour(1), QColor(255, 255, 0));    // cursor A keeps its colour
        QCOMPARE(f.colours->backColour(0), QColor(192, 192, 192));  // the screen's own
        f.click("ColorOk");
        QCOMPARE(f.window.state().colours.entry[542], rgb(255, 255, 255));
        // The view is redrawn on white: between D0's high (105) and low (117) levels.
        const QImage &picture = f.window.view(0)->picture()->image();
        QCOMPARE(picture.pixel(picture.width() - 3, 110), qRgb(255, 255, 255));
        QCOMPARE(f.savedValue("Scolor(542)"), QString(" 16777215 "));
    }
};

QTEST_MAIN(TestColors)
#include "tst_colors.moc"
