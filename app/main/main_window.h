#pragma once

#include <QMainWindow>

class QMdiArea;

namespace kv::app {

// The program's multiple-document main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget *parent = nullptr);

  private:
    QMdiArea *m_mdi = nullptr;
};

}  // namespace kv::app
