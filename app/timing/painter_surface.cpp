// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/painter_surface.h"

#include <QFontMetricsF>

#include "timing/qt_surface.h"

namespace kv::app {

PainterSurface::PainterSurface(QPainter &painter) : m_painter(painter) {
    m_surface.user = this;
    m_surface.set_pixel = [](void *u, int x, int y, uint32_t c) {
        static_cast<PainterSurface *>(u)->setPixel(x, y, fromColorRef(c));
    };
    m_surface.move_to = [](void *u, int x, int y) {
        static_cast<PainterSurface *>(u)->moveTo(x, y);
    };
    m_surface.line_to = [](void *u, int x, int y) {
        static_cast<PainterSurface *>(u)->lineTo(x, y);
    };
    m_surface.text_out = [](void *u, int x, int y, const char *text, int length) {
        static_cast<PainterSurface *>(u)->textOut(x, y, QString::fromLatin1(text, length));
    };
}

void PainterSurface::setPen(QColor colour, Qt::PenStyle style) {
    m_pen = colour;
    m_style = style;
}

void PainterSurface::lineTo(int x, int y) {
    const int x0 = m_x, y0 = m_y;
    m_x = x, m_y = y;
    const int dx = x - x0, dy = y - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) return;
    // The end point is excluded, as on the screen: the line covers steps pixels.
    const double f = static_cast<double>(steps - 1) / steps;
    QPen pen(m_pen, 1.0, m_style, Qt::SquareCap);
    m_painter.setPen(pen);
    if (steps == 1) {
        m_painter.fillRect(QRectF(x0, y0, 1, 1), m_pen);
        return;
    }
    // A square cap of half a pixel at each end makes the line cover whole pixels.
    m_painter.drawLine(QPointF(x0 + 0.5, y0 + 0.5), QPointF(x0 + 0.5 + dx * f, y0 + 0.5 + dy * f));
}

void PainterSurface::setPixel(int x, int y, QColor colour) {
    m_painter.fillRect(QRectF(x, y, 1, 1), colour);
}

void PainterSurface::textOut(int x, int y, const QString &text) {
    m_painter.setFont(m_font);
    m_painter.setPen(m_pen);
    m_painter.drawText(QPointF(x, y + QFontMetricsF(m_font).ascent()), text);
}

}  // namespace kv::app
