// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol decoders in the program as a user meets them: the View menu's dialog, the rows
// under the tracks, a click on an annotation, the annotation list and its CSV, a decoder
// that fails, and the decoders' own settings file.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "decode/decoder_text.h"
#include "dialogs/annotation_list.h"
#include "dialogs/decoder_dialog.h"
#include "dialogs/search_window.h"
#include "main/main_window.h"
#include "timing/timing_view.h"
#include "timing/view_decoding.h"

using namespace kv::app;

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    kvtest::ScriptedAnswers answers;
    LibraryDevice device{[](const std::string &) {}};
    std::unique_ptr<MainWindow> window;

    Fixture() {
        QDir::setCurrent(dir.path());
        start();
    }
    ~Fixture() {
        window.reset();
        QDir::setCurrent(previous);
    }
    void start() {
        window = std::make_unique<MainWindow>(device, &answers);
        window->startUp(1024ull * 1048576, 30);
        window->resize(1200, 800);
        window->show();
    }
    // Data set 0 holds `levels`: bit n of each word is channel Dn; the rest stays low.
    void fill(const std::vector<uint32_t> &levels) {
        ProgramState &s = window->state();
        for (int p = 0; p < 3; ++p) {
            uint8_t *plane = s.capture.plane(0, p);
            for (int i = 0; i < s.recordLength; ++i)
                plane[i] = uint8_t(
                    (size_t(i) < levels.size() ? levels[size_t(i)] : levels.back()) >> (8 * p));
        }
        s.dataSetRecords[0][0] = 0;
        s.samplePeriodPs = 1'000'000;
        s.currentView = 0;
        // A view wide enough for the first 400 samples at "Magnify 1".
        window->viewWindow(0)->resize(1000, 700);
        QApplication::processEvents();
        window->redrawAllViews();
    }
};

// A byte on a clock (D8) and data (D9) line, most significant bit first, the data set while
// the clock is low and taken at its rising edge; two samples a half period.
void spiByte(std::vector<uint32_t> &w, uint8_t byte) {
    for (int b = 7; b >= 0; --b) {
        const uint32_t data = ((byte >> b) & 1) ? 1u << 9 : 0;
        w.insert(w.end(), 2, data);
        w.insert(w.end(), 2, data | 1u << 8);
    }
    w.insert(w.end(), 2, 0);
}

// Answers the modal dialog that opens next with `act`.
template <class Act>
void onNextDialog(Act act) {
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<DecoderDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(*dialog);
    });
}

void pressOk(DecoderDialog &d) {
    QPushButton *ok = d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
}

// Chooses in a closed list box by typing, as a user does with the keyboard.
void choose(QComboBox *box, const QString &typed) {
    QVERIFY(box);
    box->setFocus();
    QTest::keyClicks(box, typed);
    QVERIFY2(box->currentText().startsWith(typed), qPrintable(box->currentText()));
}

}  // namespace

