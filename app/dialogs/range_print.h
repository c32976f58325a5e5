// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSizeF>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/program_state.h"
#include "core/render_library.h"
#include "dialogs/print_layout.h"

class QPagedPaintDevice;
class QPainter;

namespace kv::app {

// A sample range of a view drawn with vectors: track names, the tracks, the cursor lines
// with their distance read-outs, and optionally the state listing of the range.
struct RangeRequest {
    int view = 0;
    int32_t first = 0, last = 0;  // samples of the view, both included
    int zoomIndex = 5;            // zoom list index
    bool listing = false;
    QString title;
};

// Units of the page drawing: the screen's pixels at 96 to the inch.
inline constexpr double kRangeUnitsPerInch = 96;
inline constexpr int kRangeNameWidth = 120;    // track names left of the tracks
inline constexpr int kRangeHeaderHeight = 44;  // title and read-out lines above them

class RangeDrawing {
  public:
    RangeDrawing(ProgramState &state, RenderLibrary &render, RangeRequest request);

    // Lays the range out on pages of the printable size given in millimetres: the drawing
    // is scaled down when the tracks are taller than the page, then cut into pages.
    void layOut(QSizeF printableMillimetres);
    // Track pages first, then the listing pages.
    int pageCount() const { return static_cast<int>(m_pages.size() + m_listingPages.size()); }
    const std::vector<RangePage> &trackPages() const { return m_pages; }
    int listingPageCount() const { return static_cast<int>(m_listingPages.size()); }
    // Paints page `page` with the painter's origin at the printable area's top left and
    // `unitsPerDevicePixel` drawing units to a device pixel.
    void paintPage(QPainter &painter, int page, double devicePixelsPerUnit);
    // Paints every page on the device (a printer or a PDF writer); an error text or empty.
    QString paintAll(QPagedPaintDevice &device);
    // The track area's width in drawing units, the column count of a full page.
    int pageColumns() const { return m_pageColumns; }
    double scale() const { return m_scale; }

  private:
    void paintTracks(QPainter &painter, const RangePage &page, int pageNumber);
    void paintListing(QPainter &painter, int listingPage, int pageNumber);
    QString readouts() const;

    ProgramState &m_state;
    RenderLibrary &m_render;
    RangeRequest m_request;
    std::vector<RangePage> m_pages;
    std::vector<int32_t> m_listingPages;  // first record sample of each listing page
    int m_listingRows = 0;                // rows on a listing page
    int m_pageColumns = 0;
    int m_pageHeight = 0;
    double m_scale = 1;  // drawing scaled down to fit the tracks on a page
};

}  // namespace kv::app
