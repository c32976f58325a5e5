// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/range_print.h"

#include <QFontDatabase>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/capture_parameters.h"
#include "timing/measurements.h"
#include "timing/painter_surface.h"
#include "timing/qt_surface.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

namespace kv::app {
namespace {

constexpr int kListingLineHeight = 14;

QFont drawingFont(int pixels, bool bold = false) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

}  // namespace

RangeDrawing::RangeDrawing(ProgramState &state, RenderLibrary &render, RangeRequest request)
    : m_state(state), m_render(render), m_request(std::move(request)) {}

void RangeDrawing::layOut(QSizeF printableMillimetres) {
    const double width = printableMillimetres.width() / 25.4 * kRangeUnitsPerInch;
    const double height = printableMillimetres.height() / 25.4 * kRangeUnitsPerInch;
    const TrackTable &tracks = m_state.tracks[static_cast<size_t>(m_request.view)];
    int tracksHeight = 10;
    for (const TrackRow &row : shownRows(tracks, 0))
        tracksHeight += row.height;
    const double needed = kRangeHeaderHeight + tracksHeight;
    m_scale = needed > height ? height / needed : 1.0;
    m_pageColumns = static_cast<int>(std::floor(width / m_scale)) - kRangeNameWidth;
    m_pageHeight = static_cast<int>(std::floor(height / m_scale));
    const int zoom = std::clamp(m_request.zoomIndex, 0, 12);
    m_pages = rangePages(m_request.first, m_request.last, kZoomList[zoom].itemData, m_pageColumns);
    m_listingPages.clear();
    if (m_request.listing) {
        m_listingRows = std::max((m_pageHeight - kRangeHeaderHeight) / kListingLineHeight - 1, 1);
        for (int64_t s = m_request.first; s <= m_request.last; s += m_listingRows)
            m_listingPages.push_back(static_cast<int32_t>(s));
    }
}

QString RangeDrawing::readouts() const {
    const ViewState &view = m_state.views[static_cast<size_t>(m_request.view)];
    const int32_t t = readoutTrigger(m_state, view);
    const DisplayUnits units{m_state.displayTime, m_state.displaySamples, m_state.displayFrequency};
    const uint8_t code = m_state.settings.rateCode;
    const double range = rangePeriod(code, m_state.samplePeriodPs);
    const auto text = [&](int32_t a, int32_t b) {
        return QString::fromStdString(
            distanceText(a, b, units, m_state.samplePeriodPs, code, range, ""));
    };
    return QString("A %1  B %2  T %3    A-B %4   A-T %5   B-T %6")
        .arg(view.cursorA)
        .arg(view.cursorB)
        .arg(t)
        .arg(text(view.cursorA, view.cursorB), text(view.cursorA, t), text(view.cursorB, t));
}

void RangeDrawing::paintPage(QPainter &painter, int page, double devicePixelsPerUnit) {
    painter.save();
    painter.scale(devicePixelsPerUnit * m_scale, devicePixelsPerUnit * m_scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (page < static_cast<int>(m_pages.size()))
        paintTracks(painter, m_pages[static_cast<size_t>(page)], page);
    else
        paintListing(painter, page - static_cast<int>(m_pages.size()), page);
    painter.restore();
}

void RangeDrawing::paintTracks(QPainter &painter, const RangePage &page, int pageNumber) {
    ProgramState &s = m_state;
    const int v = m_request.view;
    const ViewState &view = s.views[static_cast<size_t>(v)];
    const TrackTable &tracks = s.tracks[static_cast<size_t>(v)];
    const int zoom = std::clamp(m_request.zoomIndex, 0, 12);
    const ZoomRatio ratio = ZoomRatio::ofStep(zoom);

    painter.setPen(Qt::black);
    painter.setFont(drawingFont(14, true));
    painter.drawText(QPointF(0, 14), m_request.title);
    painter.setFont(drawingFont(11));
    painter.drawText(QPointF(0, 32), QString("Samples %1 to %2, %3, page %4 of %5    ")
                                             .arg(page.first)
                                             .arg(page.first + page.samples - 1)
                                             .arg(kZoomList[zoom].caption)
                                             .arg(pageNumber + 1)
                                             .arg(pageCount()) +
                                         readouts());

    const std::vector<TrackRow> rows = shownRows(tracks, 0);
    int tracksEnd = 0;
    for (const TrackRow &row : rows)
        tracksEnd = row.top + row.height;
    const double top = kRangeHeaderHeight + 5;  // the first row's top (-5) at the header's foot
    painter.setFont(drawingFont(11));
    for (const TrackRow &row : rows) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, top + row.top, kRangeNameWidth - 4, row.height),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(tracks.name[static_cast<size_t>(row.row)]));
    }

    const int set = std::clamp(view.dataSet, 0, s.capture.dataSets() - 1);
    const int32_t offset = s.dataSetRecords[static_cast<size_t>(set)][0];
    const uint8_t *planes[3] = {s.capture.plane(set, 0), s.capture.plane(set, 1),
                                s.capture.plane(set, 2)};
    painter.save();
    painter.translate(kRangeNameWidth, top);
    painter.setClipRect(QRectF(0, -5, page.columns, tracksEnd + 10));
    PainterSurface surface(painter);
    surface.setFont(drawingFont(11));
    const int32_t fine[4] = {0, 0, 0, 0};
    if (auto drawLa = m_render.drawLa()) {
        for (const TrackRow &row : rows) {
            const auto r = static_cast<size_t>(row.row);
            const uint32_t colour = s.colours.entry[6 + r];
            surface.setPen(fromColorRef(colour));
            const TrackSource source = trackSource(planes, tracks.content[r]);
            drawLa(surface.surface(), source.plane, std::max(page.first + offset, 0), source.bit,
                   static_cast<uint32_t>(zoom), fine, tracks.height[r], colour,
                   static_cast<uint32_t>(page.columns),
                   static_cast<uint32_t>(static_cast<uint16_t>(row.top)), 0, 0, 0, 0,
                   s.groups.patterns.data(), 0, 0, s.groups.base.data(), s.groups.topBit.data(),
                   s.groups.bitMap.data(), 0, 0, &tracks.content[r], s.groups.characters.data(),
                   planes[0], planes[1], planes[2]);
        }
    }
    painter.setClipping(false);
    const int32_t positions[3] = {view.cursorA, view.cursorB, readoutTrigger(s, view)};
    const size_t colourIndex[3] = {1, 2, 5};
    const char *names[3] = {"A", "B", "T"};
    for (int k = 0; k < 3; ++k) {
        const int32_t at = positions[k] - page.first;
        if (at < 0 || at >= page.samples) continue;
        const double x = ratio.toPixels(at) + 0.5;
        const QColor colour = fromColorRef(s.colours.entry[colourIndex[k]]);
        painter.setPen(QPen(colour, 1.0, Qt::DashDotLine));
        painter.drawLine(QPointF(x, -5), QPointF(x, tracksEnd));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 2, -6), names[k]);
    }
    painter.restore();
}

