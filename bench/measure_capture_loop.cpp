// Measures the program's capture loop against the demonstration unit, through the whole
// program path (start, poll, read-out, redraw): captures per second in Normal mode, free
// run, 2K, 100 MHz; and the processor time the program uses while a run waits for a
// trigger that never comes. Run on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bin/measure_capture_loop
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

#include "main/library_device.h"
#include "main/main_window.h"

namespace {

class Answers : public kv::app::StartupQuestions {
  public:
    bool viewCount(const kv::app::MemoryCheck &) override { return false; }  // two views
    Detection detection(const QString &, bool found) override {
        return found ? Detection::Ok : Detection::Cancel;
    }
};

double processSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
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
    window.toggleView(1);  // two views open, both redrawn after every capture
    auto *count = window.findChild<QLineEdit *>("Text22");

    window.state().settings.captureMode = 1;
    window.action("go")->trigger();
    QTest::qWait(500);  // settle
    const int first = count->text().toInt();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(5000);
    const int captures = count->text().toInt() - first;
    const double perSecond = captures * 1000.0 / static_cast<double>(clock.elapsed());
    window.action("stop")->trigger();
    QTest::qWait(200);

    window.state().settings.triggerWord = "XXXXXXXX 11111111 XXXXXXXX";
    window.action("go")->trigger();
    QTest::qWait(500);
    const double cpu0 = processSeconds();
    clock.restart();
    QTest::qWait(5000);
    const double cpuShare =
        (processSeconds() - cpu0) / (static_cast<double>(clock.elapsed()) / 1000.0);
    window.action("stop")->trigger();
    QTest::qWait(200);

    std::printf("captures per second (Normal, free run, 2K, 100 MHz): %.1f (goal >= 16)\n",
                perSecond);
    std::printf("processor time while waiting for a trigger: %.1f %% of one core (goal <= 5)\n",
                cpuShare * 100.0);
    return 0;
}
