// SPDX-License-Identifier: GPL-3.0-or-later
// The data file and settings commands of the main window, with the real libraries.
#include <unistd.h>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "../../common/ordinary_user.h"
#include "../scripted_answers.h"
#include "core/library_device.h"
#include "core/settings_file.h"
#include "core/tables.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

using namespace kv::app;

namespace {

class Answers : public kvtest::ScriptedAnswers {
  public:
    QStringList askedToReplace;  // files the program asked about
    QList<bool> replaceAnswers;  // answers to those questions (no answer: No)
    QStringList leaveTexts;
    bool leave = true;
    bool confirmReplace(const QString &, const QString &path) override {
        askedToReplace << path;
        return !replaceAnswers.isEmpty() && replaceAnswers.takeFirst();
    }
    bool leaveAnyway(const QString &text) override {
        leaveTexts << text;
        return leave;
    }
};

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
    QString path(const QString &name) const { return dir.filePath(name); }
    uint8_t *plane(int set, int k) { return window->state().capture.plane(set, k); }
    QByteArray bytes(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void put(const QString &name, const QByteArray &content) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    // Answers the file dialog with `typed` and picks the menu item.
    void command(const QString &item, const QString &typed) {
        answers.files << typed;
        window->action(item)->trigger();
        QVERIFY(answers.files.isEmpty());
    }
};

void setFile(const QString &path, QFile::Permissions permissions) {
    QVERIFY(QFile::setPermissions(path, permissions));
}

}  // namespace

namespace {
constexpr QFile::Permissions kReadOnly =
    QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;

}  // namespace

class TestFiles : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void saveAsWritesDataSetZeroAndLoadTakesCheckedPlanes() {
        Fixture f;
        f.start();
        for (int k = 0; k < 3; ++k)
            std::memset(f.plane(0, k), 0x10 + k, 131072);
        std::memset(f.plane(2, 0), 0x77, 131072);
        f.window->toggleView(2);  // view 2 current; "by point" binds it to data set 2
        f.window->action("data2timing")->trigger();
        QCOMPARE(f.window->state().views[2].dataSet, 2);
        f.window->state().currentView = 2;
        f.answers.files << f.path("one.osv");
        f.window->action("mnuFileSaveAs")->trigger();
        QVERIFY(QFile::exists(f.path("one.cfg")));
        QFile data(f.path("one.osv"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QByteArray bytes = data.readAll();
        QCOMPARE(bytes.size(), 10 * 2016);           // last start of "2k"
        QCOMPARE(uint8_t(bytes[0]), uint8_t{0x10});  // data set 0, not 2
        QCOMPARE(uint8_t(bytes[2016]), uint8_t{0x11});
        QCOMPARE(uint8_t(bytes[2 * 2016]), uint8_t{0x12});

        // Load with only "Load Data(D&8-D15)" into the current view's data set (2).
        f.window->action("mnuLoaddata(0)")->trigger();
        f.window->action("mnuLoaddata(2)")->trigger();
        QVERIFY(f.window->action("mnuLoaddata(1)")->isChecked());
        std::memset(f.plane(2, 1), 0x99, 131072);
        std::memset(f.plane(2, 2), 0x98, 131072);
        f.answers.files << f.path("one.osv");
        f.window->action("mnuFileOpen")->trigger();
        QCOMPARE(int(f.plane(2, 0)[5]), 0x77);  // untouched
        QCOMPARE(int(f.plane(2, 1)[5]), 0x11);  // replaced
        QCOMPARE(int(f.plane(2, 1)[2015]), 0x11);
        QCOMPARE(int(f.plane(2, 1)[2016]), 0x99);  // past the record length
        QCOMPARE(int(f.plane(2, 2)[5]), 0x98);
        QVERIFY(f.answers.told.isEmpty());
    }

    void reloadedCaptureReadsTheSame() {
        Fixture f;
        f.start();
        const auto values = [&] {
            QStringList v;
            TimingView *view = f.window->view(0);
            for (int row = 0; row < kShownTracks; ++row) {
                for (const char *column : {"LabelV1", "LabelV2", "LabelTrig"}) {
                    v << view->findChild<QLabel *>(QString("%1(%2)").arg(column).arg(row))->text();
                }
            }
            return v;
        };
        // A single capture of the demonstration board; its trigger lies 8 samples in.
        f.window->state().settings.captureMode = 0;
        f.window->action("go")->trigger();
        auto *status = f.window->findChild<QLineEdit *>("Text21");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("Completed"), 5000);
        QTRY_VERIFY(!f.window->captureRun().active());
        QCOMPARE(f.window->state().dataSetRecords[0][0], 8);
        f.window->redrawAllViews();
        const QStringList before = values();
        f.answers.files << f.path("board.osv");
        f.window->action("mnuFileSaveAs")->trigger();
        // The program ends and starts again; the file is loaded.
        f.window.reset();
        f.start();
        QCOMPARE(f.window->state().dataSetRecords[0][0], 0);
        f.answers.files << f.path("board.osv");
        f.window->action("mnuFileOpen")->trigger();
        QCOMPARE(f.window->state().dataSetRecords[0][0], 8);
        QCOMPARE(values(), before);
    }

