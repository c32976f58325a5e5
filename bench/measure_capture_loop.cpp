// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the program's capture loop against the demonstration unit, through the whole
// program path (start, poll, read-out, redraw): captures per second in Normal mode, free
// run, 2K, 100 MHz; and the processor time the program uses while a run waits for a
// trigger that never comes. Run on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bin/measure_capture_loop
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "core/library_device.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"

namespace {

class Answers : public kv::app::StartupQuestions {
  public:
    bool viewCount(const kv::app::MemoryCheck &) override { return false; }  // two views
    Detection detection(const QString &, bool found) override {
        return found ? Detection::Ok : Detection::Cancel;
    }
};

// The program's own event loop for `ms` milliseconds. (QTest::qWait would sleep 10 ms
// between its rounds of events and hold every polling step back by that much.)
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double processSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The baseline of the same run: the bare device calls of one free-run capture (start,
// poll until complete, read-out) into data set 0, with no window in between.
double bareCapturesPerSecond(kv::app::MainWindow &window, kv::app::DeviceApi &device, int ms) {
    kv::app::ProgramState &s = window.state();
    const auto start = window.captureRun().startArguments(0);
    s.readFlags = {1, 1, 1};
    const auto end = window.captureRun().endArguments(0);
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (clock.elapsed() < ms) {
        device.startCapture1(start);
        while (device.getTrigStat1(s.portBase, s.selectionBlock.data(), s.stateBlock.data()) != 3) {
        }
        device.endCapture1(end);
        ++n;
    }
    return n * 1000.0 / static_cast<double>(clock.elapsed());
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("KV6830_SIMULATE", "none");
    QApplication app(argc, argv);
    Answers answers;
    kv::app::LibraryDevice device(
        [](const std::string &e) { std::fprintf(stderr, "%s\n", e.c_str()); });
    kv::app::MainWindow window(device, &answers);
    window.startUp(1024ull * 1048576, 30);
    window.show();         // shown, so that the views have their size and paint on screen
    window.toggleView(1);  // two views open, both redrawn after every capture
    window.action("windowTileVertical")->trigger();
    auto *count = window.findChild<QLineEdit *>("Text22");

    window.state().settings.captureMode = 1;
    window.action("go")->trigger();
    runFor(500);  // settle
    const int first = count->text().toInt();
    QElapsedTimer clock;
    clock.start();
    runFor(5000);
    const int captures = count->text().toInt() - first;
    const double perSecond = captures * 1000.0 / static_cast<double>(clock.elapsed());
    window.action("stop")->trigger();
    runFor(200);

    // The word goes in as the user's edit would: the check before the run reads the box.
    const QString word = "XXXXXXXX 11111111 XXXXXXXX";
    window.panel()->triggerWordBox()->setWord(word);
    window.panel()->triggerWordEdited(word, false);
    window.action("go")->trigger();
    runFor(500);
    const double cpu0 = processSeconds();
    clock.restart();
    runFor(5000);
    const double cpuShare =
        (processSeconds() - cpu0) / (static_cast<double>(clock.elapsed()) / 1000.0);
    window.action("stop")->trigger();
    runFor(200);

    const QString freeRun = "XXXXXXXX XXXXXXXX XXXXXXXX";
    window.panel()->triggerWordBox()->setWord(freeRun);
    window.panel()->triggerWordEdited(freeRun, false);
    const double bare = bareCapturesPerSecond(window, device, 2000);

    std::printf("captures per second (Normal, free run, 2K, 100 MHz): %.1f (goal >= 60)\n",
                perSecond);
    std::printf(
        "baseline, bare device calls of the same capture: %.1f per second; "
        "program path / baseline = %.2f\n",
        bare, perSecond / bare);
    std::printf("processor time while waiting for a trigger: %.1f %% of one core (goal <= 5)\n",
                cpuShare * 100.0);
    return 0;
}
