// SPDX-License-Identifier: GPL-3.0-or-later
// frmExcel driven as a user drives it; the workbook read back from the file.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "dialogs/excel_dialog.h"
#include "dialogs/parameters_window.h"
#include "main/main_window.h"
#include "xlsx_cells.h"

using namespace kv::app;

namespace {

using Answers = kvtest::ScriptedAnswers;

struct Fixture {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    Answers answers;
    LibraryDevice device{[](const std::string &) {}};
    std::unique_ptr<MainWindow> window;
    ExcelDialog *dialog = nullptr;

    Fixture() {
        QDir::setCurrent(dir.path());
        window = std::make_unique<MainWindow>(device, &answers);
        window->startUp(1024ull * 1048576, 30);
    }
    ~Fixture() { QDir::setCurrent(previous); }
    QString path(const QString &name) const { return dir.filePath(name); }
    uint8_t *plane(int k) { return window->state().capture.plane(0, k); }
    void use128k() {
        window->parametersWindow()->findChild<QComboBox *>("Combo3")->setCurrentIndex(1);
        QCOMPARE(window->state().recordLength, 131072);
    }
    // File > Transfer data to Excel.
    void openDialog() {
        window->action("mnuExcel")->trigger();
        dialog = window->findChild<ExcelDialog *>("frmExcel");
        QVERIFY(dialog && dialog->isVisible());
    }
    template <class T>
    T *control(const QString &name) {
        T *c = dialog->findChild<T *>(name);
        if (!c) qFatal("no control %s", qPrintable(name));
        return c;
    }
    void check(const QString &box) {
        auto *c = control<QCheckBox>(box);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));
        QVERIFY(c->isChecked());
    }
    void type(int box, const QString &text) {
        auto *edit = control<QLineEdit>(QString("TxtAdds(%1)").arg(box));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }
    QString to() { return control<QLineEdit>("TxtAdds(1)")->text(); }
    // OK, the file dialog answered with `name`; waits for the export to end.
    void ok(const QString &name) {
        if (!name.isEmpty()) answers.files << path(name);
        QTest::mouseClick(control<QPushButton>("cmdOk"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->exporting(), 60000);
    }
    QMap<QString, QString> cells(const QString &name) {
        bool read = false;
        const QMap<QString, QString> c = kv::test::readSheetCells(path(name), &read);
        if (!read) qWarning("%s is no readable workbook", qPrintable(name));
        return c;
    }
};

}  // namespace

