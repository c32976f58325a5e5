#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "main/library_device.h"
#include "main/main_window.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kv6830");
    kv::app::LibraryDevice device([](const std::string &why) {
        QMessageBox::critical(nullptr, "KV-6830", QString::fromStdString(why));
    });
    kv::app::MainWindow window(device);
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.startUp(); });
    return app.exec();
}
