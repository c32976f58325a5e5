// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::app {

// How a captured picture goes onto a page: all sizes in one unit of the caller's choice
// (the printer's device pixels when printing).

enum class PageOrientation { Portrait = 1, Landscape = 2 };

// Portrait when the picture is at least as tall as it is wide.
PageOrientation orientationFor(double pictureWidth, double pictureHeight);

struct PrintedSize {
    double width = 0, height = 0;
};

// The picture scaled to the printable area with its ratio kept; only eight ninths of the
// printable height are used, the rest stays for the title above it.
PrintedSize fitToPage(double pictureWidth, double pictureHeight, double printableWidth,
                      double printableHeight);

// The picture scaled into a box with its ratio kept, as large as the box allows.
PrintedSize fitKeepingRatio(double pictureWidth, double pictureHeight, double boxWidth,
                            double boxHeight);

// Printer positions are given in twips (1440 to the inch).
inline double twipsToPixels(double twips, double dotsPerInch) {
    return twips * dotsPerInch / 1440.0;
}
inline constexpr double kTitleLeftTwips = 10;
inline constexpr double kTitleTopTwips = 200;
inline constexpr double kPictureTopTwips = 800;
inline constexpr int kTitlePoints = 18;

// One page of a sample range: its first sample, the columns it draws and the samples they
// show.
struct RangePage {
    int32_t first = 0;
    int32_t samples = 0;
    int columns = 0;
};

// Splits the samples first..last (both included) into pages of `pageColumns` columns at a
// zoom step (1000 x pixels per sample, as the zoom list's item data). A page starts where
// the previous one ended; at a magnification a page shows only whole samples, when
// reduced a column shows whole groups of samples.
std::vector<RangePage> rangePages(int32_t first, int32_t last, int zoomItemData, int pageColumns);

// The range as typed: two whole sample numbers, the first not after the last, both inside
// the record (0 .. recordLength - 1). `error` says what is wrong otherwise.
struct RangeInput {
    bool ok = false;
    int32_t first = 0, last = 0;
    std::string error;
};
RangeInput checkRange(const std::string &first, const std::string &last, int32_t recordLength);

}  // namespace kv::app
