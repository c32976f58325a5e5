// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/pdf_output.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>

#include "platform/atomic_file.h"

namespace kv::app {

QString writePdf(const QString &path, const QPageLayout &layout, int resolution,
                 const std::function<QString(QPagedPaintDevice &)> &paint) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(layout);
        writer.setResolution(resolution);
        writer.setCreator("KV-6830");
        writer.setTitle(QFileInfo(path).completeBaseName());
        const QString error = paint(writer);
        if (!error.isEmpty()) return error;
    }
    const platform::WriteOutcome outcome =
        platform::replaceFile(QFile::encodeName(path).toStdString(),
                              {{bytes.constData(), static_cast<size_t>(bytes.size())}});
    if (!outcome.ok()) return path + " " + QString::fromStdString(outcome.describe());
    return {};
}

QString paintOnPrinter(QPrinter &printer, const QString &pdfPath,
                       const std::function<QString(QPagedPaintDevice &)> &paint) {
    const QString file = pdfPath.isEmpty() ? printer.outputFileName() : pdfPath;
    if (printer.outputFormat() == QPrinter::PdfFormat || !pdfPath.isEmpty()) {
        if (file.isEmpty()) return "No file was chosen for the PDF.";
        return writePdf(file, printer.pageLayout(), printer.resolution(), paint);
    }
    return paint(printer);
}

}  // namespace kv::app