class TestExcel : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void zeroToHundredOfTheFirstByte() {
        Fixture f;
        for (int s = 0; s < 2048; ++s)
            f.plane(0)[s] = static_cast<uint8_t>(s * 7 + 3);
        f.openDialog();
        QCOMPARE(f.dialog->windowTitle(), QString("Data Output Option"));
        QCOMPARE(f.dialog->pos(), QPoint(400, 200));
        QCOMPARE(f.dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(f.dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(f.control<QCheckBox>("ChkCh(1)")->text(), QString("D15-D8"));
        QCOMPARE(f.control<QCheckBox>("ChkLA(3)")->text(), QString("Binary"));
        QCOMPARE(f.control<QLineEdit>("TxtAdds(0)")->text(), QString("0"));
        QCOMPARE(f.to(), QString("100"));
        f.check("ChkCh(0)");
        f.check("ChkA1(0)");
        f.ok("book");  // the name gets its extension
        QCOMPARE(f.answers.opened, QStringList{f.path("book.xlsx")});
        QVERIFY(f.answers.told.isEmpty());
        const auto c = f.cells("book.xlsx");
        QCOMPARE(c.size(), 3 + 2 * 101);
        QCOMPARE(c["A2"], QString("Buffer( )"));
        QCOMPARE(c["B1"], QString("L1"));
        QCOMPARE(c["B2"], QString("Decimal"));
        for (int i = 0; i <= 100; ++i) {
            const QString r = QString::number(i + 3);
            QCOMPARE(c["A" + r], QString::number(i));
            QCOMPARE(c["B" + r], QString::number(((i + 1) * 7 + 3) & 0xFF));  // sample i + 1
        }
        QCOMPARE(f.control<QProgressBar>("ExportProgress")->value(), 101);

        // The menu shows the same dialog again, still where it was put.
        f.window->action("mnuExcel")->trigger();
        QCOMPARE(f.window->findChildren<ExcelDialog *>().size(), 1);
    }

    void secondByteInHexAndCharactersFromTheOrigin() {
        Fixture f;
        f.window->state().dataSetRecords[0][0] = 5;  // sample i + 1 + 5
        const uint8_t bytes[3] = {0x41, 0xE9, 0x80};
        for (int k = 0; k < 3; ++k)
            f.plane(1)[16 + k] = bytes[k];
        f.openDialog();
        f.check("ChkCh(1)");
        f.check("ChkA2(1)");
        f.check("ChkA2(2)");
        f.type(0, "10");
        f.type(1, "12");
        f.ok("hex.xlsx");
        const auto c = f.cells("hex.xlsx");
        const QMap<QString, QString> expected = {
            {"A2", "Buffer( )"}, {"B1", "L2"},     {"B2", "HexDecimal"}, {"C2", "Ascii"},
            {"A3", "10"},        {"B3", "41"},     {"C3", "A"},          {"A4", "11"},
            {"B4", "E9"},        {"C4", "\u00e9"}, {"A5", "12"},         {"B5", "80"},
            {"C5", "\u20ac"}};  // the euro sign of the Windows code page
        QCOMPARE(c, expected);
        QCOMPARE(f.to(), QString("12"));
    }

    void voltagesAndTheEmptyBinaryColumnOfL3() {
        Fixture f;
        const uint8_t first[4] = {0, 1, 5, 255}, third[4] = {'K', 'V', '-', '6'};
        for (int k = 0; k < 4; ++k) {
            f.plane(0)[1 + k] = first[k];
            f.plane(1)[1 + k] = static_cast<uint8_t>(20 + k);
            f.plane(2)[1 + k] = third[k];
        }
        f.openDialog();
        f.check("ChkCh(0)");
        f.check("ChkA1(3)");
        f.check("ChkCh(1)");
        f.check("ChkA2(0)");
        f.check("ChkCh(2)");
        f.check("ChkLA(3)");
        f.check("ChkLA(2)");
        f.type(1, "3");
        f.ok("volts.xlsx");
        const auto c = f.cells("volts.xlsx");
        // (0 - v) x 400 / 1000 millivolts: no analog inputs, zero level 0, range code 0.
        const QMap<QString, QString> expected = {
            {"A2", "Buffer( )"}, {"B1", "L1"},      {"C1", "L2"},    {"D1", "L3"},
            {"B2", "Unit(v)"},   {"C2", "Decimal"}, {"D2", "Ascii"}, {"E2", "Unit(v)"},
            {"A3", "0"},         {"B3", ".mV"},     {"C3", "20"},    {"D3", "K"},
            {"A4", "1"},         {"B4", "-.4mV"},   {"C4", "21"},    {"D4", "V"},
            {"A5", "2"},         {"B5", "-2.mV"},   {"C5", "22"},    {"D5", "-"},
            {"A6", "3"},         {"B6", "-102.mV"}, {"C6", "23"},    {"D6", "6"}};
        QCOMPARE(c, expected);
    }

    void seventyThousandBecomes65533() {
        Fixture f;
        f.use128k();
        for (int s = 0; s < 131072; ++s)
            f.plane(0)[s] = static_cast<uint8_t>(s / 3);
        f.openDialog();
        f.check("ChkCh(0)");
        f.check("ChkA1(0)");
        f.type(1, "70000");
        f.ok("long");
        QCOMPARE(f.to(), QString("65533"));
        const auto c = f.cells("long.xlsx");
        QCOMPARE(c.size(), 3 + 2 * 65534);  // rows 3 to 65536
        QCOMPARE(c["A3"], QString("0"));
        QCOMPARE(c["B3"], QString::number(1 / 3));
        QCOMPARE(c["A65536"], QString("65533"));
        QCOMPARE(c["B65536"], QString::number((65534 / 3) & 0xFF));
        QVERIFY(!c.contains("A65537"));

        // Near the end of the record the last sample is the record's last.
        f.type(0, "100000");
        f.type(1, "200000");
        f.ok("end.xlsx");
        QCOMPARE(f.to(), QString("131071"));
        const auto e = f.cells("end.xlsx");
        QCOMPARE(e["A31074"], QString("131071"));
        // Sample 131072 lies past the record: its cell stays empty.
        QVERIFY(!e.contains("B31074"));
        QCOMPARE(e["B31073"], QString::number((131071 / 3) & 0xFF));
    }

    void abortKeepsTheRowsSoFar() {
        Fixture f;
        f.use128k();
        for (int s = 0; s < 131072; ++s)
            f.plane(0)[s] = static_cast<uint8_t>('A' + s % 26);
        f.openDialog();
        f.check("ChkCh(0)");
        for (int k = 0; k < 4; ++k)
            f.check(QString("ChkA1(%1)").arg(k));
        f.type(1, "70000");
        auto *progress = f.control<QProgressBar>("ExportProgress");
        auto *abort = f.control<QPushButton>("cmdAbort");
        bool clicked = false;
        // The user clicks Abort once the bar has moved: the click waits its turn in the queue.
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [&](int value) {
            if (value > 0 && !clicked) {
                clicked = true;
                QTimer::singleShot(0, abort, [abort] {
                    QVERIFY(!abort->window()->findChild<QPushButton *>("cmdOk")->isEnabled());
                    QTest::mouseClick(abort, Qt::LeftButton);
                });
            }
        });
        f.ok("part.xlsx");
        QVERIFY(clicked);
        const int rows = progress->value();
        QVERIFY2(rows > 0 && rows < 65534, qPrintable(QString::number(rows)));
        QVERIFY(f.control<QPushButton>("cmdOk")->isEnabled());
        QCOMPARE(f.answers.opened, QStringList{f.path("part.xlsx")});
        const auto c = f.cells("part.xlsx");
        QCOMPARE(c.size(), 1 + 5 + 5 * rows);  // every row written is whole
        const int last = rows - 1 + 3;
        QCOMPARE(c["A" + QString::number(last)], QString::number(rows - 1));
        QCOMPARE(c["D" + QString::number(last)], QString(QChar('A' + rows % 26)));
        QVERIFY(!c.contains("A" + QString::number(last + 1)));
    }

