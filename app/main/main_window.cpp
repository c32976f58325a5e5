#include "main/main_window.h"

#include <QMdiArea>

namespace kv::app {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    setObjectName("MainWindow");
    setWindowTitle("KV-6830A");
    m_mdi = new QMdiArea(this);
    setCentralWidget(m_mdi);
    resize(1024, 700);
}

}  // namespace kv::app
