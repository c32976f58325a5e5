// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/view_drawing.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "timing/qt_surface.h"
#include "timing/view_model.h"

namespace kv::app {
namespace {

constexpr uint32_t kListingColour = 0x00FFFFFF;

std::string hexByte(uint8_t b) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string{kHex[b >> 4], kHex[b & 15]};
}

}  // namespace

std::string listingText(const GroupTables &g, int group, const uint8_t *values, const char *binary,
                        int32_t mnemonicIndex) {
    const int top = g.topBit[static_cast<size_t>(group)];
    const int base = g.base[static_cast<size_t>(group)];
    std::string text;
    switch (base) {
        case 0:
            if (top > 15) text += hexByte(values[2]);
            if (top > 7) text += hexByte(values[1]);
            text += hexByte(values[0]);
            break;
        case 1: {
            uint32_t v = values[0];
            if (top > 7) v += 256u * values[1];
            if (top > 15) v += 65536u * values[2];
            text = std::to_string(v);
            break;
        }
        case 2:
            for (int b = 2; b >= 0; --b) {
                if ((b == 2 && top <= 15) || (b == 1 && top <= 7)) continue;
                if (values[b] >= 20) text += static_cast<char>(values[b]);
            }
            break;
        case 3:
            for (int k = std::min(top, 31); k >= 0; --k)
                text += binary[k];
            break;
        case 4:
        case 5:
        case 6:
        case 7:
            if (mnemonicIndex >= 0 && mnemonicIndex < 256)
                text = g.mnemonic(base - 4, mnemonicIndex);
            break;
        default:
            break;
    }
    return text;
}

QString printableListingLine(const std::string &bytes, const QFont &font) {
    const QFontMetrics metrics(font);
    QString line;
    line.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char b : bytes) {
        const QChar c = QChar::fromLatin1(b);
        line += c.isPrint() && metrics.inFont(c) ? c : QChar('.');
    }
    return line;
}

int listingColumnWidth(const GroupTables &g, int group) {
    const int top = std::max(g.topBit[static_cast<size_t>(group)], 0);
    int chars = 2;
    switch (g.base[static_cast<size_t>(group)]) {
        case 0:
            chars = (top > 15 ? 6 : top > 7 ? 4 : 2);
            break;
        case 1:
            chars = static_cast<int>(std::ceil((top + 1) * 0.30103)) + 1;
            break;
        case 2:
            chars = top > 15 ? 3 : top > 7 ? 2 : 1;
            break;
        case 3:
            chars = top + 1;
            break;
        default:
            chars = 8;
            break;
    }
    const int name = static_cast<int>(g.name[static_cast<size_t>(group)].size());
    return std::max(chars, name) + 2;
}

std::vector<std::string> stateListingLines(ProgramState &s, RenderLibrary &render, int v,
                                           int32_t listStart) {
    const int set =
        std::clamp(s.views[static_cast<size_t>(v)].dataSet, 0, s.capture.dataSets() - 1);
    const TrackTable &tracks = s.tracks[static_cast<size_t>(v)];
    const uint8_t *planes[3] = {s.capture.plane(set, 0), s.capture.plane(set, 1),
                                s.capture.plane(set, 2)};
    std::vector<std::string> listing;
    std::vector<uint8_t> values(600 * 4, 0);
    std::vector<char> binary(600 * 32, '0');
    std::vector<int32_t> mnemonic(600, 1000);
    if (auto statedraw = render.statedraw()) {
        const auto base = reinterpret_cast<intptr_t>(planes[0]) + listStart;
        statedraw(0, base, 0, 0, s.groups.patterns.data(), mnemonic.data(), 0, s.groups.base.data(),
                  s.groups.topBit.data(), s.groups.bitMap.data(), values.data(), binary.data(), 0,
                  planes[1] - planes[0], planes[2] - planes[0]);
    }
    std::string header = std::string(8, ' ');
    std::vector<std::pair<int, int>> columns;  // group, width
    for (int col = 0; col < kStateColumns; ++col) {
        if (tracks.stateOff[static_cast<size_t>(col)]) continue;
        const int g = std::clamp(tracks.stateGroup[static_cast<size_t>(col)], 0, kGroups - 1);
        const int w = listingColumnWidth(s.groups, g);
        std::string name = s.groups.name[static_cast<size_t>(g)];
        name.resize(static_cast<size_t>(w), ' ');
        header += name;
        columns.emplace_back(g, w);
    }
    listing.push_back(header);
    for (int r = 0; r < 20; ++r) {
        std::string line = std::to_string(listStart + r);
        line.resize(8, ' ');
        for (const auto &[g, w] : columns) {
            const int n = r * 30 + g;
            std::string t = listingText(s.groups, g, values.data() + n * 4, binary.data() + n * 32,
                                        mnemonic[static_cast<size_t>(n)]);
            t.resize(static_cast<size_t>(w), ' ');
            line += t;
        }
        listing.push_back(line);
    }
    return listing;
}

