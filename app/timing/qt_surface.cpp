// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/qt_surface.h"

#include <QFontMetrics>

#include <algorithm>

namespace kv::app {

QtSurface::QtSurface(QImage &image)
    : m_image(image),
      m_bits(image.bits()),
      m_stride(image.bytesPerLine()),
      m_width(image.width()),
      m_height(image.height()) {
    m_surface.user = this;
    m_surface.set_pixel = [](void *u, int x, int y, uint32_t c) {
        auto *s = static_cast<QtSurface *>(u);
        s->setPixel(x, y, fromColorRef(c).rgb());
    };
    m_surface.move_to = [](void *u, int x, int y) { static_cast<QtSurface *>(u)->moveTo(x, y); };
    m_surface.line_to = [](void *u, int x, int y) { static_cast<QtSurface *>(u)->lineTo(x, y); };
    m_surface.text_out = [](void *u, int x, int y, const char *text, int length) {
        static_cast<QtSurface *>(u)->textOut(x, y, QString::fromLatin1(text, length));
    };
}

QtSurface::~QtSurface() = default;

void QtSurface::setPen(QColor colour, Qt::PenStyle style) {
    m_pen = colour;
    m_style = style;
}

void QtSurface::setFont(const QFont &font) {
    m_font = font;
}

QPainter &QtSurface::painter() {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        if (m_width < m_image.width()) m_painter->setClipRect(0, 0, m_width, m_height);
    }
    return *m_painter;
}

void QtSurface::setRightEdge(int column) {
    m_width = std::clamp(column, 0, m_image.width());
    if (!m_painter) return;
    if (m_width < m_image.width())
        m_painter->setClipRect(0, 0, m_width, m_height);
    else
        m_painter->setClipping(false);
}

void QtSurface::setPixel(int x, int y, QRgb colour) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    row(y)[x] = colour;
}

void QtSurface::lineTo(int x, int y) {
    const int x0 = m_x, y0 = m_y;
    m_x = x, m_y = y;
    if (m_style == Qt::SolidLine && (x0 == x || y0 == y)) {
        const QRgb c = m_pen.rgb();
        if (x0 == x) {
            if (x < 0 || x >= m_width) return;
            // From y0 towards y, the end point excluded.
            const int first = std::max(y > y0 ? y0 : y + 1, 0);
            const int last = std::min(y > y0 ? y - 1 : y0, m_height - 1);
            for (int yy = first; yy <= last; ++yy)
                row(yy)[x] = c;
        } else {
            if (y < 0 || y >= m_height) return;
            QRgb *line = row(y);
            // From x0 towards x, the end point excluded.
            const int first = x > x0 ? x0 : x + 1;
            const int last = x > x0 ? x - 1 : x0;
            for (int xx = std::max(first, 0); xx <= std::min(last, m_width - 1); ++xx) {
                line[xx] = c;
            }
        }
        return;
    }
    QPainter &p = painter();
    QPen pen(m_pen);
    pen.setStyle(m_style);
    pen.setWidth(0);
    p.setPen(pen);
    // The end point is excluded: stop one pixel short along the major axis.
    const int dx = x - x0, dy = y - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) return;
    const double f = static_cast<double>(steps - 1) / steps;
    p.drawLine(QPointF(x0, y0), QPointF(x0 + dx * f, y0 + dy * f));
}

void QtSurface::textOut(int x, int y, const QString &text) {
    QPainter &p = painter();
    p.setFont(m_font);
    p.setPen(m_pen);
    p.drawText(QPoint(x, y + QFontMetrics(m_font).ascent()), text);
}

}  // namespace kv::app
