// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>

#include "out47.h"

namespace kv::app {

// The render library's drawing surface over any painter (printer, PDF, SVG): lines and
// text stay vectors. Coordinates are the view's pixels; the painter's transform takes them
// to the device. A pixel is a unit square, a line runs through the pixel centres.
class PainterSurface {
  public:
    explicit PainterSurface(QPainter &painter);
    PainterSurface(const PainterSurface &) = delete;
    PainterSurface &operator=(const PainterSurface &) = delete;

    Out47Surface *surface() { return &m_surface; }
    void setPen(QColor colour, Qt::PenStyle style = Qt::SolidLine);
    void setFont(const QFont &font) { m_font = font; }
    void moveTo(int x, int y) { m_x = x, m_y = y; }
    void lineTo(int x, int y);
    void setPixel(int x, int y, QColor colour);
    void textOut(int x, int y, const QString &text);

  private:
    QPainter &m_painter;
    Out47Surface m_surface{};
    QColor m_pen = Qt::black;
    Qt::PenStyle m_style = Qt::SolidLine;
    QFont m_font;
    int m_x = 0, m_y = 0;
};

}  // namespace kv::app
