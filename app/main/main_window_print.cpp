// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's printing commands: Print Setup, the picture of the screen or of a view
// with its preview, a sample range drawn over as many pages as it needs, a view saved as a
// picture, and the colour window.
#include <QAction>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>

#include "dialogs/color_window.h"
#include "dialogs/pdf_output.h"
#include "dialogs/print_form.h"
#include "dialogs/print_preview.h"
#include "dialogs/range_print_dialog.h"
#include "dialogs/topmost.h"
#include "dialogs/view_image.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

namespace kv::app {

void MainWindow::buildPrintCommands() {
    m_printForm = new PrintForm(this);
    const auto enable = [this](const QString &name, auto slot) {
        QAction *a = action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, slot);
    };
    enable("fileprintsetup", [this] { printSetup(); });
    enable("mnuPrintOut(0)", [this] { printMenuItem(0); });
    for (int i = 2; i <= 11; ++i)
        enable(QString("mnuPrintOut(%1)").arg(i), [this, i] { printMenuItem(i); });
    enable("mnuPrintRange", [this] { printRange(); });
    enable("mnuSaveViewImage", [this] { saveViewImage(); });
    enable("viewcolorname", [this] { showColours(); });
}

void MainWindow::printSetup() {
    // Whatever the dialog ends with, cancel included, leaves nothing to report.
    QPrintDialog dialog(&m_printForm->printer(), this);
    dialog.setObjectName("PrintSetupDialog");
    dialog.exec();
}

void MainWindow::printMenuItem(int index) {
    m_printForm->printOption(index, [this](int v) -> QWidget * {
        return v >= 0 && v < static_cast<int>(m_subWindows.size())
                   ? m_subWindows[static_cast<size_t>(v)]
                   : nullptr;
    });
    if (!m_preview)
        m_preview = new PrintPreview([this](const QString &title) { printPicture(title); }, this);
    m_preview->load(m_printForm->picture(), windowTitle());
    m_preview->show();
    m_preview->raise();
}

bool MainWindow::pdfTarget(QString &path, const QString &title) {
    path.clear();
    const QPrinter &printer = m_printForm->printer();
    if (printer.outputFormat() != QPrinter::PdfFormat || !printer.outputFileName().isEmpty())
        return true;
    path = chooseSaveName(title, "PDF Files (*.pdf)", "pdf");
    return !path.isEmpty();
}

void MainWindow::printPicture(const QString &title) {
    QString pdf;
    if (!pdfTarget(pdf, "Print to PDF file")) return;
    const PicturePlacement placed = m_printForm->print(title, pdf);
    if (!placed.printed) m_questions->tell("Print", placed.error);
}

void MainWindow::printRange() {
    const int v = std::clamp(m_state.currentView, 0, m_state.highestViewIndex);
    RangePrintDialog dialog(m_state, v, this);
    if (dialog.exec() != QDialog::Accepted) return;
    RangeRequest request = dialog.request();
    request.title = windowTitle() + " - " + QString("Timing View%1").arg(v + 1);
    QString pdf;
    if (dialog.toPdf()) {
        pdf = chooseSaveName("Print range to PDF file", "PDF Files (*.pdf)", "pdf");
        if (pdf.isEmpty()) return;
    } else if (!pdfTarget(pdf, "Print range to PDF file")) {
        return;
    }
    QPrinter &printer = m_printForm->printer();
    printer.setPageOrientation(QPageLayout::Landscape);
    RangeDrawing drawing(m_state, m_render, request);
    const QString error = paintOnPrinter(printer, pdf, [&](QPagedPaintDevice &device) {
        drawing.layOut(device.pageLayout().paintRect(QPageLayout::Millimeter).size());
        return drawing.paintAll(device);
    });
    if (!error.isEmpty()) m_questions->tell("Print range", error);
}

void MainWindow::saveViewImage() {
    const int v = std::clamp(m_state.currentView, 0, m_state.highestViewIndex);
    const QString name = chooseSaveName("Save view as image", "Pictures (*.png *.svg)", "png");
    if (name.isEmpty()) return;
    const QString error =
        app::saveViewImage(name, m_subWindows[static_cast<size_t>(v)], m_state, m_render, v,
                           windowTitle() + " - " + QString("Timing View%1").arg(v + 1));
    if (!error.isEmpty()) m_questions->tell("Save view as image", error);
}

void MainWindow::showColours() {
    if (!m_colorWindow) {
        m_colorWindow = new ColorWindow(
            m_state,
            [this] {
                for (TimingView *v : m_views)
                    v->applyState();
                redrawAllViews();
            },
            this);
    }
    m_colorWindow->fill();
    placeTopmost(m_colorWindow, -1, 50, 50);
    m_colorWindow->show();
    m_colorWindow->raise();
}

}  // namespace kv::app
