// SPDX-License-Identifier: GPL-3.0-or-later
// VCD and CSV through the File menu, read back by other tools and by the import.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "interop/vcd_reader.h"
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

    Fixture() {
        QDir::setCurrent(dir.path());
        window = std::make_unique<MainWindow>(device, &answers);
        window->startUp(1024ull * 1048576, 30);
    }
    ~Fixture() { QDir::setCurrent(previous); }
    QString path(const QString &name) const { return dir.filePath(name); }
    uint8_t *plane(int k) { return window->state().capture.plane(0, k); }
    uint32_t word(int s) { return plane(2)[s] << 16 | plane(1)[s] << 8 | plane(0)[s]; }
    // A single capture of the demonstration board (Cancel at detection); its trigger lies
    // 8 samples in, so the data set's samples start at 8.
    void capture() {
        window->state().settings.captureMode = 0;
        window->action("go")->trigger();
        auto *status = window->findChild<QLineEdit *>("Text21");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("Completed"), 5000);
        QTRY_VERIFY(!window->captureRun().active());
        QCOMPARE(window->state().dataSetRecords[0][0], 8);
    }
    void command(const QString &item, const QString &name) {
        answers.files << path(name);
        window->action(item)->trigger();
        QVERIFY(answers.files.isEmpty());
    }
    QByteArray bytes(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Runs a tool of another project; fails the test when it is missing or fails.
QByteArray run(const QString &program, const QStringList &arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) {
        QTest::qFail(qPrintable(program + " is missing: scripts/setup installs it"), __FILE__,
                     __LINE__);
        return {};
    }
    QProcess process;
    process.start(found, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        QTest::qFail(qPrintable(program + " failed: " + process.readAllStandardError()), __FILE__,
                     __LINE__);
    }
    return process.readAllStandardOutput();
}

}  // namespace

