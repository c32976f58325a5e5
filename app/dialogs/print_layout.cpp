// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/print_layout.h"

#include <algorithm>
#include <charconv>

namespace kv::app {

PageOrientation orientationFor(double pictureWidth, double pictureHeight) {
    return pictureHeight >= pictureWidth ? PageOrientation::Portrait : PageOrientation::Landscape;
}

PrintedSize fitToPage(double pictureWidth, double pictureHeight, double printableWidth,
                      double printableHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {};
    const double usableHeight = printableHeight * 8.0 / 9.0;
    const double pictureRatio = pictureWidth / pictureHeight;
    const double printerRatio = printableWidth / usableHeight;
    if (pictureRatio >= printerRatio) return {printableWidth, printableWidth / pictureRatio};
    return {usableHeight * pictureRatio, usableHeight};
}

PrintedSize fitKeepingRatio(double pictureWidth, double pictureHeight, double boxWidth,
                            double boxHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
    const double scale = std::min(boxWidth / pictureWidth, boxHeight / pictureHeight);
    return {pictureWidth * scale, pictureHeight * scale};
}

std::vector<RangePage> rangePages(int32_t first, int32_t last, int zoomItemData, int pageColumns) {
    std::vector<RangePage> pages;
    if (last < first || pageColumns <= 0 || zoomItemData <= 0) return pages;
    // Samples a column shows (reduced) or columns a sample takes (magnified).
    const int64_t perColumn = zoomItemData >= 1000 ? 1 : 1000 / zoomItemData;
    const int64_t perSample = zoomItemData >= 1000 ? zoomItemData / 1000 : 1;
    const int64_t pageSamples = std::max<int64_t>(pageColumns / perSample * perColumn, 1);
    for (int64_t start = first; start <= last; start += pageSamples) {
        const int64_t samples = std::min<int64_t>(pageSamples, int64_t{last} - start + 1);
        const int64_t columns = (samples + perColumn - 1) / perColumn * perSample;
        pages.push_back({static_cast<int32_t>(start), static_cast<int32_t>(samples),
                         static_cast<int>(columns)});
    }
    return pages;
}

RangeInput checkRange(const std::string &first, const std::string &last, int32_t recordLength) {
    RangeInput in;
    const auto number = [&](const std::string &text, const char *what, int32_t &value) {
        const size_t a = text.find_first_not_of(' ');
        const size_t b = text.find_last_not_of(' ');
        const std::string t = a == std::string::npos ? "" : text.substr(a, b - a + 1);
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
            in.error = std::string("The ") + what + " sample \"" + t + "\" is not a whole number.";
            return false;
        }
        if (value < 0 || value >= recordLength) {
            in.error = std::string("The ") + what + " sample must lie between 0 and " +
                       std::to_string(recordLength - 1) + ".";
            return false;
        }
        return true;
    };
    if (!number(first, "first", in.first) || !number(last, "last", in.last)) return in;
    if (in.first > in.last) {
        in.error = "The first sample lies after the last.";
        return in;
    }
    in.ok = true;
    return in;
}

}  // namespace kv::app
