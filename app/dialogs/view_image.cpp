// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/view_image.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QWidget>
#include <algorithm>

#include "dialogs/range_print.h"
#include "platform/atomic_file.h"
#include "timing/view_model.h"

namespace kv::app {
namespace {

QString writeWhole(const QString &path, const QByteArray &bytes) {
    const platform::WriteOutcome outcome =
        platform::replaceFile(QFile::encodeName(path).toStdString(),
                              {{bytes.constData(), static_cast<size_t>(bytes.size())}});
    return outcome.ok() ? QString() : path + " " + QString::fromStdString(outcome.describe());
}

QString svgOfScreen(QByteArray &bytes, ProgramState &state, RenderLibrary &render, int view,
                    const QString &title) {
    const ViewState &v = state.views[static_cast<size_t>(view)];
    const int zoom = std::clamp<int>(v.zoomIndex, 0, 12);
    const ZoomRatio ratio = ZoomRatio::ofStep(zoom);
    const int columns = std::max(v.drawingWidth, 100);
    RangeRequest request;
    request.view = view;
    request.zoomIndex = zoom;
    request.first = std::clamp(v.screenStart, 0, state.recordLength - 1);
    request.last = std::clamp(request.first + static_cast<int32_t>(ratio.toSamples(columns)) - 1,
                              request.first, state.recordLength - 1);
    request.title = title;
    RangeDrawing drawing(state, render, request);
    int tracksHeight = 10;
    for (const TrackRow &row : shownRows(state.tracks[static_cast<size_t>(view)], 0))
        tracksHeight += row.height;
    // One page exactly as large as the drawing.
    const double width = kRangeNameWidth + columns + 0.5;
    const double height = kRangeHeaderHeight + tracksHeight + 0.5;
    const double mm = 25.4 / kRangeUnitsPerInch;
    drawing.layOut(QSizeF(width * mm, height * mm));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(static_cast<int>(width), static_cast<int>(height)));
    svg.setViewBox(QRectF(0, 0, static_cast<int>(width), static_cast<int>(height)));
    svg.setResolution(static_cast<int>(kRangeUnitsPerInch));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) return "The SVG picture could not be started.";
    painter.fillRect(QRectF(0, 0, width, height), Qt::white);
    drawing.paintPage(painter, 0, 1.0);
    return painter.end() ? QString() : "The SVG picture could not be finished.";
}

}  // namespace

QString saveViewImage(const QString &path, QWidget *viewWindow, ProgramState &state,
                      RenderLibrary &render, int view, const QString &title) {
    QByteArray bytes;
    if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        const QString error = svgOfScreen(bytes, state, render, view, title);
        if (!error.isEmpty()) return error;
    } else {
        if (!viewWindow) return "There is no view to save.";
        const QImage picture = viewWindow->grab().toImage();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (picture.isNull() || !picture.save(&buffer, "PNG"))
            return "The picture of the view could not be made.";
    }
    return writeWhole(path, bytes);
}

}  // namespace kv::app