class TestDecoders : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void userMapsTwoChannelsAndReadsTheText() {
        Fixture f;
        std::vector<uint32_t> w(100, 0);
        spiByte(w, 'K');  // 0x4B
        w.insert(w.end(), 60, 0);
        spiByte(w, 'V');  // 0x56
        f.fill(w);
        onNextDialog([](DecoderDialog &d) {
            QTest::mouseClick(d.findChild<QPushButton *>("AddDecoder"), Qt::LeftButton);
            choose(d.findChild<QComboBox *>("DecoderChoice"), "spi");
            choose(d.findChild<QComboBox *>("Channel_clk"), "D8");
            choose(d.findChild<QComboBox *>("Channel_mosi"), "D9");
            // A word size that is no number is refused with the reason, and OK waits.
            auto *wordSize = d.findChild<QLineEdit *>("Option_0_wordsize");
            QVERIFY(wordSize);
            wordSize->setFocus();
            wordSize->selectAll();
            QTest::keyClicks(wordSize, "8x");
            QCOMPARE(d.findChild<QLabel *>("DecoderProblem")->text(),
                     QString("spi: option wordsize takes a whole number, not \"8x\""));
            QVERIFY(!d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
            QTest::keyClick(wordSize, Qt::Key_Backspace);
            QCOMPARE(d.findChild<QLabel *>("DecoderProblem")->text(), QString());
            pressOk(d);
        });
        f.window->action("mnuDecoders")->trigger();
        TimingView *v = f.window->view(0);
        QCOMPARE(v->decoding()->stacks().size(), 1u);
        QCOMPARE(kv::decode::formatDecoderText(v->decoding()->stacks()[0]),
                 std::string("spi:clk=D8,mosi=D9"));
        v->decoding()->wait();
        QVERIFY(!v->lastDraw().decoderBoxes.empty());

        // The list shows the bytes in the row of the data sent.
        f.window->action("mnuAnnotations")->trigger();
        AnnotationListModel *list = f.window->annotationList(0);
        QVERIFY(list);
        QStringList bytes;
        for (const auto &e : list->entries())
            if (e.row == "SPI: MOSI data") bytes << QString::fromStdString(e.text);
        QCOMPARE(bytes, QStringList({"4B", "56"}));
        QCOMPARE(list->matches("56").size(), 1u);

        // A click on the box of 56 moves cursor A to where it starts.
        const ViewAnnotations &rows = v->decoding()->annotations();
        size_t r = 0;
        while (r < rows.rows.size() && rows.rows[r].name.title != "SPI: MOSI data")
            ++r;
        QVERIFY(r < rows.rows.size());
        const auto &boxes = v->lastDraw().decoderBoxes[r];
        QCOMPARE(boxes.size(), 2u);
        const auto &second = rows.results[0].annotations[boxes[1].annotation];
        QCOMPARE(second.text(), std::string("56"));
        const int y = v->lastDraw().decoderTop + int(r) * kDecoderRowHeight + kDecoderRowHeight / 2;
        QTest::mouseClick(v->picture(), Qt::LeftButton, {}, QPoint(boxes[1].x0 + 1, y));
        QCOMPARE(f.window->state().views[0].cursorA, int32_t(second.start));

        // The list as CSV where the user chooses.
        f.answers.files << f.dir.filePath("bytes");
        QTest::mouseClick(f.window->findChild<QPushButton *>("ExportCsv"), Qt::LeftButton);
        QFile csv(f.dir.filePath("bytes.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString text = csv.readAll();
        QVERIFY(text.startsWith("Time (s),Row,Text\n"));
        QVERIFY(text.contains(",SPI: MOSI data,4B\n"));
    }

    void raisingDecoderIsToldByName() {
        QTemporaryDir decoders;
        QDir(decoders.path()).mkdir("kvraise");
        std::ofstream(decoders.filePath("kvraise/__init__.py").toStdString())
            << "'''Fails on the first edge.'''\nfrom .pd import Decoder\n";
        std::ofstream(decoders.filePath("kvraise/pd.py").toStdString())
            << "import sigrokdecode as srd\n"
               "class Decoder(srd.Decoder):\n"
               "    api_version = 3\n    id = 'kvraise'\n    name = 'Raise'\n"
               "    longname = 'Raises an error'\n    desc = 'Fails on the first edge.'\n"
               "    license = 'gplv2+'\n    inputs = ['logic']\n    outputs = []\n"
               "    channels = ({'id': 'data', 'name': 'Data', 'desc': 'Data line'},)\n"
               "    annotations = (('note', 'Note'),)\n"
               "    def start(self):\n        self.out_ann = self.register(srd.OUTPUT_ANN)\n"
               "    def reset(self):\n        pass\n"
               "    def decode(self):\n        self.wait({0: 'e'})\n"
               "        raise ValueError('edge at sample %d' % self.samplenum)\n";
        qputenv("SIGROKDECODE_DIR", decoders.path().toLocal8Bit());
        Fixture f;
        std::vector<uint32_t> w(50, 0);
        w.resize(100, 1u << 5);
        f.fill(w);
        onNextDialog([](DecoderDialog &d) {
            QTest::mouseClick(d.findChild<QPushButton *>("AddDecoder"), Qt::LeftButton);
            choose(d.findChild<QComboBox *>("DecoderChoice"), "kvraise");
            choose(d.findChild<QComboBox *>("Channel_data"), "D5");
            pressOk(d);
        });
        f.window->action("mnuDecoders")->trigger();
        f.window->view(0)->decoding()->wait();
        QTRY_COMPARE(f.answers.told.size(), 1);
        QVERIFY2(f.answers.told[0].startsWith("Decoder kvraise: "), qPrintable(f.answers.told[0]));
        QVERIFY(f.answers.told[0].contains("edge at sample 50"));
        // The window goes on: the view draws without rows.
        QVERIFY(f.window->view(0)->lastDraw().decoderBoxes.empty());
    }

    void findInAnnotationsListsTheMatchingTexts() {
        // Three bytes on the clock and data lines, 'K' twice: the search window's annotation
        // search lists the two 'K' boxes where their first clock edge is (two samples into
        // each byte), and a click on a row moves the chosen cursor there.
        Fixture f;
        std::vector<uint32_t> w(100, 0);
        for (const uint8_t b : {uint8_t{'K'}, uint8_t{'V'}, uint8_t{'K'}}) {
            spiByte(w, b);
            w.insert(w.end(), 30, 0);
        }
        f.fill(w);
        TimingView *v = f.window->view(0);
        v->decoding()->setStacks({kv::decode::parseDecoderText("spi:clk=D8,mosi=D9", {}).stack});
        f.window->redrawAllViews();
        v->decoding()->wait();
        f.window->action("mnuSearch")->trigger();
        SearchWindow *search = f.window->searchWindow();
        QVERIFY(search);
        auto *text = search->findChild<QLineEdit *>("TextAnnotation");
        QVERIFY(text);
        QTest::keyClicks(text, "4b");
        QTest::mouseClick(search->findChild<QPushButton *>("cmdFindAnnotations"), Qt::LeftButton);
        HitListModel *hits = search->hits();
        QCOMPARE(hits->rowCount(), 2);
        const int byteLength = 8 * 4 + 2 + 30;
        QCOMPARE(hits->data(hits->index(0, 0), Qt::DisplayRole).toString(), QString("102"));
        QCOMPARE(hits->data(hits->index(1, 0), Qt::DisplayRole).toString(),
                 QString::number(102 + 2 * byteLength));
        QCOMPARE(hits->data(hits->index(1, 2), Qt::DisplayRole).toString(),
                 QString("SPI: MOSI data: 4B"));
        QCOMPARE(search->findChild<QLabel *>("lbHits")->text(), QString("2 annotations"));
        auto *list = search->findChild<QTableView *>("lstHits");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(hits->index(1, 0)).center());
        QCOMPARE(f.window->state().views[0].cursorA, 102 + 2 * byteLength);

        // A text no annotation holds.
        text->selectAll();
        QTest::keyClicks(text, "zz");
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(hits->rowCount(), 0);
        QCOMPARE(search->findChild<QLabel *>("lbHits")->text(), QString("not found"));
    }

    void decodersKeptInTheirOwnFile() {
        Fixture f;
        auto stack = kv::decode::parseDecoderText("uart:rx=D11,baudrate=250000", {}).stack;
        f.window->view(1)->decoding()->setStacks({stack});
        f.window->close();
        QFile file(f.dir.filePath("KV6830-decoders.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString(file.readAll()),
                 QString("# Protocol decoders of the timing views\n[Timing2]\n"
                         "uart:rx=D11,baudrate=250000\n"));
        file.close();
        // The main settings file knows nothing of them.
        QFile main(f.dir.filePath("KV6830.ini"));
        QVERIFY(main.open(QIODevice::ReadOnly));
        QVERIFY(!main.readAll().contains("uart"));
        main.close();
        // Read back at the next start; a line that cannot be read is told by its number.
        QVERIFY(file.open(QIODevice::Append));
        file.write("uart:rx=D99\n");
        file.close();
        f.start();
        QCOMPARE(f.window->view(1)->decoding()->stacks().size(), 1u);
        QVERIFY(f.window->view(1)->decoding()->stacks()[0] == stack);
        QVERIFY(f.window->view(0)->decoding()->stacks().empty());
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY2(f.answers.told[0].contains("line 4: uart: channel rx: no channel \"D99\""),
                 qPrintable(f.answers.told[0]));
    }
};

QTEST_MAIN(TestDecoders)
#include "tst_decoders_window.moc"
