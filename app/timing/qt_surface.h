// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

#include "out47.h"

namespace kv::app {

// The drawing surface the render library draws through, over a view's image, with
// device-context semantics: a pen colour and style, a font and text colour, a current
// position; LineTo draws up to but not including its end point. Horizontal and vertical
// solid lines and pixels are written straight into the image.
class QtSurface {
  public:
    explicit QtSurface(QImage &image);
    ~QtSurface();
    QtSurface(const QtSurface &) = delete;
    QtSurface &operator=(const QtSurface &) = delete;

    Out47Surface *surface() { return &m_surface; }
    void setPen(QColor colour, Qt::PenStyle style = Qt::SolidLine);
    void setFont(const QFont &font);
    void moveTo(int x, int y) { m_x = x, m_y = y; }
    void lineTo(int x, int y);
    void setPixel(int x, int y, QRgb colour);
    void textOut(int x, int y, const QString &text);
    // Nothing is drawn at or right of this column until it is moved again; the image's
    // width lifts the edge.
    void setRightEdge(int column);
    // A painter over the image for shapes the render library does not draw.
    QPainter &shapes() { return painter(); }

  private:
    void flushPainter();
    QPainter &painter();

    QRgb *row(int y) {
        return reinterpret_cast<QRgb *>(m_bits + static_cast<qsizetype>(y) * m_stride);
    }

    QImage &m_image;
    // The pixels, fetched once: scanLine() would check for sharing at every call.
    uchar *m_bits = nullptr;
    qsizetype m_stride = 0;
    int m_width = 0, m_height = 0;
    Out47Surface m_surface{};
    QColor m_pen = Qt::white;
    Qt::PenStyle m_style = Qt::SolidLine;
    QFont m_font;
    std::unique_ptr<QPainter> m_painter;
    int m_x = 0, m_y = 0;
};

// COLORREF (0x00BBGGRR) to a Qt colour and back.
inline QColor fromColorRef(uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}
inline uint32_t toColorRef(const QColor &c) {
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

}  // namespace kv::app
