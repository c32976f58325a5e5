// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's shortcuts, pressed as keys in the shown window, and their menus.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "fake_device.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    QStringList dialogs;  // titles of the file dialogs asked, each cancelled
    bool viewCount(const MemoryCheck &) override { return true; }
    Detection detection(const QString &, bool) override { return Detection::Cancel; }
    QString fileName(bool, const QString &title, const QString &, const QString &,
                     const QString &) override {
        dialogs << title;
        return {};
    }
};

// The letter after a single "&" of a caption, or nothing.
QChar mnemonic(const QString &text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

QMenu *menuOf(QAction *a) {
    for (QObject *o : a->associatedObjects()) {
        if (auto *m = qobject_cast<QMenu *>(o)) return m;
    }
    return nullptr;
}

}  // namespace

class TestShortcuts : public QObject {
    Q_OBJECT

  private slots:
    void everyShortcutIsInItsMenuAndClashesWithNoMnemonic() {
        Answers answers;
        kvtest::FakeDevice device;
        MainWindow window{device, &answers};
        const struct {
            const char *name, *menu;
            QKeySequence keys;
        } expected[] = {
            {"go", "mnuTiming", QKeySequence(Qt::Key_F5)},
            {"stop", "mnuTiming", QKeySequence(Qt::Key_Escape)},
            {"Forcetrig", "mnuTiming", QKeySequence(Qt::Key_F6)},
            {"mnuFileOpen", "mnuFile", QKeySequence("Ctrl+O")},
            {"mnuFileSave", "mnuFile", QKeySequence("Ctrl+S")},
            {"mnuFileSaveAs", "mnuFile", QKeySequence("Ctrl+Shift+S")},
            {"fileexit", "mnuFile", QKeySequence("Ctrl+Q")},
        };
        for (const auto &e : expected) {
            QAction *a = window.action(e.name);
            QCOMPARE(a->shortcut(), e.keys);
            QMenu *menu = menuOf(a);
            QVERIFY2(menu && menu->objectName() == e.menu, e.name);
        }
        // The captions in the Timing menu, the toolbar's without the "&".
        QCOMPARE(window.action("go")->text(), QString("R&un"));
        QCOMPARE(window.action("go")->iconText(), QString("Run"));
        // No shortcut is a bare letter or digit (those choose items in an open menu) or an
        // Alt combination (those open the menus); the new items' mnemonics are their
        // menu's own.
        QSet<QChar> barMnemonics;
        for (QAction *top : window.menuBar()->actions())
            barMnemonics << mnemonic(top->text());
        QCOMPARE(barMnemonics.size(), 5);  // File, View, Timing, Window, Help
        const QList<QMenu *> menus = window.menuBar()->findChildren<QMenu *>();
        int withKeys = 0;
        for (QMenu *menu : menus) {
            QMap<QChar, int> letters;
            for (QAction *a : menu->actions())
                if (!mnemonic(a->text()).isNull()) ++letters[mnemonic(a->text())];
            for (QAction *a : menu->actions()) {
                if (a->shortcut().isEmpty()) continue;
                ++withKeys;
                const QKeyCombination k = a->shortcut()[0];
                QVERIFY2(!(k.keyboardModifiers() & Qt::AltModifier), qPrintable(a->text()));
                const bool bare = k.keyboardModifiers() == Qt::NoModifier &&
                                  QChar(k.key()).isLetterOrNumber() && k.key() < 0x100;
                QVERIFY2(!bare, qPrintable(a->text()));
            }
            if (menu->objectName() == "mnuTiming") {
                for (const QChar c : {QChar('u'), QChar('s'), QChar('o')})
                    QCOMPARE(letters.value(c), 1);
            }
            if (menu->objectName() == "mnuFile") QCOMPARE(letters.value('n'), 1);
        }
        QCOMPARE(withKeys, 7);
    }

    void keysDriveTheRunAndTheFileCommands() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Answers answers;
        kvtest::FakeDevice device;
        MainWindow window{device, &answers};
        window.startUp(1024ull * 1048576, 30);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // F5 from inside a timing view: the run starts as with the Run button.
        QWidget *picture = window.view(0)->findChild<QWidget *>("Picture1");
        QTest::keyClick(picture, Qt::Key_F5);
        QVERIFY(window.captureRun().active());
        QVERIFY(window.action("go")->isChecked());
        QCOMPARE(device.starts.size(), size_t{1});
        // F5 again: one run at a time.
        QTest::keyClick(picture, Qt::Key_F5);
        QCOMPARE(device.starts.size(), size_t{1});
        QTest::keyClick(&window, Qt::Key_F6);
        QCOMPARE(device.forces, 1);
        QTest::keyClick(picture, Qt::Key_Escape);
        QVERIFY(!window.captureRun().active());
        QVERIFY(!window.action("go")->isChecked());
        // The file commands open their dialogs (cancelled here).
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);  // no data file yet
        QCOMPARE(answers.dialogs, (QStringList{"Open", "Save Data As", "Save Data As"}));
        // Ctrl+Q leaves as Exit does: the unit is switched off, the settings are saved.
        QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
        QCOMPARE(device.powerOffs, 1);
        QVERIFY(QFile::exists(dir.filePath("KV6830.ini")));
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"