TrackSource trackSource(const uint8_t *const planes[3], uint8_t content) {
    if (content < 30) return {planes[0], 0};
    const int channel = content - 30;
    return {planes[std::min(channel / 8, 2)], channel % 8};
}

std::vector<std::vector<AnnotationBox>> drawDecoderRows(QPainter &p, const ViewAnnotations &rows,
                                                        int top, double firstSample,
                                                        double pixelsPerSample, int width,
                                                        const QFont &font) {
    std::vector<std::vector<AnnotationBox>> all;
    const QFontMetrics metrics(font);
    const TextWidth textWidth = [&metrics](const std::string &t) {
        return metrics.horizontalAdvance(QString::fromStdString(t));
    };
    p.setFont(font);
    static const QColor fills[4] = {QColor(40, 90, 150), QColor(40, 120, 70), QColor(130, 80, 30),
                                    QColor(110, 50, 120)};
    for (size_t r = 0; r < rows.rows.size(); ++r) {
        const DecodedRow &row = rows.rows[r];
        const int y = top + kDecoderRowHeight * static_cast<int>(r);
        const QColor fill = fills[static_cast<size_t>(row.stack + row.name.row) % 4];
        all.push_back(rowBoxes(rows, row, firstSample, pixelsPerSample, width, textWidth));
        for (const AnnotationBox &b : all.back()) {
            const QRect box(b.x0, y + 2, b.x1 - b.x0 + 1, kDecoderRowHeight - 4);
            p.fillRect(box, fill);
            p.setPen(fill.lighter(160));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (!b.text.empty()) {
                p.setPen(Qt::white);
                p.drawText(box.adjusted(2, 0, -1, 0), Qt::AlignVCenter | Qt::AlignLeft,
                           QString::fromStdString(b.text));
            }
        }
        // The row's name at the right end, over the boxes.
        const QString title = QString::fromStdString(row.name.title);
        const int tw = metrics.horizontalAdvance(title);
        p.fillRect(QRect(width - tw - 6, y + 2, tw + 6, kDecoderRowHeight - 4),
                   QColor(0, 0, 0, 160));
        p.setPen(QColor(220, 220, 220));
        p.drawText(QRect(width - tw - 3, y, tw + 3, kDecoderRowHeight), Qt::AlignVCenter, title);
    }
    return all;
}

