// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/range_print_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "timing/view_model.h"

namespace kv::app {

RangePrintDialog::RangePrintDialog(const ProgramState &state, int view, QWidget *parent)
    : QDialog(parent), m_state(state) {
    setObjectName("frmPrintRange");
    setWindowTitle("Print range");
    m_request.view = view;
    const ViewState &v = state.views[static_cast<size_t>(view)];
    const int32_t shown =
        static_cast<int32_t>(ZoomRatio(v.pixelsPerSample).toSamples(std::max(v.drawingWidth, 1)));
    const int32_t first = std::clamp(v.screenStart, 0, state.recordLength - 1);
    const int32_t last = std::clamp(first + std::max(shown, 1) - 1, first, state.recordLength - 1);

    m_first = new QLineEdit(QString::number(first), this);
    m_first->setObjectName("txtFirst");
    m_last = new QLineEdit(QString::number(last), this);
    m_last->setObjectName("txtLast");
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName("cboZoom");
    for (const ZoomStep &z : kZoomList)
        m_zoom->addItem(z.caption, z.itemData);
    m_zoom->setCurrentIndex(std::clamp<int>(v.zoomIndex, 0, 12));
    m_listing = new QCheckBox("State listing of the range", this);
    m_listing->setObjectName("chkListing");
    m_printer = new QRadioButton("Printer", this);
    m_printer->setObjectName("optPrinter");
    m_printer->setChecked(true);
    m_pdf = new QRadioButton("PDF file", this);
    m_pdf->setObjectName("optPdf");
    m_error = new QLabel(this);
    m_error->setObjectName("lblError");
    m_error->setStyleSheet("color: #b00000");
    m_error->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QString("First sample (0 to %1):").arg(state.recordLength - 1), m_first);
    form->addRow("Last sample:", m_last);
    form->addRow("Zoom:", m_zoom);
    form->addRow(m_listing);
    auto *target = new QHBoxLayout;
    target->addWidget(m_printer);
    target->addWidget(m_pdf);
    form->addRow("Print to:", target);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOk");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_error);
    layout->addWidget(buttons);
}

bool RangePrintDialog::toPdf() const {
    return m_pdf->isChecked();
}

void RangePrintDialog::accept() {
    const RangeInput in = checkRange(m_first->text().toStdString(), m_last->text().toStdString(),
                                     m_state.recordLength);
    if (!in.ok) {
        m_error->setText(QString::fromStdString(in.error));
        return;
    }
    m_error->clear();
    m_request.first = in.first;
    m_request.last = in.last;
    m_request.zoomIndex = m_zoom->currentIndex();
    m_request.listing = m_listing->isChecked();
    QDialog::accept();
}

}  // namespace kv::app
