// SPDX-License-Identifier: GPL-3.0-or-later
// The exported C entry points of out47.
#include "data_file.h"
#include "listing.h"
#include "out47.h"
#include "search.h"
#include "traces.h"
#include "track.h"

namespace {

bool usable(const Out47Surface *dc) {
    return dc && dc->set_pixel && dc->move_to && dc->line_to && dc->text_out;
}

const uint8_t *address(intptr_t a) {
    return reinterpret_cast<const uint8_t *>(a);
}

}  // namespace

extern "C" {

void DrawLa(Out47Surface *dc, const uint8_t *plane, int32_t start, int32_t bit, uint32_t zoomIndex,
            const int32_t *offsetRecord, int32_t h, uint32_t colour, uint32_t width, uint32_t y0,
            intptr_t, intptr_t, intptr_t, intptr_t, const uint8_t *mnemonicPatterns, intptr_t,
            intptr_t, const int32_t *groupBase, const int32_t *groupTopBit,
            const int32_t *groupBitMap, intptr_t, intptr_t, const uint8_t *selector,
            const char *mnemonicChars, const uint8_t *plane0, const uint8_t *plane1,
            const uint8_t *plane2) {
    if (!selector || !offsetRecord) return;
    kv::render::TrackArgs a;
    a.dc = dc;
    a.plane = plane;
    a.start = start;
    a.bit = bit;
    a.zoom = static_cast<uint8_t>(zoomIndex);
    a.fine = offsetRecord[3];
    a.h = static_cast<int8_t>(h);
    a.colour = colour;
    a.width = static_cast<uint16_t>(width);
    a.y0 = static_cast<int16_t>(y0);
    a.selector = *selector;
    a.groups.base = groupBase;
    a.groups.topBit = groupTopBit;
    a.groups.bitMap = groupBitMap;
    a.groups.mnemonicPatterns = mnemonicPatterns;
    a.groups.mnemonicChars = mnemonicChars;
    a.planes[0] = plane0;
    a.planes[1] = plane1;
    a.planes[2] = plane2;
    kv::render::drawTrack(a);
}

void Drawzoom(uint32_t selector, Out47Surface *dc, const uint8_t *source, uint8_t *traceBase,
              uint32_t zoomIndex, const int32_t *offsetRecord, int32_t start, uint32_t colour,
              int32_t lineFlag, uint32_t width) {
    if (!usable(dc) || !source || !traceBase || !offsetRecord) return;
    kv::render::drawZoomed(*dc, static_cast<uint8_t>(selector), source, traceBase,
                           static_cast<uint8_t>(zoomIndex), offsetRecord, start, colour, lineFlag,
                           static_cast<uint16_t>(width));
}

void Grid(Out47Surface *dc, uint32_t colour, uint32_t width) {
    if (usable(dc)) kv::render::drawGrid(*dc, colour, static_cast<uint16_t>(width));
}

void linedraw(Out47Surface *dc, const uint8_t *trace, int32_t start) {
    if (usable(dc) && trace) kv::render::drawJumps(*dc, trace + start);
}

void linedrawlogic(int32_t yOffset, Out47Surface *dc, const uint8_t *trace, int32_t start) {
    if (usable(dc) && trace) kv::render::drawLogic(*dc, yOffset, trace + start);
}

void SetPixeltest(Out47Surface *dc, const uint8_t *trace, int32_t start, uint32_t colour) {
    if (usable(dc) && trace) kv::render::drawPixels(*dc, trace + start, colour);
}

void buffer2display(const uint8_t *source, int32_t mode, int32_t offsetA, int32_t offsetB,
                    int32_t offsetC, int32_t offsetD, int32_t offsetL, int32_t offsetM,
                    uint8_t *display, const int32_t *start) {
    if (!source || !display || !start) return;
    const int32_t offsets[6] = {offsetA, offsetB, offsetC, offsetD, offsetL, offsetM};
    kv::render::toDisplay(source, mode, offsets, display, *start);
}

void DrawXY(Out47Surface *dc, uint32_t selectorX, uint32_t selectorY, const uint8_t *traceBase,
            const int32_t *offsetRecord, uint32_t colour) {
    if (!usable(dc) || !traceBase || !offsetRecord) return;
    kv::render::drawXY(*dc, static_cast<uint8_t>(selectorX), static_cast<uint8_t>(selectorY),
                       traceBase, offsetRecord, colour);
}

int32_t statedraw(intptr_t, intptr_t base, intptr_t, intptr_t, const uint8_t *mnemonicPatterns,
                  int32_t *mnemonicIndex, intptr_t, const int32_t *groupBase,
                  const int32_t *groupTopBit, const int32_t *groupBitMap, uint8_t *values,
                  char *binary, intptr_t offset0, intptr_t offset1, intptr_t offset2) {
    if (!groupBase || !groupTopBit || !groupBitMap || !values || !binary || !mnemonicIndex) {
        return 0;
    }
    if (base + offset0 == 0 || base + offset1 == 0 || base + offset2 == 0) return 0;
    kv::render::GroupTables t;
    t.base = groupBase;
    t.topBit = groupTopBit;
    t.bitMap = groupBitMap;
    t.mnemonicPatterns = mnemonicPatterns;
    const uint8_t *planes[3] = {address(base + offset0), address(base + offset1),
                                address(base + offset2)};
    kv::render::ListingOutput out;
    out.values = values;
    out.binary = binary;
    out.mnemonicIndex = mnemonicIndex;
    kv::render::stateListing(t, planes, out);
    return 0;
}

void SearchVdata(intptr_t plane0, intptr_t plane1, intptr_t plane2, uint32_t *pattern,
                 int32_t index, uint32_t direction, const int32_t *origin, int32_t *positions,
                 int32_t count) {
    if (!plane0 || !plane1 || !plane2 || !pattern || !origin || !positions) return;
    const auto slot = static_cast<int8_t>(index);
    if (slot < 0 || slot > 3) return;
    pattern[0] |= 0xFF000000u;
    pattern[1] |= 0xFF000000u;
    kv::render::SearchArgs a;
    a.planes[0] = address(plane0 + *origin);
    a.planes[1] = address(plane1 + *origin);
    a.planes[2] = address(plane2 + *origin);
    a.value = pattern[0];
    a.mask = pattern[1];
    a.backward = static_cast<uint8_t>(direction) != 0;
    a.start = positions[slot];
    a.count = count;
    positions[3] = kv::render::searchSamples(a);
}

int32_t Filter(uint8_t *traceA, uint8_t *traceB, uint8_t *traceC, uint8_t *traceD, int32_t length,
               int32_t mode) {
    if (!traceA || !traceB || length < 0) return length;
    kv::render::smooth(traceA, length);
    kv::render::smooth(traceB, length);
    if (kv::render::modeWithFourTraces(mode) && traceC && traceD) {
        kv::render::smooth(traceC, length);
        kv::render::smooth(traceD, length);
    }
    return length;
}

void GetVbarData(const uint8_t *codes, const uint8_t *plane0, const uint8_t *plane1,
                 const uint8_t *plane2, int32_t position, uint8_t *out, intptr_t) {
    if (!codes || !plane0 || !plane1 || !plane2 || !out) return;
    for (int n = 0; n < 27; ++n) {
        const int code = codes[n];
        uint8_t level = 0;
        if (code >= 30 && code <= 37)
            level = (plane0[position] >> (code - 30)) & 1;
        else if (code >= 38 && code <= 45)
            level = (plane1[position] >> (code - 38)) & 1;
        else if (code >= 46 && code <= 53)
            level = (plane2[position] >> (code - 46)) & 1;
        out[n] = level;
    }
}

int32_t vc_savedata(const uint8_t *row0, int32_t length, const char *path) {
    return kv::render::saveDataFile(row0, length, path);
}

int32_t vc_loaddata(uint8_t *destination, int32_t length, const char *path, int32_t record) {
    return kv::render::loadDataRecord(destination, length, path, record);
}

}  // extern "C"
