// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/print_form.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QWidget>

#include "dialogs/pdf_output.h"
#include "dialogs/print_layout.h"

namespace kv::app {

PicturePlacement printPictureToFitPage(QPagedPaintDevice &printer, const QImage &picture,
                                       const QString &title) {
    PicturePlacement placed;
    if (picture.isNull()) {
        placed.error = "There is no picture to print.";
        return placed;
    }
    const bool landscape =
        orientationFor(picture.width(), picture.height()) == PageOrientation::Landscape;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) {
        placed.error =
            "The printer could not be opened. Choose a printer, or printing to a "
            "file, in Print Setup.";
        return placed;
    }
    const int dpi = printer.logicalDpiX();
    // The painter's origin is the printable area's top left; its size is the printer's scale,
    // taken from the page in millimetres (the pixel rectangle goes through rounded points).
    const QSizeF area =
        printer.pageLayout().paintRect(QPageLayout::Millimeter).size() * (dpi / 25.4);
    const PrintedSize size =
        fitToPage(picture.width(), picture.height(), area.width(), area.height());
    QFont font = painter.font();
    font.setPointSize(kTitlePoints);
    painter.setFont(font);
    placed.title = {twipsToPixels(kTitleLeftTwips, dpi), twipsToPixels(kTitleTopTwips, dpi)};
    painter.drawText(placed.title + QPointF(0, painter.fontMetrics().ascent()), title);
    placed.picture = QRectF(0, twipsToPixels(kPictureTopTwips, dpi), size.width, size.height);
    painter.drawImage(placed.picture, picture);
    placed.printed = painter.end();
    if (!placed.printed) placed.error = "The page could not be finished.";
    return placed;
}

PrintForm::PrintForm(QObject *parent)
    : QObject(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName("frmPrint");
    // With no printer installed every print goes into a PDF file.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        m_printer->setOutputFormat(QPrinter::PdfFormat);
}

PrintForm::~PrintForm() = default;

void PrintForm::printOption(int index, const std::function<QWidget *(int)> &viewWindow) {
    if (index == 0) {
        m_picture = captureScreen();
    } else if (index >= 2 && index <= 11) {
        if (QWidget *w = viewWindow ? viewWindow(index - 2) : nullptr) m_picture = captureForm(w);
    }
}

QImage PrintForm::captureScreen() const {
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QPixmap shot = screen->grabWindow(0);
    if (!shot.isNull()) return shot.toImage();
    // Where the screen may not be read, the program's own windows stand in for it.
    QImage desktop(screen->geometry().size(), QImage::Format_RGB32);
    desktop.fill(Qt::white);
    QPainter p(&desktop);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) p.drawPixmap(w->frameGeometry().topLeft(), w->grab());
    }
    return desktop;
}

QImage PrintForm::captureForm(QWidget *window) {
    if (!window) return {};
    return window->grab().toImage();
}

PicturePlacement PrintForm::print(const QString &title, const QString &pdfPath) {
    PicturePlacement placed;
    // The set-up printer keeps the orientation, as the page it printed had.
    if (!m_picture.isNull()) {
        m_printer->setPageOrientation(orientationFor(m_picture.width(), m_picture.height()) ==
                                              PageOrientation::Landscape
                                          ? QPageLayout::Landscape
                                          : QPageLayout::Portrait);
    }
    const QString error = paintOnPrinter(*m_printer, pdfPath, [&](QPagedPaintDevice &device) {
        placed = printPictureToFitPage(device, m_picture, title);
        return placed.error;
    });
    placed.error = error;
    placed.printed = error.isEmpty();
    return placed;
}

}  // namespace kv::app
