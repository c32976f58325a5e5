// SPDX-License-Identifier: GPL-3.0-or-later
// Timing views with the real render library, on the offscreen platform.
#include <QAction>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

#include "main/main_window.h"
#include "no_device.h"
#include "timing/qt_surface.h"
#include "timing/timing_view.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

using kvtest::NoDevice;
using namespace kv::app;

namespace {

// A capture made by hand: plane 0 counts samples, plane 1 is 0xAA, plane 2 is 0x0F.
void fillKnownCapture(ProgramState &s, int set) {
    uint8_t *p0 = s.capture.plane(set, 0), *p1 = s.capture.plane(set, 1),
            *p2 = s.capture.plane(set, 2);
    for (int i = 0; i < 131072; ++i) {
        p0[i] = static_cast<uint8_t>(i);
        p1[i] = 0xAA;
        p2[i] = 0x0F;
    }
}

struct ViewRig {
    ProgramState state;
    QStringList errors;
    RenderLibrary render{[this](const std::string &e) { errors << QString::fromStdString(e); }};
    std::unique_ptr<TimingView> view;

    ViewRig() {
        state.setDefaultTables();
        state.highestViewIndex = 1;
        state.capture.allocate(2);
        applyMemoryDepth(state);
        state.views[0].open = true;
        view = std::make_unique<TimingView>(state, render, 0);
        view->resize(900, 600);
        view->applyState();
    }
    QRgb pixel(int x, int y) { return view->picture()->image().pixel(x, y); }
};

QFont testFont() {
    static const int id =
        QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    QFont f(QFontDatabase::applicationFontFamilies(id).value(0));
    f.setPixelSize(11);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

struct QuietAnswers : StartupQuestions {
    bool viewCount(const MemoryCheck &) override { return false; }
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
};

}  // namespace

class TestTimingView : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void valueLabelsAtTheCursors() {
        ViewRig r;
        fillKnownCapture(r.state, 0);
        r.view->draw();
        QVERIFY(r.errors.isEmpty());
        // Cursor A 30 = 0b00011110, B 90 = 0b01011010, T 60 = 0b00111100 on D0..D7;
        // rows 4.. show channels 0..; D8..D15 read 0xAA, D16..D23 read 0x0F.
        const int a = 30, b = 90, t = 60;
        for (int ch = 0; ch < 24; ++ch) {
            const int row = 4 + ch;
            if (row >= kShownTracks) break;
            const auto level = [&](int sample) {
                const uint32_t w = 0x0FAA00u | static_cast<uint8_t>(sample);
                return QString::number((w >> ch) & 1);
            };
            QCOMPARE(r.view->findChild<QLabel *>(QString("LabelV1(%1)").arg(row))->text(),
                     level(a));
            QCOMPARE(r.view->findChild<QLabel *>(QString("LabelV2(%1)").arg(row))->text(),
                     level(b));
            QCOMPARE(r.view->findChild<QLabel *>(QString("LabelTrig(%1)").arg(row))->text(),
                     level(t));
        }
        // A group track reads 0.
        QCOMPARE(r.view->findChild<QLabel *>("LabelV1(0)")->text(), QString("0"));
    }

    void rowTwentySevenAndTheValueColours() {
        ViewRig r;
        // D23 high and D22 low: rows 26 (D22) and 27 (D23) of the default layout differ.
        std::memset(r.state.capture.plane(0, 2), 0x80, 131072);
        r.state.colours.entry[542] = 0x00302010;  // COLORREF: red 0x10, green 0x20, blue 0x30
        r.view->applyState();
        r.view->draw();
        for (const char *column : {"LabelV1", "LabelV2", "LabelTrig"}) {
            const auto text = [&](int row) {
                return r.view->findChild<QLabel *>(QString("%1(%2)").arg(column).arg(row))->text();
            };
            QCOMPARE(text(27), QString("1"));
            QCOMPARE(text(26), QString("0"));
        }
        // The value labels stand on the timing background.
        auto *label = r.view->findChild<QLabel *>("LabelV1(27)");
        const QImage shot = label->grab().toImage();
        QCOMPARE(QColor(shot.pixel(1, 1)), QColor(0x10, 0x20, 0x30));
    }

    void eachDataSetDrawsWithItsOwnOffset() {
        ViewRig r;
        fillKnownCapture(r.state, 0);
        fillKnownCapture(r.state, 1);
        // Data set 1 was captured with the trigger 8 samples in; the last capture went to
        // data set 0 and found it at 0.
        r.state.dataSetRecords[1][0] = 8;
        r.state.triggerOffsets = {0, 0, 0};
        r.state.views[0].dataSet = 1;
        r.view->draw();
        // Cursor A 30 reads sample 38 = 0b00100110: D1, D2 and D5 high (rows 5, 6, 9).
        const auto a = [&](int row) {
            return r.view->findChild<QLabel *>(QString("LabelV1(%1)").arg(row))->text();
        };
        QCOMPARE(a(4), QString("0"));
        QCOMPARE(a(5), QString("1"));
        QCOMPARE(a(6), QString("1"));
        QCOMPARE(a(7), QString("0"));
        QCOMPARE(a(9), QString("1"));
        QCOMPARE(r.state.dataSetRecords[1][0], 8);  // drawing leaves it alone
    }

