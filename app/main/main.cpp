#include <QApplication>

#include "main/main_window.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    kv::app::MainWindow window;
    window.show();
    return app.exec();
}