class TestOtherTools : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "none"); }

    void demonstrationCaptureThroughVcdReaders() {
        Fixture f;
        f.capture();
        const int first = 8, count = 2048 - 8;

        // A reader that takes single bits only gets every sample back, D0 in bit 0.
        f.command("mnuExportVcdChannels", "board");
        QVERIFY(QFile::exists(f.path("board.vcd")));
        run("sigrok-cli",
            {"-I", "vcd", "-i", f.path("board.vcd"), "-O", "binary", "-o", f.path("board.bin")});
        QByteArray samples = f.bytes("board.bin");
        if (samples.startsWith("META")) samples.remove(0, samples.indexOf('\n') + 1);
        QCOMPARE(samples.size(), 3 * count);
        for (int k = 0; k < count; ++k) {
            const uint32_t read = uint8_t(samples[3 * k]) | uint8_t(samples[3 * k + 1]) << 8 |
                                  uint8_t(samples[3 * k + 2]) << 16;
            QCOMPARE(read, f.word(first + k));
        }

        // With the group vectors: the waveform viewer's converter takes it, and its own
        // file written back as VCD holds the same samples.
        f.command("mnuExportVcd", "groups.vcd");
        const QByteArray text = f.bytes("groups.vcd");
        QVERIFY(text.contains("$var wire 24 9 Hexdecimal [23:0] $end"));
        QVERIFY(text.contains("$timescale 10 ns $end\n$timezero -60 $end"));  // cursor T at 60
        run("vcd2fst", {f.path("groups.vcd"), f.path("groups.fst")});
        QVERIFY(QFileInfo(f.path("groups.fst")).size() > 0);
        const QByteArray back = run("fst2vcd", {f.path("groups.fst")});
        std::istringstream in(back.toStdString());
        std::array<std::string, kv::interop::kChannels> names;
        for (size_t n = 0; n < names.size(); ++n)
            names[n] = f.window->state().channelNames[n];
        const kv::interop::VcdImport file = kv::interop::readVcd(in, names, 10000, count);
        QVERIFY2(file.ok, file.error.c_str());
        QCOMPARE(file.fileSamples, count);
        for (int k = 0; k < count; ++k) {
            const auto s = static_cast<size_t>(k);
            const uint32_t read =
                file.planes[2][s] << 16 | file.planes[1][s] << 8 | file.planes[0][s];
            QCOMPARE(read, f.word(first + k));
        }
    }

    void csvThroughAnotherToolsVcdImportsBack() {
        Fixture f;
        f.capture();
        const int first = 8, count = 2048 - 8;
        f.command("mnuExportCsv", "board.csv");
        const QList<QByteArray> lines = f.bytes("board.csv").split('\n');
        QCOMPARE(lines.size(), 1 + count + 1);  // header, rows, nothing after the last LF
        QVERIFY(lines[0].startsWith("Time (s),Chan D 0,Chan D 1,"));
        // Sample 0 of the file is 60 samples of 10 ns before cursor T.
        QVERIFY(lines[1].startsWith("-0.000000600000,"));
        QVERIFY(lines[61].startsWith("0.000000000000,"));

        run("sigrok-cli", {"-I", "csv:column_formats=t,24l:samplerate=100000000", "-i",
                           f.path("board.csv"), "-O", "vcd", "-o", f.path("other.vcd")});
        std::vector<uint32_t> exported;
        for (int k = 0; k < count; ++k)
            exported.push_back(f.word(first + k));
        for (int p = 0; p < 3; ++p)
            std::memset(f.plane(p), 0x5A, 2048);
        f.command("mnuImportVcd", "other.vcd");
        QCOMPARE(f.window->state().dataSetRecords[0][0], 0);
        for (int k = 0; k < count; ++k)
            QCOMPARE(f.word(k), exported[static_cast<size_t>(k)]);
        for (int k = count; k < 2048; ++k)
            QCOMPARE(f.word(k), exported.back());
        QCOMPARE(f.answers.told,
                 QStringList{"The file " + f.path("other.vcd") +
                             " was imported.\nThe file holds 2040 samples; the rest of the "
                             "2048-sample record keeps its last values."});

        // One row per change: the first sample, each change, and the last.
        f.command("mnuExportCsvChanges", "changes.csv");
        int expectedRows = 1;
        for (int k = 1; k < 2048; ++k)
            expectedRows += f.word(k) != f.word(k - 1) || k == 2047 ? 1 : 0;
        QCOMPARE(f.bytes("changes.csv").count('\n'), 1 + expectedRows);
    }

    void importTellsWhatItCannotMap() {
        Fixture f;
        const auto put = [&](const QString &name, const char *text) {
            QFile file(f.path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        put("bus.vcd",
            "$timescale 1 us $end\n$scope module top $end\n"
            "$var wire 1 ! Chan D 0 $end\n$var wire 1 \" sclk $end\n"
            "$var wire 8 # data [7:0] $end\n$upscope $end\n$enddefinitions $end\n"
            "#0\n1! 1\" b10101010 #\n#25\n0! z\"\n#30\n");
        for (int p = 0; p < 3; ++p)
            std::memset(f.plane(p), 0xFF, 2048);
        f.command("mnuImportVcd", "bus.vcd");
        // 10 ns samples: D0 is high for 25 us, longer than the 2048-sample record.
        for (int k = 0; k < 2048; ++k)
            QCOMPARE(f.word(k), 1u);
        QCOMPARE(f.answers.told.size(), 1);
        QString missing;
        for (int n = 1; n < 24; ++n)
            missing += QString(n > 1 ? ", " : "") + "Chan D " + QString::number(n);
        QCOMPARE(f.answers.told[0],
                 "The file " + f.path("bus.vcd") +
                     " was imported.\nSignals that no channel is named like, left out: sclk, "
                     "data [7:0] (8 bits).\nChannels the file has no signal for, set to 0: " +
                     missing +
                     ".\nThe file holds 3000 samples; the 952 after the record's 2048 "
                     "were left out.");

        // Channel 5 named like the file's clock takes it.
        f.window->state().channelNames[5] = "SCLK";
        f.command("mnuImportVcd", "bus.vcd");
        QCOMPARE(f.word(0), 1u | 1u << 5);
        QVERIFY(f.answers.told[1].contains("(z) values were taken as 0"));

        // Nothing a channel can take: told, and the data set stays as it was.
        put("none.vcd",
            "$timescale 1 ns $end\n$var wire 1 ! clk $end\n$enddefinitions $end\n#0 1!\n");
        f.command("mnuImportVcd", "none.vcd");
        QCOMPARE(f.answers.told[2], "The file " + f.path("none.vcd") +
                                        " was not imported (line 3: no signal of the file is "
                                        "named like a channel). Nothing was changed.");
        QCOMPARE(f.word(0), 1u | 1u << 5);
    }
};

QTEST_MAIN(TestOtherTools)
#include "tst_other_tools.moc"
