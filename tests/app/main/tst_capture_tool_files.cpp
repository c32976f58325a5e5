// SPDX-License-Identifier: GPL-3.0-or-later
// The files kv6830-capture writes are the program's: the same triggered capture of the
// simulated unit, made once in the window (Run, then File > Save Data As) and once with
// the tool, gives the same data file and the same settings file, but for the window's
// place on the screen, which only the window has.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "../scripted_answers.h"
#include "core/library_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"

using namespace kv::app;

namespace {

// The settings lines that hold the main window's and the Parameters window's places.
const QStringList kPlaceKeys = {"osv47left",   "osv47top",  "osv47width",
                                "osv47height", "form2left", "form2top"};

QList<QByteArray> withoutPlaces(const QByteArray &settings) {
    QList<QByteArray> lines = settings.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QString key = QString::fromLatin1(lines[i]).trimmed().remove('"');
        if (kPlaceKeys.contains(key)) lines[i + 1] = "(place)";
    }
    return lines;
}

}  // namespace

class TestCaptureToolFiles : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("KV6830_SIMULATE", "usb2"); }

    void toolWritesTheFilesTheProgramWrites() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        kvtest::ScriptedAnswers answers;
        QStringList errors;
        LibraryDevice device([&errors](const std::string &e) { errors << e.c_str(); });
        MainWindow window(device, &answers);
        window.startUp(1024ull * 1048576, 30);

        // 1MSa(1us) is item 6 of the rate list; Single is mode 0.
        window.findChild<QScrollBar *>("VScroll5")->setValue(6);
        window.findChild<QScrollBar *>("VScroll3")->setValue(0);
        const QString word = "XXXXXXXX 0000XXXX 00010000";
        window.panel()->triggerWordBox()->setText(word);
        window.panel()->triggerWordEdited(word, false);
        window.action("go")->trigger();
        auto *status = window.findChild<QLineEdit *>("Text21");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("Completed"), 10000);
        QTRY_VERIFY(!window.captureRun().active());
        answers.files << dir.filePath("window.osv");
        window.action("mnuFileSaveAs")->trigger();
        QVERIFY(answers.told.isEmpty());

        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(KV_CAPTURE_TOOL, {"--rate", "1MSa", "--trigger-word", word, "-o", "tool.osv"});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 0);

        const auto bytes = [&dir](const QString &name) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QCOMPARE(bytes("tool.osv").size(), 10 * 2016);
        QVERIFY(bytes("tool.osv") == bytes("window.osv"));
        const QList<QByteArray> fromTool = withoutPlaces(bytes("tool.cfg"));
        const QList<QByteArray> fromWindow = withoutPlaces(bytes("window.cfg"));
        QCOMPARE(fromTool.size(), fromWindow.size());
        for (int i = 0; i < fromTool.size(); ++i) {
            if (fromTool[i] != fromWindow[i]) {
                QFAIL(qPrintable(QString("line %1: the tool wrote \"%2\", the window \"%3\"")
                                     .arg(i + 1)
                                     .arg(QString::fromLatin1(fromTool[i]).trimmed(),
                                          QString::fromLatin1(fromWindow[i]).trimmed())));
            }
        }
        QVERIFY(errors.isEmpty());
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(TestCaptureToolFiles)
#include "tst_capture_tool_files.moc"