    void listingScrollsAndKeepsOneCellPerByte() {
        NoDevice device;
        QuietAnswers answers;
        MainWindow w(device, &answers);
        w.resize(1100, 900);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) qWarning("main window not exposed");
        w.startUp(1024ull * 1048576, 30);
        ProgramState &s = w.state();
        uint8_t *p0 = s.capture.plane(0, 0), *p1 = s.capture.plane(0, 1),
                *p2 = s.capture.plane(0, 2);
        for (int i = 0; i < 131072; ++i) {
            p0[i] = static_cast<uint8_t>(i);
            p1[i] = 0xA9;
            p2[i] = 0xC3;  // with 0xA9 the UTF-8 encoding of one character
        }
        p0[10] = 0x81;  // not printable in Latin-1
        // Only the eight channel rows 4..11, so that the listing fits the picture.
        for (int row = 12; row < kShownTracks; ++row)
            s.tracks[0].off[static_cast<size_t>(row)] = 1;
        w.action("munsTATEview")->trigger();
        TimingView *view = w.view(0);
        auto *bar = view->findChild<QScrollBar *>("ScrollBar1");
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->maximum(), 2015);  // HScroll1's Max and large change
        QCOMPARE(bar->pageStep(), 8);
        const int tracksEnd = view->lastDraw().tracksEnd;
        QCOMPARE(tracksEnd, -5 + 4 * 26 + 8 * 18 + 18);
        QCOMPARE(bar->y(), view->picture()->y() + tracksEnd);
        // Moved by one large change and two small ones, the listing starts at sample 10.
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(s.views[0].stateStart, 10);
        const DrawOutput &out = view->lastDraw();
        QCOMPARE(QString::fromStdString(out.listing[1].substr(0, 8)), QString("10      "));
        QCOMPARE(QString::fromStdString(out.listing[2].substr(0, 8)), QString("11      "));
        // Characters: one cell per byte. 0xC3 and 0xA9 print as Latin-1 (or "." without a
        // glyph), 0x81 as "."; the binary column after them starts where it should.
        for (size_t i = 1; i < out.listing.size(); ++i)
            QCOMPARE(out.printed[i].size(), qsizetype(out.listing[i].size()));
        const QString row0 = out.printed[1];
        QVERIFY(row0[31] == QChar(0xC3) || row0[31] == QChar('.'));
        QVERIFY(row0[32] == QChar(0xA9) || row0[32] == QChar('.'));
        QCOMPARE(row0[33], QChar('.'));
        QCOMPARE(row0.mid(38, 24), QString("110000111010100110000001"));
        // The cursor lines end below the last track: cursor A at x = 30 (screen start 0,
        // "Magnify 1") is drawn down to the track end and not into the listing.
        const QImage &image = view->picture()->image();
        const QRgb cursorA = qRgb(255, 255, 0);
        bool above = false;
        for (int y = 0; y < tracksEnd; ++y)
            above = above || image.pixel(30, y) == cursorA;
        QVERIFY(above);
        for (int y = tracksEnd; y < image.height(); ++y)
            QVERIFY2(image.pixel(30, y) != cursorA, qPrintable(QString::number(y)));
    }

    void stateListingColumns() {
        ViewRig r;
        fillKnownCapture(r.state, 0);
        r.state.stateListing = true;
        r.view->draw();
        const auto &lines = r.view->lastDraw().listing;
        QCOMPARE(lines.size(), size_t{21});
        // Column widths: the wider of the group's text and name, plus two.
        const std::string header = lines[0];
        QCOMPARE(QString::fromStdString(header.substr(8, 12)), QString("Hexdecimal  "));
        QCOMPARE(QString::fromStdString(header.substr(20, 11)), QString("Decimal    "));
        QCOMPARE(QString::fromStdString(header.substr(31, 7)), QString("ASCII  "));
        QCOMPARE(QString::fromStdString(header.substr(38, 6)), QString("Binary"));
        QCOMPARE(QString::fromStdString(header.substr(64, 7)), QString("Example"));
        // Row 0 is sample 0: 0x0FAA00.
        const std::string row0 = lines[1];
        QCOMPARE(QString::fromStdString(row0.substr(0, 8)), QString("0       "));
        QCOMPARE(QString::fromStdString(row0.substr(8, 12)), QString("0FAA00      "));
        QCOMPARE(QString::fromStdString(row0.substr(20, 11)), QString("1026560    "));
        QCOMPARE(row0.substr(31, 2), std::string("\xAA "));  // 0x0F and 0x00 are below 20
        QCOMPARE(QString::fromStdString(row0.substr(38, 24)), QString("000011111010101000000000"));
        QCOMPARE(QString::fromStdString(row0.substr(64, 8)), QString("/READ   "));  // D0 = 0
        // Row 1 is sample 1: D0 = 1, so /READ no longer matches; /WRITE (D1 = 0) does.
        QCOMPARE(QString::fromStdString(lines[2].substr(64, 8)), QString("/WRITE  "));
        QCOMPARE(QString::fromStdString(lines[2].substr(8, 6)), QString("0FAA01"));
    }

    void persistenceKeepsBothCaptures() {
        ViewRig r;
        uint8_t *p0 = r.state.capture.plane(0, 0);
        // Row 4 (D0): top -5 + 4 x 26 = 99, u = 6: high at 105, low at 117.
        const QRgb green = qRgb(0, 255, 0);
        std::memset(p0, 0x01, 131072);
        r.view->draw();
        QCOMPARE(r.pixel(300, 105), green);
        QVERIFY(r.pixel(300, 117) != green);
        r.state.persistence = true;
        std::memset(p0, 0x00, 131072);
        r.view->draw();
        QCOMPARE(r.pixel(300, 105), green);
        QCOMPARE(r.pixel(300, 117), green);
        r.state.persistence = false;
        r.view->draw();
        QVERIFY(r.pixel(300, 105) != green);
        QCOMPARE(r.pixel(300, 117), green);
    }

    void refreshScreenWipesTheCurrentViewOnly() {
        NoDevice device;
        QuietAnswers answers;
        MainWindow w(device, &answers);
        w.startUp(1024ull * 1048576, 30);
        w.toggleView(1);  // both views open, both on data set 0
        w.action("timingpersistence")->setChecked(true);
        uint8_t *p0 = w.state().capture.plane(0, 0);
        std::memset(p0, 0x01, 131072);
        w.redrawAllViews();
        std::memset(p0, 0x00, 131072);
        w.redrawAllViews();
        const QRgb green = qRgb(0, 255, 0);
        const auto at = [&](int v, int y) { return w.view(v)->picture()->image().pixel(100, y); };
        QCOMPARE(at(0, 105), green);
        QCOMPARE(at(1, 105), green);
        w.state().currentView = 0;
        w.action("refreshscreen")->trigger();
        QVERIFY(at(0, 105) != green);  // wiped, then drawn with the low level only
        QCOMPARE(at(0, 117), green);
        QCOMPARE(at(1, 105), green);  // the other view keeps both
        QCOMPARE(at(1, 117), green);
    }

    void closingAViewKeepsItsCursors() {
        NoDevice device;
        QuietAnswers answers;
        MainWindow w(device, &answers);
        w.startUp(1024ull * 1048576, 30);
        w.state().views[0].cursorA = 333;
        w.view(0)->applyState();
        w.toggleView(0);
        QVERIFY(!w.state().views[0].open);
        QVERIFY(!w.action("munTiming(0)")->isChecked());
        w.toggleView(0);
        QCOMPARE(w.state().views[0].cursorA, 333);
        QCOMPARE(w.view(0)->findChild<QLabel *>("Label6")->text(), QString("333"));
        // Views beyond the highest index are not offered.
        QVERIFY(!w.action("munTiming(2)")->isVisible());
    }

    void drawsAtBothEndsOfALongRecordAtEveryZoom() {
        ViewRig r;
        r.state.settings.memoryDepthIndex = 1;
        applyMemoryDepth(r.state);
        r.view->resize(2100, 600);
        r.view->initialiseLayout();
        fillKnownCapture(r.state, 1);
        r.state.views[0].dataSet = 1;  // the last data set: its record ends the store
        r.state.stateListing = true;
        for (int zoom = 0; zoom <= 12; ++zoom) {
            applyZoomStep(r.state, 0, zoom);
            r.state.views[0].pixelsPerSample = pixelsPerSampleOf(zoom);
            for (int32_t start : {0, r.state.lastStart}) {
                r.state.views[0].screenStart = start;
                r.state.views[0].stateStart = start;
                r.view->draw();
                QVERIFY(r.view->lastDraw().columns >= 1);
            }
        }
    }

    void busesStopWhereTheRecordEnds() {
        // Past the record's end the planes hold no samples (here the counter goes on), so
        // no track may be drawn there: the buses end in the column where the channels end.
        ViewRig r;
        fillKnownCapture(r.state, 0);
        ViewState &v = r.state.views[0];
        v.cursorA = v.cursorB = v.triggerCursor = 0;
        const QRgb background = fromColorRef(r.state.colours.entry[542]).rgb();
        for (int zoom = 0; zoom <= 12; ++zoom) {
            applyZoomStep(r.state, 0, zoom);
            v.pixelsPerSample = pixelsPerSampleOf(zoom);
            v.screenStart = r.state.lastStart;
            r.view->draw();
            const int columns = r.view->lastDraw().columns;
            const QImage &image = r.view->picture()->image();
            if (columns >= image.width()) continue;
            const auto rows = shownRows(r.state.tracks[0], v.firstRow);
            const auto rightmost = [&](const TrackRow &row) {
                int last = -1;
                // A low level lies on the row's lower edge.
                for (int y = std::max(row.top, 0); y <= row.top + row.height; ++y)
                    for (int x = 0; x < image.width(); ++x)
                        if (image.pixel(x, y) != background) last = std::max(last, x);
                return last;
            };
            const QByteArray at = "zoom " + QByteArray::number(zoom);
            QCOMPARE_GE(rows.size(), 5u);
            QVERIFY2(rightmost(rows[4]) == columns - 1, at);  // D0, the counter's lowest bit
            for (int b = 0; b < 4; ++b)
                QVERIFY2(rightmost(rows[static_cast<size_t>(b)]) == columns - 1, at);
        }
    }

    void directLinesMatchThePainter() {
        // The surface writes solid horizontal and vertical lines straight into the image;
        // the same lines drawn by QPainter (end point excluded) give the same pixels.
        QImage fast(120, 80, QImage::Format_RGB32), painted(120, 80, QImage::Format_RGB32);
        fast.fill(Qt::black);
        painted.fill(Qt::black);
        QtSurface s(fast);
        s.setPen(Qt::green);
        QPainter p(&painted);
        p.setPen(QPen(Qt::green, 0));
        const int path[][2] = {{5, 10}, {60, 10}, {60, 40}, {20, 40}, {20, 5}, {110, 5}, {110, 70}};
        s.moveTo(path[0][0], path[0][1]);
        for (size_t i = 1; i < std::size(path); ++i) {
            s.lineTo(path[i][0], path[i][1]);
            const int x0 = path[i - 1][0], y0 = path[i - 1][1], x1 = path[i][0], y1 = path[i][1];
            const int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
            p.drawLine(x0, y0, x1 - dx, y1 - dy);
        }
        p.end();
        QCOMPARE(fast, painted);
    }

    void renderingMatchesTheReference() {
        ProgramState s;
        s.setDefaultTables();
        s.highestViewIndex = 1;
        s.capture.allocate(2);
        applyMemoryDepth(s);
        uint8_t *p0 = s.capture.plane(0, 0), *p1 = s.capture.plane(0, 1),
                *p2 = s.capture.plane(0, 2);
        for (int i = 0; i < 2048; ++i) {
            p0[i] = static_cast<uint8_t>(i / 6);
            p1[i] = static_cast<uint8_t>(0x41 + (i / 40));
            p2[i] = static_cast<uint8_t>(i / 30 % 2 ? 0xF0 : 0x0F);
        }
        // Narrow groups so that their values stay long enough for labels: D0..D7 in
        // hexadecimal, D8..D15 in decimal and as characters, D16..D19 in binary.
        const int firstChannel[4] = {0, 8, 8, 16}, bits[4] = {8, 8, 8, 4};
        for (int g = 0; g < 4; ++g) {
            s.groups.topBit[static_cast<size_t>(g)] = bits[g] - 1;
            for (int i = 0; i < bits[g]; ++i) {
                s.groups.bitMap[static_cast<size_t>(g * 32 + i)] = firstChannel[g] + i;
            }
        }
        p1[0] = 0;
        ViewState &v = s.views[0];
        applyZoomStep(s, 0, 3);  // "Magnify 5"
        v.pixelsPerSample = pixelsPerSampleOf(3);
        v.screenStart = 10;
        v.cursorA = 20;
        v.cursorB = 60;
        v.triggerCursor = 45;
        QStringList errors;
        RenderLibrary render([&](const std::string &e) { errors << QString::fromStdString(e); });
        QImage image(640, 420, QImage::Format_RGB32);
        DrawContext c{s, render, image, testFont(), 0, 640, false};
        drawView(c, 0);
        QVERIFY(errors.isEmpty());
        const QString reference = QFINDTESTDATA("reference/view_magnify5.png");
        if (qEnvironmentVariableIsSet("KV_REGENERATE_REFERENCE")) {
            image.save(QString(KV_TEST_SOURCE_DIR) + "/reference/view_magnify5.png");
            QSKIP("reference image written");
        }
        QImage expected(reference);
        QVERIFY2(!expected.isNull(), "reference image missing");
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestTimingView)
#include "tst_timing_view.moc"
