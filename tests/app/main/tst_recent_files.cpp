// SPDX-License-Identifier: GPL-3.0-or-later
// File > Recent data files with the real libraries: kept across restarts beside the
// settings file, a file that has gone taken off with a message.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "main/main_window.h"

using namespace kv::app;

namespace {

using Answers = kvtest::ScriptedAnswers;

struct Fixture {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    Answers answers;
    LibraryDevice device{[](const std::string &) {}};
    std::unique_ptr<MainWindow> window;

    Fixture() { QDir::setCurrent(dir.path()); }
    ~Fixture() { QDir::setCurrent(previous); }
    void start() {
        window = std::make_unique<MainWindow>(device, &answers);
        window->startUp(1024ull * 1048576, 30);
    }
    void restart() {
        window->close();
        window.reset();
        start();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QMenu *recent() const { return window->findChild<QMenu *>("mnuRecentFiles"); }
    QStringList entries() const {
        QStringList texts;
        for (QAction *a : recent()->actions())
            texts << a->text();
        return texts;
    }
    void command(const QString &item, const QString &typed) {
        answers.files << typed;
        window->action(item)->trigger();
        QVERIFY(answers.files.isEmpty());
    }
    QByteArray listFile() const {
        QFile file(path("KV6830-recent.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Data set 0 with a pattern of its own, or cleared.
    void fill(int seed) {
        for (int k = 0; k < 3; ++k) {
            uint8_t *p = window->state().capture.plane(0, k);
            for (int i = 0; i < 2016; ++i)
                p[i] = static_cast<uint8_t>(seed == 0 ? 0 : i * seed + k);
        }
    }
    bool holds(int seed) {
        for (int k = 0; k < 3; ++k) {
            const uint8_t *p = window->state().capture.plane(0, k);
            for (int i = 0; i < 2016; ++i)
                if (p[i] != static_cast<uint8_t>(i * seed + k)) return false;
        }
        return true;
    }
};

}  // namespace

class TestRecentFiles : public QObject {
    Q_OBJECT

  private slots:
    void recentFilesAcrossRestarts() {
        Fixture f;
        f.start();
        QVERIFY(f.entries().isEmpty());
        QVERIFY(!f.recent()->menuAction()->isEnabled());
        f.fill(7);
        f.command("mnuFileSaveAs", f.path("one"));
        f.fill(3);
        f.command("mnuFileSaveAs", f.path("two.osv"));
        const QString one = f.path("one.osv"), two = f.path("two.osv");
        QCOMPARE(f.entries(), (QStringList{"&1 " + two, "&2 " + one}));
        QVERIFY(f.recent()->menuAction()->isEnabled());
        // Loading a file puts it first; a cancelled dialog changes nothing.
        f.command("mnuFileOpen", one);
        f.command("mnuFileOpen", "");
        QCOMPARE(f.entries(), (QStringList{"&1 " + one, "&2 " + two}));
        // Like the settings, the list is written at exit, beside KV6830.ini.
        QVERIFY(f.listFile().isEmpty());

        // After a restart the list is back in the same order; its items load the files.
        f.restart();
        QCOMPARE(f.listFile(), (one + "\n" + two + "\n").toUtf8());
        QCOMPARE(f.entries(), (QStringList{"&1 " + one, "&2 " + two}));
        f.fill(0);
        f.recent()->actions()[1]->trigger();
        QVERIFY(f.holds(3));
        QCOMPARE(f.entries(), (QStringList{"&1 " + two, "&2 " + one}));
        QCOMPARE(QString::fromStdString(f.window->state().currentDataFile), two);
        // A file removed meanwhile: a message, and it is taken off the list for good.
        QVERIFY(QFile::remove(two));
        f.fill(0);
        f.recent()->actions()[0]->trigger();
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains(two));
        QVERIFY(f.answers.told[0].contains("no longer exists"));
        QVERIFY(!f.holds(3) && !f.holds(7));  // nothing was loaded
        QCOMPARE(f.entries(), (QStringList{"&1 " + one}));
        f.restart();
        QCOMPARE(f.listFile(), (one + "\n").toUtf8());
        QCOMPARE(f.entries(), (QStringList{"&1 " + one}));
        f.recent()->actions()[0]->trigger();
        QVERIFY(f.holds(7));
        QCOMPARE(f.answers.told.size(), 1);
    }

    void eightAtMostAndNamesAsWritten() {
        Fixture f;
        f.start();
        f.fill(5);
        for (int i = 0; i < 9; ++i)
            f.command("mnuFileSaveAs", f.path(QString("run%1").arg(i)));
        // A name with "&" shows it doubled, so that it is no mnemonic.
        f.command("mnuFileSaveAs", f.path("A&B.osv"));
        const QStringList e = f.entries();
        QCOMPARE(e.size(), 8);
        QCOMPARE(e[0], "&1 " + f.path("A&&B.osv"));
        QCOMPARE(e[7], "&8 " + f.path("run2.osv"));  // run0 and run1 fell off
        // Ctrl+S saves the current file again: it stays first, once.
        f.window->action("mnuFileSave")->trigger();
        QCOMPARE(f.entries(), e);
        f.restart();
        QCOMPARE(f.entries(), e);
        f.fill(0);
        f.recent()->actions()[0]->trigger();
        QVERIFY(f.holds(5));
        QVERIFY(f.answers.told.isEmpty());
    }

    void aListThatCannotBeSavedIsTold() {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("KV6830-recent.txt"));  // a folder in its place
        f.start();
        QVERIFY(f.entries().isEmpty());
        f.command("mnuFileSaveAs", f.path("one"));
        f.command("mnuFileSaveAs", f.path("two"));
        // The session keeps its list all the same; leaving tells that it was not kept.
        QCOMPARE(f.entries().size(), 2);
        QVERIFY(f.answers.told.isEmpty());
        QVERIFY(f.window->close());
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains(f.path("KV6830-recent.txt")));
        QVERIFY(f.answers.told[0].contains("lost"));
        QVERIFY(QFileInfo(f.path("KV6830-recent.txt")).isDir());
        QVERIFY(QFile::exists(f.path("KV6830.ini")));
        // A session that used no data file leaves no list behind.
        Fixture g;
        g.start();
        QVERIFY(g.window->close());
        QVERIFY(!QFile::exists(g.path("KV6830-recent.txt")));
    }
};

QTEST_MAIN(TestRecentFiles)
#include "tst_recent_files.moc"
