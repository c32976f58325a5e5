// SPDX-License-Identifier: GPL-3.0-or-later
// Printing as the user does it, on a PDF printer: pages and placed pictures measured against
// the page sizes worked out by hand, and the PDFs rendered with pdftoppm.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>

#include "../timing/no_device.h"
#include "dialogs/print_form.h"
#include "dialogs/print_preview.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

struct Answers : StartupQuestions {
    QStringList files;  // answers of the file dialogs, in order
    QStringList titles;
    QStringList told;
    bool viewCount(const MemoryCheck &) override { return true; }
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
    QString fileName(bool, const QString &title, const QString &, const QString &,
                     const QString &) override {
        titles << title;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    void tell(const QString &, const QString &text) override { told << text; }
};

struct Fixture {
    NoDevice device;
    Answers answers;
    MainWindow window{device, &answers};
    QTemporaryDir dir;
    Fixture() {
        window.resize(1100, 760);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) qWarning("main window not exposed");
        window.startUp(1024ull * 1048576, 30);
        std::memset(window.state().capture.plane(0, 0), 0x01, 131072);  // D0 high
        window.redrawAllViews();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QPrinter &printer() { return window.printForm()->printer(); }
    // A4 with margins that make the printable area 270 x 180 mm in landscape, at 10 dots
    // to the millimetre: every size below is worked out in whole dots.
    void pdfPrinter(const QString &file = {}) {
        printer().setOutputFormat(QPrinter::PdfFormat);
        printer().setOutputFileName(file);
        printer().setResolution(254);
        printer().setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                            QMarginsF(13.5, 15, 13.5, 15),
                                            QPageLayout::Millimeter));
    }
    void open(int v) {
        if (!window.state().views[static_cast<size_t>(v)].open)
            window.action(QString("munTiming(%1)").arg(v))->trigger();
        QCoreApplication::processEvents();
    }
    // Only the channel rows D0..D3 (rows 4 to 7, 18 pixels each) are shown in view v.
    void fourChannelRows(int v) {
        TrackTable &t = window.state().tracks[static_cast<size_t>(v)];
        for (int r = 0; r < kShownTracks; ++r)
            t.off[static_cast<size_t>(r)] = r >= 4 && r <= 7 ? 0 : 1;
    }
};

// Answers the next modal window once it is up.
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