DrawOutput drawView(DrawContext &c, int v) {
    ProgramState &s = c.state;
    ViewState &view = s.views[static_cast<size_t>(v)];
    DrawOutput out;
    const int set = std::clamp(view.dataSet, 0, s.capture.dataSets() - 1);
    const bool bound = s.data2timing || s.data2timingbyauto;
    out.caption = viewCaption(v, s.endTicks[static_cast<size_t>(bound ? set : 0)]);

    const int width = c.picture.width();
    view.drawingWidth = width;
    if (!s.persistence) c.picture.fill(fromColorRef(s.colours.entry[542]));

    // Entry 0 is the trigger offset of what the data set holds (its capture or data file).
    auto &record = s.dataSetRecords[static_cast<size_t>(set)];
    record[3] = 0;
    const int32_t offset = record[0];
    const int32_t left = std::max(view.screenStart + offset, 0);
    const float z = view.pixelsPerSample == 0.0f ? 1.0f : view.pixelsPerSample;
    out.columns = columnsToDraw(s.recordLength, view.screenStart, z, offset, width);

    QtSurface surface(c.picture);
    surface.setFont(c.font);
    const TrackTable &tracks = s.tracks[static_cast<size_t>(v)];
    const uint8_t *planes[3] = {s.capture.plane(set, 0), s.capture.plane(set, 1),
                                s.capture.plane(set, 2)};
    const int32_t fine[4] = {0, 0, 0, 0};
    int top = -5;
    if (auto drawLa = c.render.drawLa()) {
        for (const TrackRow &row : shownRows(tracks, view.firstRow)) {
            const auto r = static_cast<size_t>(row.row);
            const uint32_t colour = s.colours.entry[6 + r];
            surface.setPen(fromColorRef(colour));
            const TrackSource source = trackSource(planes, tracks.content[r]);
            // A bus is drawn 150 columns past the width it is given; beyond the record's
            // end those columns would show whatever the plane holds there, not samples.
            surface.setRightEdge(tracks.content[r] < 30 ? out.columns : width);
            drawLa(surface.surface(), source.plane, left, source.bit, view.zoomIndex, fine,
                   tracks.height[r], colour, static_cast<uint32_t>(out.columns),
                   static_cast<uint32_t>(static_cast<uint16_t>(row.top)), 0, 0, 0, 0,
                   s.groups.patterns.data(), 0, 0, s.groups.base.data(), s.groups.topBit.data(),
                   s.groups.bitMap.data(), 0, 0, &tracks.content[r], s.groups.characters.data(),
                   planes[0], planes[1], planes[2]);
            top = row.top + row.height;
        }
        surface.setRightEdge(width);
    }
    top += 18;
    out.recordOffset = offset;
    if (c.decoded && !c.decoded->rows.empty()) {
        out.decoderTop = top;
        out.decoderBoxes =
            drawDecoderRows(surface.shapes(), *c.decoded, top, double(view.screenStart + offset),
                            double(z), width, c.font);
        top += kDecoderRowHeight * static_cast<int>(c.decoded->rows.size()) + 4;
    }
    out.tracksEnd = top;

    if (s.stateListing) {
        const int32_t listStart = std::clamp(offset + view.stateStart, 0, s.recordLength - 20);
        out.listing = stateListingLines(s, c.render, v, listStart);
        surface.setPen(fromColorRef(kListingColour));
        top += kListingBarHeight;
        for (size_t i = 0; i < out.listing.size(); ++i) {
            out.printed.push_back(printableListingLine(out.listing[i], c.font));
            surface.textOut(0, top + 20 * static_cast<int>(i), out.printed.back());
        }
        top += 20 * 21;
    }
    out.trackTop = top;

    const int32_t positions[3] = {view.cursorA, view.cursorB, view.triggerCursor};
    const size_t colourIndex[3] = {1, 2, 5};
    for (int k = 0; k < 3; ++k) {
        if (auto x = cursorLineX(positions[k], view.screenStart, z, width)) {
            surface.setPen(fromColorRef(s.colours.entry[colourIndex[k]]), Qt::DashDotLine);
            surface.moveTo(*x, 0);
            surface.lineTo(*x, out.tracksEnd);
        }
        out.marks[k + 1] = markX(positions[k], s.lastStart, c.barLeft, c.barWidth);
    }
    out.marks[0] = markX(view.screenStart, s.lastStart, c.barLeft, c.barWidth);
    const double share = s.lastStart > 0 ? (width / static_cast<double>(z)) / s.lastStart : 1.0;
    out.screenMarkEnd = out.marks[0] + static_cast<int>(std::min(share, 1.0) * (c.barWidth - 50));

    if (auto vbar = c.render.getVbarData()) {
        uint8_t result[28] = {};
        const int32_t order[3] = {view.triggerCursor, view.cursorA, view.cursorB};
        const int slot[3] = {2, 0, 1};
        for (int k = 0; k < 3; ++k) {
            const int32_t at = std::clamp(offset + order[k], 0, s.recordLength - 1);
            vbar(tracks.content.data(), planes[0], planes[1], planes[2], at, result, 0);
            for (int i = 0; i < 27; ++i)
                out.values[static_cast<size_t>(i)][slot[k]] = result[i];
            // The library reads 27 tracks; row 27 is the last of a second call that starts
            // one row further down.
            vbar(tracks.content.data() + 1, planes[0], planes[1], planes[2], at, result, 0);
            out.values[27][slot[k]] = result[26];
        }
    }
    s.dragCount = 0;
    return out;
}

}  // namespace kv::app
