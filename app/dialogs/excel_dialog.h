// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "dialogs/sheet_export.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kv::app {

class XlsxWorkbook;

// What the export needs from the program.
struct ExcelHooks {
    std::function<SheetSource()> source;        // the current view's data set
    std::function<QString()> chooseFile;        // where to save; empty when cancelled
    std::function<void(const QString &)> tell;  // a message to the user
    std::function<void(const QString &)> open;  // shows the saved workbook
};

// frmExcel, "Data Output Option": copies a range of samples of the current view's data set
// into a new workbook, one row per sample and one column per chosen byte and format. The
// rows are written a few at a time so that "Abort" and the window stay live.
class ExcelDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExcelDialog(ExcelHooks hooks, QWidget *parent = nullptr);
    ~ExcelDialog() override;
    bool exporting() const { return m_export != nullptr; }

  protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    void ok();
    void step();
    void finish();
    SheetChoice choice() const;

    ExcelHooks m_hooks;
    std::array<QCheckBox *, 3> m_section{};
    std::array<std::array<QCheckBox *, 4>, 3> m_format{};
    std::array<QLineEdit *, 2> m_adds{};
    QPushButton *m_ok = nullptr, *m_abort = nullptr;
    QProgressBar *m_progress = nullptr;
    QTimer *m_timer = nullptr;
    QString m_path;
    std::unique_ptr<XlsxWorkbook> m_workbook;
    std::unique_ptr<SheetExport> m_export;
};

}  // namespace kv::app
