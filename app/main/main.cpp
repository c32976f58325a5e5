// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/library_device.h"
#include "main/main_window.h"
#include "simunit/attach.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kv6830");
    // A simulated unit asked for but not understood is said, not silently replaced by
    // whatever hardware happens to be there.
    if (const char *setting = std::getenv("KV6830_SIMULATE"); setting && *setting) {
        std::string why;
        if (!kv::sim::parseAttachment(setting, &why)) {
            std::fprintf(stderr, "kv6830: %s\n", why.c_str());
            QMessageBox::critical(nullptr, "KV-6830", QString::fromStdString(why));
            return 2;
        }
    }
    kv::app::LibraryDevice device([](const std::string &why) {
        QMessageBox::critical(nullptr, "KV-6830", QString::fromStdString(why));
    });
    kv::app::MainWindow window(device);
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.startUp(); });
    return app.exec();
}
