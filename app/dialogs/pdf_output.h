// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;

namespace kv::app {

// Paints pages into the PDF file `path` (layout and resolution as given). The file is
// replaced only by a complete document: `paint` returns an error text to leave it as it
// was. Returns an error text, empty when written.
QString writePdf(const QString &path, const QPageLayout &layout, int resolution,
                 const std::function<QString(QPagedPaintDevice &)> &paint);

// Paints onto the set-up printer, or into its PDF file (or `pdfPath` when given) through
// writePdf. Returns an error text, empty when done.
QString paintOnPrinter(QPrinter &printer, const QString &pdfPath,
                       const std::function<QString(QPagedPaintDevice &)> &paint);

}  // namespace kv::app