    void failedWorkbookLeavesTheOldFile() {
        Fixture f;
        f.use128k();
        const QByteArray old = "the workbook of yesterday";
        {
            QFile keep(f.path("keep.xlsx"));
            QVERIFY(keep.open(QIODevice::WriteOnly));
            keep.write(old);
        }
        const QByteArray tmp = qgetenv("TMPDIR");
        const QString work = f.path("work");
        QVERIFY(QDir().mkpath(work));
        qputenv("TMPDIR", work.toLocal8Bit());
        f.openDialog();
        f.check("ChkCh(0)");
        for (int k = 0; k < 4; ++k)
            f.check(QString("ChkA1(%1)").arg(k));
        f.type(1, "70000");
        // The workbook's folder goes away while the rows are written, as on a failing disk.
        auto *progress = f.control<QProgressBar>("ExportProgress");
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [&](int value) {
            if (value > 0) QDir(work).removeRecursively();
        });
        f.ok("keep.xlsx");
        const auto bytes = [&] {
            QFile keep(f.path("keep.xlsx"));
            return keep.open(QIODevice::ReadOnly) ? keep.readAll() : QByteArray();
        };
        QCOMPARE(bytes(), old);
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY2(f.answers.told[0].startsWith("The workbook " + f.path("keep.xlsx") +
                                              " could not be written ("),
                 qPrintable(f.answers.told[0]));
        QVERIFY(f.answers.opened.isEmpty());

        // No place for the workbook at all: told at once, nothing written.
        qputenv("TMPDIR", f.path("missing").toLocal8Bit());
        f.ok("keep.xlsx");
        tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
        QCOMPARE(bytes(), old);
        QCOMPARE(f.answers.told.size(), 2);
        QVERIFY2(f.answers.told[1].contains("was not written: no temporary folder could be made"),
                 qPrintable(f.answers.told[1]));
        QVERIFY(f.answers.opened.isEmpty());
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"keep.xlsx"});
    }

    void badRangesAreToldAndNothingIsWritten() {
        Fixture f;
        f.openDialog();
        f.check("ChkCh(0)");
        f.check("ChkA1(0)");
        f.type(0, "1O");  // a letter O for a zero
        f.answers.files << f.path("never.xlsx");
        QTest::mouseClick(f.control<QPushButton>("cmdOk"), Qt::LeftButton);
        QCOMPARE(f.answers.told,
                 QStringList{"\"From\" needs a sample number of 0 or more; \"1O\" is none."});
        f.type(0, "-5");
        QTest::mouseClick(f.control<QPushButton>("cmdOk"), Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 2);
        QVERIFY(f.answers.told[1].startsWith("\"From\" needs a sample number"));
        f.type(0, "3000");
        f.type(1, "4000");
        QTest::mouseClick(f.control<QPushButton>("cmdOk"), Qt::LeftButton);
        QCOMPARE(f.answers.told.size(), 3);
        QCOMPARE(
            f.answers.told[2],
            QString("There are no samples from 3000 to 4000: the record ends at sample 2047."));
        QCOMPARE(f.to(), QString("2047"));
        QCOMPARE(f.answers.files.size(), 1);  // no file dialog was shown
        QVERIFY(QDir(f.dir.path()).entryList(QDir::Files).isEmpty());
        // A cancelled file dialog ends the export without a word.
        f.type(0, "0");
        f.answers.files.clear();
        f.ok("");
        QCOMPARE(f.answers.told.size(), 3);
        QVERIFY(QDir(f.dir.path()).entryList(QDir::Files).isEmpty());
    }

    void noByteChosenGivesAnEmptyWorkbook() {
        Fixture f;
        f.openDialog();
        f.check("ChkA1(0)");  // a format without its byte
        f.ok("empty.xlsx");
        QCOMPARE(f.answers.opened, QStringList{f.path("empty.xlsx")});
        bool read = false;
        QVERIFY(kv::test::readSheetCells(f.path("empty.xlsx"), &read).isEmpty());
        QVERIFY(read);
    }
};

QTEST_MAIN(TestExcel)
#include "tst_excel.moc"
