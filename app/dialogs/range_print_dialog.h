// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "dialogs/range_print.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kv::app {

// "Print range": the samples, the zoom they are drawn at, the listing, and whether they go
// to the printer or into a PDF file. A range that cannot be printed is named in the window,
// which stays open with what was typed.
class RangePrintDialog : public QDialog {
    Q_OBJECT
  public:
    // Starts from what the view shows: its screen from the first visible sample, its zoom.
    RangePrintDialog(const ProgramState &state, int view, QWidget *parent = nullptr);

    RangeRequest request() const { return m_request; }
    bool toPdf() const;

    void accept() override;

  private:
    const ProgramState &m_state;
    RangeRequest m_request;
    QLineEdit *m_first = nullptr, *m_last = nullptr;
    QComboBox *m_zoom = nullptr;
    QCheckBox *m_listing = nullptr;
    QRadioButton *m_printer = nullptr, *m_pdf = nullptr;
    QLabel *m_error = nullptr;
};

}  // namespace kv::app
