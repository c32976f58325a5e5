// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <array>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "core/render_library.h"
#include "timing/decoder_rows.h"

namespace kv::app {

// What a draw leaves for the window besides the picture.
struct DrawOutput {
    std::string caption;
    int trackTop = 0;   // below everything drawn
    int tracksEnd = 0;  // below the last track: where the cursor lines end and ScrollBar1 sits
    int columns = 0;
    std::array<std::array<int, 3>, kShownTracks> values{};  // at A, B, T per row
    int marks[4] = {0, 0, 0, 0};       // x of Line1 (screen) .. Line4 over HScroll1
    int screenMarkEnd = 0;             // right end of Line1
    std::vector<std::string> listing;  // header then 20 rows, when the listing is on
    std::vector<QString> printed;      // the listing as printed, one character per byte
    // The decoder rows under the tracks: the first row's top, and each row's boxes.
    int decoderTop = 0;
    std::vector<std::vector<AnnotationBox>> decoderBoxes;
    int32_t recordOffset = 0;  // record sample of view position 0
};

// Height kept for ScrollBar1 between the tracks and the listing.
inline constexpr int kListingBarHeight = 16;

struct DrawContext {
    ProgramState &state;
    RenderLibrary &render;
    QImage &picture;
    QFont font;       // track labels and the listing
    int barLeft = 0;  // HScroll1 geometry, for the marks
    int barWidth = 0;
    bool dragActive = false;
    const ViewAnnotations *decoded = nullptr;  // the view's decoder rows, when it has any
};

// Draws the view's decoder rows from `top` on: each annotation a box over its samples with
// the text that fits; returns the boxes of each row.
std::vector<std::vector<AnnotationBox>> drawDecoderRows(QPainter &p, const ViewAnnotations &rows,
                                                        int top, double firstSample,
                                                        double pixelsPerSample, int width,
                                                        const QFont &font);

// Draws view v into its picture (one step of redrawing all views).
DrawOutput drawView(DrawContext &c, int v);

// The plane and bit a track draws: a channel (content 30..53) its own, a group plane 0
// and bit 0 (the render library reads all three planes for a group).
struct TrackSource {
    const uint8_t *plane;
    int bit;
};
TrackSource trackSource(const uint8_t *const planes[3], uint8_t content);

// The state listing of view v from record sample `listStart` on: the header, then 20 rows.
std::vector<std::string> stateListingLines(ProgramState &s, RenderLibrary &render, int v,
                                           int32_t listStart);

// The state listing text of one group for row r from statedraw's buffers.
std::string listingText(const GroupTables &g, int group, const uint8_t *values, const char *binary,
                        int32_t mnemonicIndex);
// A listing line as printed: one character cell per byte, the byte read as Latin-1, and "."
// for a byte that is not printable or has no glyph in the font.
QString printableListingLine(const std::string &bytes, const QFont &font);
// Width in characters of a state column for a group.
int listingColumnWidth(const GroupTables &g, int group);

}  // namespace kv::app