void RangeDrawing::paintListing(QPainter &painter, int listingPage, int pageNumber) {
    const int32_t first = m_listingPages[static_cast<size_t>(listingPage)];
    const int32_t last = std::min<int32_t>(first + m_listingRows - 1, m_request.last);
    const ViewState &view = m_state.views[static_cast<size_t>(m_request.view)];
    const int set = std::clamp(view.dataSet, 0, m_state.capture.dataSets() - 1);
    const int32_t offset = m_state.dataSetRecords[static_cast<size_t>(set)][0];
    painter.setPen(Qt::black);
    painter.setFont(drawingFont(14, true));
    painter.drawText(QPointF(0, 14), m_request.title);
    const QFont font = drawingFont(11);
    painter.setFont(font);
    painter.drawText(QPointF(0, 32), QString("State listing, samples %1 to %2, page %3 of %4")
                                         .arg(first)
                                         .arg(last)
                                         .arg(pageNumber + 1)
                                         .arg(pageCount()));
    double y = kRangeHeaderHeight + 11;
    bool header = true;
    for (int32_t s = first; s <= last; s += 20) {
        const std::vector<std::string> lines =
            stateListingLines(m_state, m_render, m_request.view, std::max(s + offset, 0));
        if (header) {
            painter.drawText(QPointF(0, y), printableListingLine(lines[0], font));
            y += kListingLineHeight;
            header = false;
        }
        for (int32_t r = 0; r < 20 && s + r <= last; ++r) {
            painter.drawText(QPointF(0, y),
                             printableListingLine(lines[static_cast<size_t>(r + 1)], font));
            y += kListingLineHeight;
        }
    }
}

QString RangeDrawing::paintAll(QPagedPaintDevice &device) {
    if (pageCount() == 0) return "The range holds no samples.";
    QPainter painter;
    if (!painter.begin(&device))
        return "The printer could not be opened. Choose a printer, or printing to a file, in "
               "Print Setup.";
    const double perUnit = device.logicalDpiX() / kRangeUnitsPerInch;
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0 && !device.newPage()) return "A new page could not be started.";
        paintPage(painter, i, perUnit);
    }
    return painter.end() ? QString() : "The document could not be finished.";
}

}  // namespace kv::app
