// SPDX-License-Identifier: GPL-3.0-or-later
// The search window as a user drives it: over a demonstration capture, the word typed key
// by key, presets and cursor words, group rows, Forward and Backward, and "Find all" with
// a click on a hit; and a large list filled while the window keeps answering.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "dialogs/group_setup_window.h"
#include "dialogs/search_window.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

struct Answers : kvtest::ScriptedAnswers {
    Answers() { enoughMemory = false; }
};

template <typename T>
T *in(QWidget *w, const QString &name) {
    T *found = w ? w->findChild<T *>(name) : nullptr;
    if (!found) qWarning() << "missing" << name;
    return found;
}

// The main window in demonstration mode, in a folder of its own.
struct Program {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    Answers answers;
    LibraryDevice device{[](const std::string &) {}};
    std::unique_ptr<MainWindow> window;

    Program() {
        QDir::setCurrent(dir.path());
        window = std::make_unique<MainWindow>(device, &answers);
        window->resize(1100, 800);
        window->show();
        window->startUp(1024ull * 1048576, 30);
    }
    ~Program() {
        window.reset();
        QDir::setCurrent(previous);
    }
    ProgramState &state() { return window->state(); }

    // One 2k capture of the demonstration board at 1 MHz.
    bool capture() {
        window->panel()->scroll(3)->setValue(0);  // Single
        window->panel()->scroll(5)->setValue(6);  // 1 us
        window->action("go")->trigger();
        auto *status = window->findChild<QLineEdit *>("Text21");
        if (!QTest::qWaitFor([&] { return status->text() == "Completed"; }, 10000)) return false;
        return QTest::qWaitFor([&] { return !window->captureRun().active(); }, 5000);
    }

    SearchWindow *openSearch() {
        window->action("mnuSearch")->trigger();
        return window->searchWindow();
    }

    // Bit c of view position q of the current view's data set, read from the planes.
    int level(int32_t q, int c) {
        const ViewState &v = state().views[static_cast<size_t>(state().currentView)];
        const int32_t origin = state().dataSetRecords[static_cast<size_t>(v.dataSet)][0];
        return (state().capture.plane(v.dataSet, c / 8)[origin + q] >> (c % 8)) & 1;
    }
    // Whether view position q matches a word, channel by channel (position 24 - c).
    bool matches(int32_t q, const std::string &word) {
        for (int c = 0; c < 24; ++c) {
            const char want = word[static_cast<size_t>(23 - c)];
            if (want != 'x' && level(q, c) != want - '0') return false;
        }
        return true;
    }
};

void click(QWidget *w, const QString &name) {
    auto *b = in<QAbstractButton>(w, name);
    QVERIFY(b);
    // Radio buttons and check boxes take a click on their mark or caption, not anywhere
    // in the width their layout gives them.
    const bool marked = qobject_cast<QRadioButton *>(b) || qobject_cast<QCheckBox *>(b);
    QTest::mouseClick(b, Qt::LeftButton, {},
                      marked ? QPoint(6, b->height() / 2) : b->rect().center());
}

