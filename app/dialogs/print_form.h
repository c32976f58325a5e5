// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace kv::app {

// Where a picture went on the page, in the printer's device pixels (origin at the top left
// of the printable area).
struct PicturePlacement {
    bool printed = false;
    QString error;  // why nothing was printed
    QRectF picture;
    QPointF title;
};

// Prints the title line and the picture scaled to fit one page, the orientation chosen by
// the picture's shape.
PicturePlacement printPictureToFitPage(QPagedPaintDevice &printer, const QImage &picture,
                                       const QString &title);

// frmPrint: the hidden capture and print routines with the last captured picture
// (Picture1) and the printer that Print Setup prepares.
class PrintForm : public QObject {
    Q_OBJECT
  public:
    explicit PrintForm(QObject *parent = nullptr);
    ~PrintForm() override;

    QPrinter &printer() { return *m_printer; }
    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture) { m_picture = picture; }

    // Entry 0 captures the screen, 2..11 the window of view index - 2 (`viewWindow` gives
    // it, or null); any other entry keeps the picture.
    void printOption(int index, const std::function<QWidget *(int)> &viewWindow);
    QImage captureScreen() const;
    // The whole window with its frame, shown or not.
    static QImage captureForm(QWidget *window);
    // CmdPrint_Click: the picture on one page of the printer, or of the PDF file it
    // names (`pdfPath` when given).
    PicturePlacement print(const QString &title, const QString &pdfPath = {});

  private:
    std::unique_ptr<QPrinter> m_printer;
    QImage m_picture;
};

}  // namespace kv::app
