// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "decode/annotation.h"

namespace kv::app {

// One decoder row of a view: the stack it comes from, the row's name, and its annotations
// (indices into that stack's result) in order of their start.
struct DecodedRow {
    int stack = 0;
    decode::RowName name;
    std::vector<size_t> byStart;
};

// The decoded rows of a view: every row that holds annotations, stack by stack.
struct ViewAnnotations {
    std::vector<decode::DecodeResult> results;  // one per stack
    std::vector<DecodedRow> rows;
};
ViewAnnotations arrangeRows(std::vector<decode::DecodeResult> results);

// Height of a decoder row in the picture.
inline constexpr int kDecoderRowHeight = 20;

// An annotation as drawn: from x0 to x1 (inclusive) with the text that fits.
struct AnnotationBox {
    int x0 = 0, x1 = 0;
    std::string text;
    size_t annotation = 0;  // index into the stack's result
};

// The boxes of a row in a picture `width` pixels wide whose left edge shows sample
// `firstSample`, at `pixelsPerSample`. Annotations narrower than a pixel that fall in the
// same pixel column as the one before are drawn as one box.
using TextWidth = std::function<int(const std::string &)>;
std::vector<AnnotationBox> rowBoxes(const ViewAnnotations &view, const DecodedRow &row,
                                    double firstSample, double pixelsPerSample, int width,
                                    const TextWidth &textWidth);

// The longest of `texts` (longest first, as decoders give them) that fits in `room` pixels;
// else the shortest cut to fit with "..." after it; else nothing.
std::string fittedText(const std::vector<std::string> &texts, int room, const TextWidth &textWidth);

// The box under x, or -1.
int boxAt(const std::vector<AnnotationBox> &boxes, int x);

}  // namespace kv::app

namespace kv::app {

// One line of a view's annotation list.
struct AnnotationEntry {
    int64_t start = 0;  // record sample
    std::string time;   // seconds from the trigger
    std::string row;    // "UART: RX"
    std::string text;
};

// Every annotation of the view's rows, in order of time; times from `triggerSample`, the
// samples `periodPs` picoseconds apart.
std::vector<AnnotationEntry> annotationEntries(const ViewAnnotations &view, int64_t triggerSample,
                                               int64_t periodPs);

// The entries whose text holds `needle` (case alike), by index: what a search of the
// annotation texts finds.
std::vector<size_t> findAnnotations(const std::vector<AnnotationEntry> &entries,
                                    const std::string &needle);

}  // namespace kv::app

namespace kv::app {
// The list as CSV: "Time (s)","Row","Text", one line per entry.
std::string annotationListCsv(const std::vector<AnnotationEntry> &entries);
}  // namespace kv::app