QString run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString &pdf) {
    const QString info = run("pdfinfo", {pdf});
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF pdfPageSize(const QString &pdf) {
    const QString info = run("pdfinfo", {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts").match(info);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QImage renderPage(const QString &pdf, int page, int dpi) {
    const QString out = pdf + QString("-page%1").arg(page);
    run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l",
                     QString::number(page), "-singlefile", pdf, out});
    return QImage(out + ".png").convertToFormat(QImage::Format_RGB32);
}

bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isWhite(QRgb c) {
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}
bool isGreen(QRgb c) {
    return qGreen(c) > 200 && qRed(c) < 80 && qBlue(c) < 80;
}
// Share of green pixels in row y from x0 to x1.
double greenShare(const QImage &image, int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += isGreen(image.pixel(x, y)) ? 1 : 0;
    return static_cast<double>(n) / (x1 - x0);
}
// The largest share of green in the rows within two dots of y: a line drawn there shows
// whole in at least one of them whatever the renderer rounds.
double greenNear(const QImage &image, int y, int x0, int x1) {
    double most = 0;
    for (int yy = y - 2; yy <= y + 2; ++yy)
        most = std::max(most, greenShare(image, yy, x0, x1));
    return most;
}

// Prints a range through the range window, typing the samples as a user does.
void answerRange(const QString &first, const QString &last, int zoom, bool listing) {
    whenModal([=](QWidget *w) {
        auto *firstBox = w->findChild<QLineEdit *>("txtFirst");
        auto *lastBox = w->findChild<QLineEdit *>("txtLast");
        firstBox->selectAll();
        QTest::keyClicks(firstBox, first);
        lastBox->selectAll();
        QTest::keyClicks(lastBox, last);
        w->findChild<QComboBox *>("cboZoom")->setCurrentIndex(zoom);
        if (listing) QTest::mouseClick(w->findChild<QCheckBox *>("chkListing"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QRadioButton *>("optPdf"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
    });
}

}  // namespace

class TestPrinting : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void wideLandscapeTallPortraitOnAPdfPrinter() {
        Fixture f;
        const QString wide = f.path("wide.pdf");
        f.pdfPrinter(wide);
        // 270 x 160 is exactly the ratio of 270 mm by 8/9 of 180 mm: the whole width.
        QImage picture(270, 160, QImage::Format_RGB32);
        picture.fill(Qt::red);
        f.window.printForm()->setPicture(picture);
        PicturePlacement placed = f.window.printForm()->print("Wide");
        QVERIFY2(placed.printed, qPrintable(placed.error));
        QCOMPARE(f.printer().pageLayout().orientation(), QPageLayout::Landscape);
        // 2700 x 1800 dots printable; the picture 800 twips (141.11 dots) down.
        QCOMPARE(placed.picture.left(), 0.0);
        QVERIFY(qAbs(placed.picture.top() - 141.111) < 0.01);
        QVERIFY(qAbs(placed.picture.width() - 2700) < 0.01);
        QVERIFY(qAbs(placed.picture.height() - 1600) < 0.01);
        const QSizeF a4Landscape = pdfPageSize(wide);
        QVERIFY(qAbs(a4Landscape.width() - 841.89) < 0.5);
        QVERIFY(qAbs(a4Landscape.height() - 595.28) < 0.5);
        // Rendered at 2 pixels to the millimetre: the picture from 27 to 567 across and from
        // (15 + 14.11) x 2 = 58.2 to 378.2 down.
        const QImage page = renderPage(wide, 1, 51);
        QVERIFY(!page.isNull());
        QVERIFY(isRed(page.pixel(30, 62)));
        QVERIFY(isRed(page.pixel(563, 374)));
        QVERIFY(isWhite(page.pixel(23, 200)));   // left margin
        QVERIFY(isWhite(page.pixel(300, 383)));  // below the picture
        QVERIFY(isWhite(page.pixel(571, 200)));  // right margin

        // A tall picture: portrait, 183 x 267 mm printable; 8/9 of 2670 dots high.
        const QString tall = f.path("tall.pdf");
        f.printer().setOutputFileName(tall);
        picture = QImage(100, 300, QImage::Format_RGB32);
        picture.fill(Qt::red);
        f.window.printForm()->setPicture(picture);
        placed = f.window.printForm()->print("Tall");
        QVERIFY2(placed.printed, qPrintable(placed.error));
        QCOMPARE(f.printer().pageLayout().orientation(), QPageLayout::Portrait);
        QVERIFY(qAbs(placed.picture.height() - 2373.333) < 0.01);
        QVERIFY(qAbs(placed.picture.width() - 791.111) < 0.01);
        const QSizeF a4Portrait = pdfPageSize(tall);
        QVERIFY(qAbs(a4Portrait.width() - 595.28) < 0.5);
        QVERIFY(qAbs(a4Portrait.height() - 841.89) < 0.5);
        QVERIFY(f.answers.told.isEmpty());
    }

    void viewPrintedThroughThePreview() {
        Fixture f;
        f.open(0);
        QCOMPARE(f.window.action("mnuPrintOut(2)")->text(), QString("&Timing View1"));
        QCOMPARE(f.window.action("mnuPrintOut(11)")->text(), QString("&Timing View10"));
        QVERIFY(f.window.action("mnuPrintOut(11)")->isVisible());  // ten views
        f.window.action("mnuPrintOut(2)")->trigger();
        PrintPreview *preview = f.window.printPreview();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->windowTitle(), QString("Preview"));
        auto *title = preview->findChild<QLineEdit *>("Text1");
        QCOMPARE(title->text(), f.window.windowTitle());
        // The whole view window, frame included, and shown with its ratio kept.
        QMdiSubWindow *frame = qobject_cast<QMdiSubWindow *>(f.window.view(0)->parentWidget());
        const QImage &picture = f.window.printForm()->picture();
        QCOMPARE(picture.size(), frame->size() * frame->devicePixelRatio());
        preview->grab().save("preview.png");  // kept beside the test to look at
        auto *box = preview->findChild<PreviewBox *>("picPreview");
        const QRectF shown = box->pictureRect();
        QVERIFY(qAbs(shown.width() / shown.height() -
                     static_cast<double>(picture.width()) / picture.height()) < 0.01);
        QVERIFY(shown.width() <= box->width() + 0.01 && shown.height() <= box->height() + 0.01);
        QVERIFY(qAbs(shown.width() - box->width()) < 0.01 ||
                qAbs(shown.height() - box->height()) < 0.01);

        // A new title typed over the old one; a PDF printer naming no file asks for one.
        f.pdfPrinter();
        title->setFocus();
        QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(title, "Counter board");
        const QString pdf = f.path("view");
        f.answers.files << pdf;
        QTest::mouseClick(preview->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY2(f.answers.told.isEmpty(), qPrintable(f.answers.told.join("\n")));
        QCOMPARE(f.answers.titles.last(), QString("Print to PDF file"));
        QCOMPARE(pdfPages(pdf + ".pdf"), 1);
        QVERIFY(run("pdftotext", {pdf + ".pdf", "-"}).contains("Counter board"));
        // The view is wider than tall: landscape.
        QVERIFY(pdfPageSize(pdf + ".pdf").width() > 800);

        // The screen: a picture of the whole screen.
        f.window.action("mnuPrintOut(0)")->trigger();
        QCOMPARE(f.window.printForm()->picture().size(),
                 QGuiApplication::primaryScreen()->geometry().size() *
                     QGuiApplication::primaryScreen()->devicePixelRatio());
        QTest::mouseClick(preview->findChild<QPushButton *>("cmdExit"), Qt::LeftButton);
        QVERIFY(!preview->isVisible());
    }

    void printSetupCancelledChangesNothing() {
        Fixture f;
        // Where no printer is installed, printing goes into a PDF file.
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            QCOMPARE(f.printer().outputFormat(), QPrinter::PdfFormat);
        f.pdfPrinter(f.path("kept.pdf"));
        whenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        f.window.action("fileprintsetup")->trigger();
        QCOMPARE(f.printer().outputFileName(), f.path("kept.pdf"));
        QCOMPARE(f.printer().outputFormat(), QPrinter::PdfFormat);
        QVERIFY(f.answers.told.isEmpty());
        QVERIFY(!QFile::exists(f.path("kept.pdf")));
    }

    void failedPrintKeepsTheOldFile() {
        Fixture f;
        f.open(0);
        f.window.action("mnuPrintOut(2)")->trigger();
        auto *print = f.window.printPreview()->findChild<QPushButton *>("Command1");
        // A folder where the PDF should go: told, and the folder stays.
        QVERIFY(QDir(f.dir.path()).mkdir("folder.pdf"));
        f.pdfPrinter(f.path("folder.pdf"));
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains("folder.pdf"));
        QVERIFY(QFileInfo(f.path("folder.pdf")).isDir());
        // A folder that is not there: told; nothing written.
        f.pdfPrinter(f.path("missing/page.pdf"));
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 2);
        QVERIFY(f.answers.told[1].contains("missing/page.pdf"));
        // An existing good file is replaced only by a whole page.
        QFile old(f.path("old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();
        f.pdfPrinter(f.path("old.pdf"));
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 2);
        QCOMPARE(pdfPages(f.path("old.pdf")), 1);
        // The file dialog cancelled: nothing printed and nothing to tell.
        f.pdfPrinter();
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 2);
    }

    void rangePdfPagesForRangeAndZoom() {
        Fixture f;
        f.open(0);
        f.fourChannelRows(0);
        f.pdfPrinter();
        // 270 mm printable at 96 units to the inch: 1020 units, 120 of them for the names:
        // 900 columns a page.
        const struct {
            int zoom;
            const char *first, *last;
            bool listing;
            int pages;
        } cases[] = {
            {5, "0", "2047", false, 3},    // Magnify 1: 900 samples a page
            {4, "0", "2047", false, 5},    // Magnify 2: 450
            {6, "0", "2047", false, 2},    // Magnify 1/2: 1800
            {12, "0", "2047", false, 1},   // Magnify 1/200
            {5, "100", "1000", false, 2},  // 901 samples
            // 180 mm high: 680 units, (680 - 44) / 14 - 1 = 44 listing rows a page: the
            // tracks, then 100 rows on three pages.
            {12, "0", "99", true, 4},
        };
        int n = 0;
        for (const auto &c : cases) {
            const QString pdf = f.path(QString("range%1.pdf").arg(n++));
            f.answers.files << pdf;
            answerRange(c.first, c.last, c.zoom, c.listing);
            f.window.action("mnuPrintRange")->trigger();
            QVERIFY2(f.answers.told.isEmpty(), qPrintable(f.answers.told.join("\n")));
            QCOMPARE(pdfPages(pdf), c.pages);
            const QSizeF size = pdfPageSize(pdf);
            QVERIFY(qAbs(size.width() - 841.89) < 0.5);  // landscape A4
        }
        renderPage(f.path("range5.pdf"), 2, 96).save("range-listing.png");  // to look at
        // The listing pages list the samples of the range.
        const QString text = run("pdftotext", {"-layout", f.path("range5.pdf"), "-"});
        QVERIFY(text.contains("State listing, samples 0 to 43"));
        QVERIFY(text.contains("State listing, samples 88 to 99"));
    }

    void rangePdfShowsTheTracks() {
        Fixture f;
        f.open(0);
        f.fourChannelRows(0);
        f.pdfPrinter();
        const QString pdf = f.path("tracks.pdf");
        f.answers.files << pdf;
        answerRange("0", "899", 5, false);
        f.window.action("mnuPrintRange")->trigger();
        QCOMPARE(pdfPages(pdf), 1);
        const QImage page = renderPage(pdf, 1, 192);
        page.save("range-page1.png");  // kept beside the test to look at
        // At 192 dots to the inch a unit is 2 dots; the printable area starts at
        // 13.5 mm = 102.05 dots across and 15 mm = 113.39 dots down. The tracks start 120
        // units across (342.05) and the first row's top lies 49 units down.
        // D0 is high everywhere: its line at 49 - 5 + 6 = 50 units (dots 213.4 to 215.4).
        QVERIFY(greenNear(page, 214, 350, 2130) > 0.98);
        QCOMPARE(greenNear(page, 238, 350, 2130), 0.0);  // its low level, 62 units
        // D1 is low everywhere: row top 13, low level at 49 + 13 + 18 = 80 units.
        QVERIFY(greenNear(page, 274, 350, 2130) > 0.98);
        QCOMPARE(greenNear(page, 250, 350, 2130), 0.0);  // its high level, 68 units
        // D3 is low: the last line, row top 49, at 49 + 49 + 18 = 116 units.
        QVERIFY(greenNear(page, 346, 350, 2130) > 0.98);
        // No track left of the names' column; the tracks end with page's 900 columns.
        QCOMPARE(greenNear(page, 214, 110, 330), 0.0);
        QCOMPARE(greenNear(page, 214, 2150, 2200), 0.0);
        const QString text = run("pdftotext", {"-layout", pdf, "-"});
        for (const char *s : {"Chan D 0", "Chan D 3", "A-B", "A-T", "B-T", "page 1 of 1"})
            QVERIFY2(text.contains(s), s);
    }

    void rangeDialogNamesBadInput() {
        Fixture f;
        f.open(0);
        f.pdfPrinter();
        QString error;
        bool stillOpen = false;
        whenModal([&](QWidget *w) {
            auto *last = w->findChild<QLineEdit *>("txtLast");
            last->selectAll();
            QTest::keyClicks(last, "5000");
            QTest::mouseClick(w->findChild<QRadioButton *>("optPdf"), Qt::LeftButton);
            QTest::mouseClick(w->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
            stillOpen = w->isVisible();
            error = w->findChild<QLabel *>("lblError")->text();
            QCOMPARE(last->text(), QString("5000"));  // what was typed stays
            QTest::keyClick(last, Qt::Key_Backspace);
            QTest::keyClick(last, Qt::Key_Backspace);
            QTest::mouseClick(w->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
        });
        f.window.action("mnuPrintRange")->trigger();
        QVERIFY(stillOpen);
        QCOMPARE(error, QString("The last sample must lie between 0 and 2047."));
        // Accepted with "50"; the file dialog then cancelled: nothing written, nothing told.
        QCOMPARE(f.answers.titles.size(), 1);
        QVERIFY(f.answers.told.isEmpty());
        QVERIFY(QDir(f.dir.path()).isEmpty());
    }

    void viewSavedAsPngAndSvg() {
        Fixture f;
        f.open(0);
        f.answers.files << f.path("view");
        f.window.action("mnuSaveViewImage")->trigger();
        QVERIFY2(f.answers.told.isEmpty(), qPrintable(f.answers.told.join("\n")));
        const QImage png(f.path("view.png"));
        QMdiSubWindow *frame = qobject_cast<QMdiSubWindow *>(f.window.view(0)->parentWidget());
        QCOMPARE(png.size(), frame->size() * frame->devicePixelRatio());
        f.answers.files << f.path("view.svg");
        f.window.action("mnuSaveViewImage")->trigger();
        QFile svg(f.path("view.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(svg.readAll());
        QVERIFY(text.contains("<svg"));
        QVERIFY(text.contains("Chan D 0"));
        // The tracks are drawn as lines in the tracks' green.
        QVERIFY(text.contains("#00ff00"));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
