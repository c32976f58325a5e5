// The data file and settings commands of the main window, with the real libraries.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "main/library_device.h"
#include "main/main_window.h"
#include "main/settings_file.h"

using namespace kv::app;

namespace {

class Answers : public StartupQuestions {
  public:
    QStringList files;  // answers to file dialogs, in order
    QStringList told;
    bool viewCount(const MemoryCheck &) override { return true; }
    Detection detection(const QString &, bool found) override {
        return found ? Detection::Ok : Detection::Cancel;
    }
    QString fileName(bool, const QString &, const QString &, const QString &,
                     const QString &) override {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    void tell(const QString &, const QString &text) override { told << text; }
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
};

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
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