QString wordOf(QWidget *w) {
    return in<QLineEdit>(w, "TextSearch")->text();
}

}  // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void wordTypedPresetsAndCursorWords() {
        Program p;
        QVERIFY(p.capture());
        QAction *menu = p.window->action("mnuSearch");
        QVERIFY(menu->isEnabled());
        SearchWindow *w = p.openSearch();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Search data"));
        QVERIFY(in<QRadioButton>(w, "OptData(0)")->isChecked());
        // Loaded from the search word, all don't care at first.
        QCOMPARE(wordOf(w), QString(24, 'x'));

        auto *box = in<QLineEdit>(w, "TextSearch");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, "10z1");  // "z" is taken as don't care
        QCOMPARE(wordOf(w), QString("10x1") + QString(20, 'x'));
        QTest::keyClick(box, Qt::Key_Backspace);  // the "1" at position 4 goes back to x
        QTest::keyClicks(box, "q7");              // not channel levels: nothing changes
        QCOMPARE(wordOf(w), QString("10") + QString(22, 'x'));
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, "1");  // at the end there is no channel left to overwrite
        QCOMPARE(box->text().size(), 24);
        QApplication::clipboard()->setText("0011");
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(wordOf(w), QString("0011") + QString(20, 'x'));

        // A preset through "=>": its don't cares shown as "x".
        click(w, "OptData(3)");
        click(w, "cmdTrans");
        QCOMPARE(wordOf(w), QString("xxxxxxxx00000000xxxxxxxx"));

        // "Cursor A data": the value labels of rows 23 down to 0. With the first tracks
        // (rows 0..3 groups, row 4 + c channel Dc) that is D19 .. D0 at cursor A, then the
        // four group rows, whose labels read 0.
        const int32_t a = p.state().views[0].cursorA;
        QString expected;
        for (int c = 19; c >= 0; --c)
            expected += QChar('0' + p.level(a, c));
        expected += "0000";
        click(w, "OptData(4)");
        click(w, "cmdTrans");
        QCOMPARE(wordOf(w), expected);
        // Cursor B's word comes from cursor B.
        const int32_t b = p.state().views[0].cursorB;
        expected.clear();
        for (int c = 19; c >= 0; --c)
            expected += QChar('0' + p.level(b, c));
        expected += "0000";
        click(w, "OptData(5)");
        click(w, "cmdTrans");
        QCOMPARE(wordOf(w), expected);
    }

    void forwardBackwardAndNotFound() {
        Program p;
        QVERIFY(p.capture());
        SearchWindow *w = p.openSearch();
        ViewState &view = p.state().views[0];
        // The counter's low four bits 0011, D23 free.
        const std::string word = "xxxxxxxxxxxxxxxxxxxx0011";
        auto *box = in<QLineEdit>(w, "TextSearch");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_End);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClicks(box, "0011");
        QCOMPARE(wordOf(w).toStdString(), word);

        // Cursor B from 90: the next match after the run under it, by the documented rule.
        click(w, "optVbar(1)");
        int32_t from = view.cursorB;
        int32_t q = from;
        while (p.matches(q, word))
            ++q;
        while (!p.matches(q, word))
            ++q;
        click(w, "cmdSearch(0)");
        QCOMPARE(view.cursorB, q);
        QCOMPARE(in<QLabel>(p.window->view(0), "Label7")->text(), QString::number(q));
        QCOMPARE(in<QScrollBar>(p.window->view(0), "HScroll5")->value(), q);
        // Brought into view by the zoom change anchored on it.
        QVERIFY(view.screenStart <= q);
        QCOMPARE(view.zoomAnchor, uint8_t(1));
        QCOMPARE(view.stateStart, q);
        // Backward from there: the run under it is left, then the last match before.
        from = q;
        while (q >= 0 && p.matches(q, word))
            --q;
        while (q >= 0 && !p.matches(q, word))
            --q;
        QVERIFY(q >= 0);
        click(w, "cmdSearch(1)");
        QCOMPARE(view.cursorB, q);
        QVERIFY(in<QLabel>(w, "lbStatus")->text().isEmpty());

        // A word nothing on the board matches (all 24 channels high at once, as checked here)
        // says "not found" and leaves the cursor where it was.
        const std::string never = std::string(24, '1');
        bool any = false;
        for (int32_t s = 0; s < p.state().recordLength - 1; ++s)
            any = any || p.matches(s, never);
        QVERIFY(!any);
        click(w, "OptData(0)");
        QApplication::clipboard()->setText(QString::fromStdString(never));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        click(w, "optVbar(0)");
        const int32_t a = view.cursorA;
        click(w, "cmdSearch(0)");
        QCOMPARE(in<QLabel>(w, "lbStatus")->text(), QString("not found"));
        QCOMPARE(view.cursorA, a);
        click(w, "cmdSearch(1)");
        QCOMPARE(view.cursorA, a);
    }

    void findAllAgreesWithRepeatedForwardSearches() {
        Program p;
        QVERIFY(p.capture());
        SearchWindow *w = p.openSearch();
        ViewState &view = p.state().views[0];
        const std::string word = "xxxxxxxxxxxxxxxxxxxx1010";
        QApplication::clipboard()->setText(QString::fromStdString(word));
        auto *box = in<QLineEdit>(w, "TextSearch");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        click(w, "cmdFindAll");
        QTRY_VERIFY(!w->filling());
        QAbstractItemModel *list = in<QTableView>(w, "lstHits")->model();
        std::vector<int32_t> hits;
        for (int r = 0; r < list->rowCount(); ++r)
            hits.push_back(list->index(r, 0).data().toInt());
        // Every matching captured sample, by a plain look at each.
        std::vector<int32_t> expected;
        for (int32_t s = 0; s < p.state().recordLength - 1; ++s)
            if (p.matches(s, word)) expected.push_back(s);
        QVERIFY(expected.size() > 20);
        QCOMPARE(hits, expected);
        QCOMPARE(in<QLabel>(w, "lbHits")->text(),
                 QString("%L1 hits").arg(static_cast<qulonglong>(expected.size())));
        const QString hex = list->index(0, 2).data().toString();
        QCOMPARE(hex.size(), 6);
        QCOMPARE(hex.right(1), QString("A"));  // D3..D0 = 1010

        // Repeated Forward from cursor A at 0 visits the first sample of each run of hits.
        click(w, "optVbar(0)");
        view.cursorA = 0;
        std::vector<int32_t> starts;
        for (size_t i = 0; i < hits.size(); ++i)
            if (hits[i] > 0 && hits[i] <= view.barMax && (i == 0 || hits[i - 1] != hits[i] - 1))
                starts.push_back(hits[i]);
        std::vector<int32_t> visited;
        for (size_t i = 0; i < starts.size(); ++i) {
            click(w, "cmdSearch(0)");
            visited.push_back(view.cursorA);
        }
        QCOMPARE(visited, starts);

        // A click on a row moves the chosen cursor (here B) there.
        click(w, "optVbar(1)");
        auto *table = in<QTableView>(w, "lstHits");
        const int row = static_cast<int>(hits.size() / 2);
        table->scrollTo(list->index(row, 0));
        const QRect cell = table->visualRect(list->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(view.cursorB, hits[static_cast<size_t>(row)]);
        QCOMPARE(in<QLabel>(p.window->view(0), "Label7")->text(),
                 QString::number(hits[static_cast<size_t>(row)]));
    }

    void groupRowsComposeTheWord() {
        Program p;
        SearchWindow *w = p.openSearch();
        QVERIFY(!in<QWidget>(w, "Frame3")->isVisible());
        click(w, "Check2");
        QVERIFY(in<QWidget>(w, "Frame3")->isVisible());
        QTest::qWait(50);  // the frame laid out, as the user sees it
        auto *combo = in<QComboBox>(w, "Combo4(0)");
        QCOMPARE(combo->count(), 30);
        QCOMPARE(combo->currentIndex(), 8);  // the first row starts on group 8
        QVERIFY(in<QRadioButton>(w, "Option1(0)")->isChecked());
        // Group 8 made of four channels: bit 0 D4, bit 1 D17, bit 2 D11, bit 3 D0.
        GroupTables &g = p.state().groups;
        g.topBit[8] = 3;
        const int channels[4] = {4, 17, 11, 0};
        for (int k = 0; k < 4; ++k)
            g.bitMap[8 * 32 + k] = channels[k];
        auto *value = in<QLineEdit>(w, "Text1(0)");
        QCOMPARE(value->text(), QString("XX"));
        value->setFocus();
        QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(value, "5");
        click(w, "Option1(1)");  // Decimal
        QCOMPARE(p.state().searchOption, uint8_t(1));
        click(w, "Command2");
        // 5 = 0101: D4 and D11 are 1, D17 and D0 are 0; the other rows are "XX".
        std::string expected(24, 'x');
        expected[23 - 4] = '1';
        expected[23 - 11] = '1';
        expected[23 - 17] = '0';
        expected[23 - 0] = '0';
        QCOMPARE(wordOf(w).toStdString(), expected);

        // Hexadecimal "1G": told in the window, the word stays.
        click(w, "Option1(0)");
        value->setFocus();
        QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(value, "1G");
        click(w, "Command2");
        QVERIFY(in<QLabel>(w, "lbStatus")->text().contains("not a hexadecimal number"));
        QCOMPARE(wordOf(w).toStdString(), expected);
        // Kept for the next opening: group, value and radix.
        QCOMPARE(p.state().searchSlots[0].word, std::string("1G"));
        QCOMPARE(p.state().searchSlots[0].flag, uint8_t(8));

        // "Group edit" opens the Group Setup window.
        click(w, "Command4");
        QVERIFY(p.window->groupSetup() && p.window->groupSetup()->isVisible());
    }

    void largeListFillsWhileTheWindowAnswers() {
        Program p;
        p.window->panel()->scroll(4)->setValue(1);  // 128k
        ProgramState &s = p.state();
        QCOMPARE(s.recordLength, 128 * 1024);
        // A 128K data set with 10 000 hits: D23..D16 = 0x5A at every thirteenth sample.
        for (int pl = 0; pl < 3; ++pl)
            std::fill_n(s.capture.plane(0, pl), s.recordLength, uint8_t(0));
        s.dataSetRecords[0][0] = 0;
        for (int i = 0; i < 10000; ++i)
            s.capture.plane(0, 2)[i * 13] = 0x5A;
        SearchWindow *w = p.openSearch();
        QApplication::clipboard()->setText("01011010");
        auto *box = in<QLineEdit>(w, "TextSearch");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);

        // The window's events are handled between the steps of the fill: a zero timer
        // fires again and again before the list is complete.
        int ticks = 0;
        QTimer tick;
        tick.setInterval(0);
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        click(w, "cmdFindAll");
        QVERIFY(w->filling());
        QVERIFY(w->hits()->rowCount() < 10000);
        tick.start();
        int ticksWhileFilling = 0;
        QTRY_VERIFY_WITH_TIMEOUT((ticksWhileFilling = ticks, !w->filling()), 20000);
        tick.stop();
        // At least one tick between each two of the 32 steps.
        QVERIFY2(ticksWhileFilling >= 16, qPrintable(QString::number(ticksWhileFilling)));
        QCOMPARE(w->hits()->rowCount(), 10000);
        QCOMPARE(w->hits()->row(9999).position, 9999 * 13);
        QCOMPARE(w->hits()->row(9999).text, std::string("5A0000"));

        // All don't care: every sample matches, and the list stops at 100 000, saying so.
        click(w, "OptData(0)");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        click(w, "cmdFindAll");
        QTRY_VERIFY_WITH_TIMEOUT(!w->filling(), 20000);
        QCOMPARE(w->hits()->rowCount(), 100000);
        QVERIFY(in<QLabel>(w, "lbHits")->text().startsWith("Stopped at"));
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