    void cancelledDialogsChangeNothing() {
        Fixture f;
        f.start();
        f.window->action("mnuFileSaveAs")->trigger();
        f.window->action("mnuSaveTxtCh")->trigger();
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 0);
    }

    void textExportOfATwoKRecord() {
        Fixture f;
        f.start();
        std::memset(f.plane(0, 0), 0x0C, 4096);
        std::memset(f.plane(0, 1), 0xA5, 4096);
        std::memset(f.plane(0, 2), 0x05, 4096);
        f.answers.files << f.path("table.txt");
        f.window->action("mnuSaveTxtCh")->trigger();
        QFile t(f.path("table.txt"));
        QVERIFY(t.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = t.readAll().split('\n');
        QCOMPARE(lines.size(), 2049 + 1);  // 2049 lines, each ended by CR LF
        QCOMPARE(lines[0], QByteArray("Position   D23-16     D15-8      D7-0\r"));
        QCOMPARE(lines[1], QByteArray("000001          05            A5            0C\r"));
    }

    void numberedSaveStopsAtTheLimit() {
        Fixture f;
        f.start();
        f.window->state().settings.captureMode = 1;
        f.window->action("menutime(0)")->trigger();
        QVERIFY(f.window->action("menutime(0)")->isChecked());
        QCOMPARE(f.window->state().saveLimit, 10);
        f.window->action("go")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->action("menutime(0)")->isChecked(), 20000);
        QTest::qWait(300);  // more captures: no more files
        f.window->action("stop")->trigger();
        QTRY_VERIFY(!f.window->captureRun().active());
        QStringList files = QDir(f.dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 20);
        for (int i = 0; i < 10; ++i) {
            QVERIFY(files.contains(QString("savedata %1.osv").arg(i)));
            QVERIFY(files.contains(QString("savedata %1.cfg").arg(i)));
        }
    }

    void defaultFileAtStartUpAndExit() {
        Fixture f;
        f.start();
        f.window->state().views[0].cursorA = 444;
        f.window->close();  // writes KV6830.ini into the start-up directory
        QVERIFY(QFile::exists(f.path("KV6830.ini")));
        // AutoSavesetting 0: only the header is taken at the next start.
        Fixture g;
        QFile::copy(f.path("KV6830.ini"), g.path("KV6830.ini"));
        g.start();
        QCOMPARE(g.window->state().views[0].cursorA, 30);
        // With "Auto Save Setting" checked everything comes back.
        g.window->state().views[0].cursorA = 555;
        g.window->action("mnuAutoSaveSetting")->trigger();
        g.window->close();
        Fixture h;
        QFile::copy(g.path("KV6830.ini"), h.path("KV6830.ini"));
        h.start();
        QCOMPARE(h.window->state().views[0].cursorA, 555);
        QVERIFY(h.window->action("mnuAutoSaveSetting")->isChecked());
    }

    void otherModelAndBrokenFilesAreRefused() {
        Fixture f;
        f.start();
        QFile bad(f.path("other.ini"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("Model=KV9999\r\nAutoSavesetting= 1 \r\n");
        bad.close();
        f.answers.files << f.path("other.ini");
        f.window->action("mnuLoadSetting")->trigger();
        QCOMPARE(f.answers.told.value(0), QString("Model or Version not match!!"));
        QFile cut(f.path("cut.ini"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(
            "Model=KV6830\r\nAutoSavesetting= 1 \r\nAutoLoadsetting= 0 \r\n\r\nosv47left\r\n");
        cut.close();
        f.window->state().views[0].cursorA = 99;
        f.answers.files << f.path("cut.ini");
        f.window->action("mnuLoadSetting")->trigger();
        QVERIFY(f.answers.told.value(1).contains("cut.ini"));
        QVERIFY(f.answers.told.value(1).contains("line 6"));
        QCOMPARE(f.window->state().views[0].cursorA, 99);
    }

    void failedSaveKeepsTheOldFile() {
        Fixture f;
        f.start();
        QDir(f.dir.path()).mkdir("taken.ini");  // a directory where the file should go
        f.answers.files << f.path("taken.ini");
        f.window->action("mnuSaveSetting")->trigger();
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains("is a folder; it was left as it is"));
        QVERIFY(QFileInfo(f.path("taken.ini")).isDir());
    }

    // Save Data writes only under the name of a data file; settings and text names never
    // become data names.
    void saveDataWritesOnlyUnderTheDataFileName() {
        Fixture f;
        f.start();
        for (int k = 0; k < 3; ++k)
            std::memset(f.plane(0, k), 0x21 + k, 131072);
        f.command("mnuSaveSetting", f.path("mysettings"));
        f.command("mnuSaveTxtCh", f.path("table"));
        const QByteArray settings = f.bytes("mysettings.ini"), table = f.bytes("table.txt");
        QVERIFY(settings.startsWith("Model=KV6830\r\n"));
        QVERIFY(table.startsWith("Position"));
        // No data file yet: Save Data asks for one.
        f.command("mnuFileSave", f.path("run1"));
        QCOMPARE(f.bytes("run1.osv").size(), 10 * 2016);
        QCOMPARE(f.bytes("run1.osv").at(2016), char(0x22));
        QVERIFY(f.bytes("run1.cfg").startsWith("Model=KV6830\r\n"));
        QCOMPARE(f.bytes("mysettings.ini"), settings);
        QCOMPARE(f.bytes("table.txt"), table);
        // Another settings file and a text export later, Save Data still writes run1.osv.
        f.command("mnuSaveSetting", f.path("other"));
        f.command("mnuSaveTxtCh", f.path("table2"));
        const QByteArray other = f.bytes("other.ini"), table2 = f.bytes("table2.txt");
        std::memset(f.plane(0, 0), 0x55, 131072);
        f.window->action("mnuFileSave")->trigger();
        QCOMPARE(f.bytes("run1.osv").at(0), char(0x55));
        QCOMPARE(f.bytes("other.ini"), other);
        QCOMPARE(f.bytes("table2.txt"), table2);
        // Load Data names the data file too; a name typed without extension finds it.
        f.command("mnuFileSaveAs", f.path("second"));
        const QByteArray second = f.bytes("second.osv");
        f.command("mnuFileOpen", f.path("run1"));
        std::memset(f.plane(0, 1), 0x66, 131072);
        f.window->action("mnuFileSave")->trigger();
        QCOMPARE(f.bytes("run1.osv").at(2016), char(0x66));
        QCOMPARE(f.bytes("second.osv"), second);
        QVERIFY2(f.answers.told.isEmpty(), qPrintable(f.answers.told.join("|")));
        QVERIFY(f.answers.askedToReplace.isEmpty());
    }

    // Typed names get the command's extension; the settings file of a data file takes the
    // place of the last three characters of its name, and never of the folder's.
    void namesGetTheirExtensionAndCompanion() {
        Fixture f;
        f.start();
        QVERIFY(QDir(f.dir.path()).mkdir("chosen"));
        f.command("mnuFileSaveAs", f.path("demo1"));
        f.command("mnuFileSaveAs", f.path("chosen/ab"));
        f.command("mnuFileSaveAs", f.path("trace"));
        f.command("mnuFileSaveAs", f.path("Messung-\u00e4\u00f6\u00fc"));
        f.command("mnuSaveSetting", f.path("setup"));
        f.command("mnuSaveTxtCh", f.path("listing"));
        // KV6830.ini: none was written yet, the program has not been closed.
        const QStringList expected = {"Messung-\u00e4\u00f6\u00fc.cfg",
                                      "Messung-\u00e4\u00f6\u00fc.osv",
                                      "chosen",
                                      "demo1.cfg",
                                      "demo1.osv",
                                      "listing.txt",
                                      "setup.ini",
                                      "trace.cfg",
                                      "trace.osv"};
        QCOMPARE(f.entries(), expected);
        QCOMPARE(QDir(f.path("chosen")).entryList(QDir::Files, QDir::Name),
                 QStringList({"ab.cfg", "ab.osv"}));
        QVERIFY(f.answers.told.isEmpty());
        // What Save wrote, Load finds under the name the user knows.
        std::memset(f.plane(0, 0), 0x00, 131072);
        f.window->state().currentView = 0;
        f.command("mnuFileOpen", f.path("Messung-\u00e4\u00f6\u00fc.osv"));
        QVERIFY(f.answers.told.isEmpty());
        QCOMPARE(f.window->state().currentDataFile,
                 f.path("Messung-\u00e4\u00f6\u00fc.osv").toStdString());
    }

    // A file that no dialog asked about is replaced only after a yes.
    void replacingAFileAsksFirst() {
        Fixture f;
        f.start();
        f.put("demo1.osv", "the user's own data");
        f.command("mnuFileSaveAs", f.path("demo1"));
        QCOMPARE(f.answers.askedToReplace, QStringList{f.path("demo1.osv")});
        QCOMPARE(f.bytes("demo1.osv"), QByteArray("the user's own data"));
        QVERIFY(!QFile::exists(f.path("demo1.cfg")));
        f.answers.replaceAnswers << true;
        f.command("mnuFileSaveAs", f.path("demo1"));
        QCOMPARE(f.bytes("demo1.osv").size(), 10 * 2016);
        // A settings file beside a new data file may be anyone's.
        f.put("fresh.cfg", "someone's settings");
        f.command("mnuFileSaveAs", f.path("fresh"));
        QCOMPARE(f.answers.askedToReplace.last(), f.path("fresh.cfg"));
        QCOMPARE(f.bytes("fresh.cfg"), QByteArray("someone's settings"));
        QVERIFY(!QFile::exists(f.path("fresh.osv")));
        f.put("setup.ini", "kept");
        f.command("mnuSaveSetting", f.path("setup"));
        QCOMPARE(f.bytes("setup.ini"), QByteArray("kept"));
        f.put("t.txt", "kept too");
        f.command("mnuSaveTxtCh", f.path("t"));
        QCOMPARE(f.bytes("t.txt"), QByteArray("kept too"));
        QCOMPARE(f.answers.askedToReplace.size(), 5);
    }

    // A KV6830.ini refused at start-up survives the exit; the session's settings go beside
    // it, and both messages say where.
    void refusedDefaultFileIsKeptAtExit() {
        const QByteArray other = "Model=KV9999\r\nAutoSavesetting= 1 \r\n";
        const QByteArray cut =
            "Model=KV6830\r\nAutoSavesetting= 1 \r\nAutoLoadsetting= 0 \r\n\r\nosv47left\r\n";
        for (const QByteArray &content : {other, cut}) {
            Fixture f;
            f.put("KV6830.ini", content);
            f.start();
            QCOMPARE(f.answers.told.size(), 1);
            const QString told = f.answers.told[0];
            if (content == other) QVERIFY(told.startsWith("Model or Version not match!!"));
            if (content == cut) QVERIFY(told.contains("line 6"));
            QVERIFY(told.contains("KV6830.ini is kept as it is"));
            QVERIFY(told.contains(f.path("KV6830-1.ini")));
            f.window->state().views[0].cursorA = 321;
            QVERIFY(f.window->close());
            QCOMPARE(f.bytes("KV6830.ini"), content);
            QVERIFY(f.bytes("KV6830-1.ini").startsWith("Model=KV6830\r\n"));
            QCOMPARE(f.answers.told.size(), 2);
            QVERIFY(f.answers.told[1].contains(f.path("KV6830-1.ini")));
        }
        // Saving over it by choice makes it the exit file again.
        Fixture g;
        g.put("KV6830.ini", other);
        g.start();
        g.command("mnuSaveSetting", g.path("KV6830.ini"));
        QVERIFY(g.window->close());
        QVERIFY(g.bytes("KV6830.ini").startsWith("Model=KV6830\r\n"));
        QVERIFY(!QFile::exists(g.path("KV6830-1.ini")));
    }

    // Empty files and folders are named as what they are, not as another model.
    void settingsFilesThatCannotBeReadAreNamed() {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("KV6830.ini"));
        f.start();
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains("KV6830.ini is a folder, not a settings file"));
        QVERIFY(!f.answers.told[0].contains("Model or Version"));
        f.put("empty.ini", "");
        f.window->state().views[0].cursorA = 77;
        f.command("mnuLoadSetting", f.path("empty.ini"));
        QCOMPARE(f.answers.told.value(1),
                 "The settings file " + f.path("empty.ini") + " is empty. Nothing was changed.");
        QCOMPARE(f.window->state().views[0].cursorA, 77);
        QVERIFY(f.window->close());
        QVERIFY(QFileInfo(f.path("KV6830.ini")).isDir());
        QVERIFY(QFile::exists(f.path("KV6830-1.ini")));
    }

    // A symbolic link KV6830.ini stays a link; its target gets the settings.
    void linkedDefaultFileStaysLinked() {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("shared"));
        f.put("shared/KV6830.ini", "");
        QVERIFY(QFile::link("shared/KV6830.ini", f.path("KV6830.ini")));
        f.answers.told.clear();
        f.start();  // empty: told, kept
        f.answers.told.clear();
        f.put("shared/KV6830.ini", "");
        f.window->state().views[0].cursorA = 4321;
        f.command("mnuSaveSetting", f.path("KV6830.ini"));  // the user chose to replace it
        QVERIFY(f.window->close());
        QVERIFY(QFileInfo(f.path("KV6830.ini")).isSymLink());
        QVERIFY(f.bytes("shared/KV6830.ini").startsWith("Model=KV6830\r\n"));
        QVERIFY(f.answers.told.isEmpty());
    }

    // The exit save fails: a message box, and the choice to stay.
    void failedExitSaveAsksToLeave() {
        Fixture f;
        f.start();
        f.command("mnuSaveSetting", f.path("KV6830.ini"));
        const QByteArray before = f.bytes("KV6830.ini");
        setFile(f.path("KV6830.ini"), kReadOnly);
        f.answers.leave = false;
        QVERIFY(!f.window->close());
        QCOMPARE(f.answers.leaveTexts.size(), 1);
        QVERIFY(f.answers.leaveTexts[0].contains(f.path("KV6830.ini") + " is read-only"));
        QVERIFY(f.answers.leaveTexts[0].contains("lost"));
        // Still running: a capture can be made and saved.
        f.command("mnuFileSaveAs", f.path("after"));
        QVERIFY(QFile::exists(f.path("after.osv")));
        f.answers.leave = true;
        QVERIFY(f.window->close());
        QCOMPARE(f.answers.leaveTexts.size(), 2);
        QCOMPARE(f.bytes("KV6830.ini"), before);
    }

    // A numbered series that cannot write: one message, the run stops, the series stays
    // checked and unfinished, and the next run goes on from the same number.
    void failingNumberedSeriesStopsUnfinished() {
        Fixture f;
        f.start();
        f.window->state().settings.captureMode = 1;
        f.window->action("menutime(0)")->trigger();
        QVERIFY(QDir(f.dir.path()).mkdir("savedata 0.cfg"));  // in the way of the first save
        f.window->action("go")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->captureRun().active(), 20000);
        QTest::qWait(200);
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains(f.path("savedata 0.cfg") + " is a folder"));
        QVERIFY(f.answers.told[0].contains("unfinished"));
        QVERIFY(f.window->action("menutime(0)")->isChecked());
        QCOMPARE(f.window->state().saveCounter, 0);
        QVERIFY(!QFile::exists(f.path("savedata 0.osv")));
        QVERIFY(QDir(f.dir.path()).rmdir("savedata 0.cfg"));
        f.window->action("go")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->action("menutime(0)")->isChecked(), 20000);
        f.window->action("stop")->trigger();
        QTRY_VERIFY(!f.window->captureRun().active());
        for (int i = 0; i < 10; ++i)
            QVERIFY(QFile::exists(f.path(QString("savedata %1.osv").arg(i))));
        QCOMPARE(f.answers.told.size(), 1);
    }

    // A data file of another memory depth, or of no depth, is refused before anything
    // changes, its settings included.
    void dataFileOfAnotherDepthIsRefused() {
        Fixture f;
        f.start();
        std::memset(f.plane(0, 0), 0x31, 131072);
        f.command("mnuFileSaveAs", f.path("two"));
        // Its settings file now says 128k and a cursor the session does not have.
        f.window->state().settings.memoryDepthIndex = 1;
        f.window->state().views[0].cursorA = 777;
        f.command("mnuSaveSetting", f.path("two.cfg"));
        f.window->state().settings.memoryDepthIndex = 0;
        f.window->state().views[0].cursorA = 30;
        std::memset(f.plane(0, 0), 0x44, 131072);
        f.command("mnuFileOpen", f.path("two.osv"));
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains("holds data of the memory depth 2k"));
        QVERIFY(f.answers.told[0].contains("the memory depth is 128k"));
        QCOMPARE(f.window->state().views[0].cursorA, 30);
        QCOMPARE(int(f.window->state().settings.memoryDepthIndex), 0);
        QCOMPARE(int(f.plane(0, 0)[0]), 0x44);
        QCOMPARE(f.window->state().currentFileName, f.path("two.cfg").toStdString());
        // Cut short, and no settings file: refused with its size.
        QFile::remove(f.path("two.cfg"));
        f.put("cut.osv", f.bytes("two.osv").left(20000));
        f.command("mnuFileOpen", f.path("cut.osv"));
        QVERIFY(f.answers.told.value(1).contains("20000 bytes"));
        QCOMPARE(int(f.plane(0, 0)[0]), 0x44);
        // The whole file loads.
        f.command("mnuFileOpen", f.path("two.osv"));
        QCOMPARE(f.answers.told.size(), 2);
        QCOMPARE(int(f.plane(0, 0)[0]), 0x31);
    }

    // Permissions, as an ordinary user: read-only and unreadable files, a folder that takes
    // no new files, and a numbered series and exit save that cannot write.
    void permissionCasesAsAnOrdinaryUser() {
        const std::string why = kv::test::becomeOrdinaryUser();
        if (!why.empty()) QSKIP(why.c_str());
        Fixture f;
        f.start();
        f.put("ro.osv", "read-only data");
        setFile(f.path("ro.osv"), kReadOnly);
        f.command("mnuFileSaveAs", f.path("ro.osv"));
        QCOMPARE(f.answers.told.size(), 1);
        QVERIFY(f.answers.told[0].contains(f.path("ro.osv") + " is read-only"));
        QCOMPARE(f.bytes("ro.osv"), QByteArray("read-only data"));
        QVERIFY(!QFile::exists(f.path("ro.cfg")));

        f.command("mnuSaveSetting", f.path("secret"));
        setFile(f.path("secret.ini"), {});
        f.command("mnuLoadSetting", f.path("secret.ini"));
        QVERIFY(
            f.answers.told.value(1).contains("secret.ini could not be read: Permission denied"));

        QVERIFY(QDir(f.dir.path()).mkdir("locked"));
        f.put("locked/keep.ini", "old");
        setFile(f.path("locked/keep.ini"), kReadOnly | QFile::WriteOwner | QFile::WriteUser);
        setFile(f.path("locked"), kReadOnly | QFile::ExeOwner | QFile::ExeUser);
        f.command("mnuSaveSetting", f.path("locked/keep.ini"));
        QCOMPARE(f.answers.told.size(), 2);
        QVERIFY(f.bytes("locked/keep.ini").startsWith("Model=KV6830\r\n"));

        // The working folder takes no more files.
        setFile(f.dir.path(), kReadOnly | QFile::ExeOwner | QFile::ExeUser);
        f.window->state().settings.captureMode = 1;
        f.window->action("menutime(0)")->trigger();
        f.window->action("go")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->captureRun().active(), 20000);
        QCOMPARE(f.answers.told.size(), 3);
        QVERIFY(f.answers.told[2].contains("Permission denied"));
        QVERIFY(f.window->action("menutime(0)")->isChecked());
        f.answers.leave = false;
        QVERIFY(!f.window->close());
        QVERIFY(f.answers.leaveTexts.value(0).contains("Permission denied"));
        const QFile::Permissions all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        setFile(f.dir.path(), all);
        setFile(f.path("locked"), all);
        QVERIFY(f.window->close());
        QVERIFY(f.bytes("KV6830.ini").startsWith("Model=KV6830\r\n"));
    }

    // Hard links, mode and long names, through the menus.
    void linksModesAndLongNamesAreKept() {
        Fixture f;
        f.start();
        std::memset(f.plane(0, 0), 0x5A, 131072);
        f.put("a.osv", "old data");
        QVERIFY(::link(f.path("a.osv").toLocal8Bit().constData(),
                       f.path("b.osv").toLocal8Bit().constData()) == 0);
        const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                        QFile::WriteUser | QFile::ReadGroup;
        setFile(f.path("a.osv"), mode);
        f.command("mnuFileSaveAs", f.path("a.osv"));
        QCOMPARE(f.bytes("b.osv").size(), 10 * 2016);
        QCOMPARE(f.bytes("b.osv").at(0), char(0x5A));
        QCOMPARE(QFile::permissions(f.path("a.osv")), mode);
        const QString longest = QString(251, 'n') + ".ini";  // 255 bytes, the most there is
        f.command("mnuSaveSetting", f.path(longest));
        QVERIFY(f.bytes(longest).startsWith("Model=KV6830\r\n"));
        f.command("mnuSaveSetting", f.path(longest));  // and again, over itself
        QVERIFY(f.answers.told.isEmpty());
        QCOMPARE(f.entries().size(), 4);  // a.osv, a.cfg, b.osv and the long name
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
