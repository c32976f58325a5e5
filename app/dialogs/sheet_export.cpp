// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/sheet_export.h"

#include <cstdio>

#include "main/voltage_text.h"

namespace kv::app {

SheetRange clipRange(int64_t first, int64_t last, int64_t recordLength) {
    if (last - first > 65533) last = first + 65533;
    if (last >= recordLength - 1) last = recordLength - 1;
    return {first, last};
}

std::string characterOf(uint8_t v) {
    if (v == 0) return "";
    if (v < 0x80) return std::string(1, static_cast<char>(v));
    // Codes 0x80 to 0x9F are the Western Windows code page's characters (the five it leaves
    // free keep their own code), as the spreadsheet showed them; the rest are Latin-1.
    static constexpr char16_t kWindows[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    const char16_t c = v < 0xA0 ? kWindows[v - 0x80] : v;
    if (c < 0x800) return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

const char *SheetExport::headerName(int format) {
    static const char *kNames[4] = {"Decimal", "HexDecimal", "Ascii", "Unit(v)"};
    return format >= 0 && format < 4 ? kNames[format] : "";
}

SheetExport::SheetExport(const SheetChoice &choice, const SheetSource &source, SheetRange range,
                         CellSink &sink)
    : m_choice(choice), m_source(source), m_range(range), m_sink(sink) {
    const int64_t rows = range.last >= range.first ? range.last - range.first + 1 : 0;
    for (bool chosen : choice.section)
        m_total += chosen ? rows : 0;
}

bool SheetExport::start() {
    bool any = false;
    for (bool chosen : m_choice.section)
        any = any || chosen;
    if (!any) {
        m_section = 3;
        return false;
    }
    m_abortFlag = 1;
    m_sink.text(1, 0, "Buffer( )");
    nextSection();
    return true;
}

void SheetExport::nextSection() {
    do {
        ++m_section;
    } while (m_section < 3 && !m_choice.section[static_cast<size_t>(m_section)]);
    m_next = m_range.first;
    m_headed = false;
}

bool SheetExport::writeRow() {
    if (m_abortFlag == 0) return false;
    while (m_section < 3 && m_next > m_range.last) {
        // The section is done: the next one starts after all its format columns, the
        // empty ones included.
        if (m_headed) {
            for (bool f : m_choice.format[static_cast<size_t>(m_section)])
                m_column += f ? 1 : 0;
        }
        nextSection();
    }
    if (m_section >= 3) return false;
    const auto &formats = m_choice.format[static_cast<size_t>(m_section)];
    if (!m_headed) {
        static const char *kSections[3] = {"L1", "L2", "L3"};
        m_sink.text(0, m_column, kSections[m_section]);
        int column = m_column;
        for (int k = 0; k < 4; ++k) {
            if (formats[static_cast<size_t>(k)]) m_sink.text(1, column++, headerName(k));
        }
        m_headed = true;
    }
    writeCells(static_cast<int>(m_next - m_range.first + 2), m_next);
    ++m_next;
    ++m_written;
    return true;
}

void SheetExport::writeCells(int row, int64_t i) {
    m_sink.number(row, 0, static_cast<double>(i));
    const int64_t s = i + 1 + m_source.origin;
    const bool held = s >= 0 && s < m_source.available;
    const uint8_t v = held ? m_source.planes[static_cast<size_t>(m_section)][s] : 0;
    const auto &formats = m_choice.format[static_cast<size_t>(m_section)];
    int column = m_column;
    for (int k = 0; k < 4; ++k) {
        if (!formats[static_cast<size_t>(k)]) continue;
        const int at = column++;
        if (!held) continue;
        switch (k) {
            case 0:
                m_sink.number(row, at, v);
                break;
            case 1: {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%X", v);
                m_sink.text(row, at, hex);
                break;
            }
            case 2:
                m_sink.text(row, at, characterOf(v));
                break;
            default:
                // Binary of L3 is an empty column; L1 and L2 show the analog input's voltage.
                if (m_section < 2) {
                    const auto input = static_cast<size_t>(m_section);
                    const double mv = static_cast<double>(m_source.zeroLevel[input] - v) *
                                      m_source.verticalScale[input] / 1000.0;
                    m_sink.text(row, at, voltageText(mv));
                }
                break;
        }
    }
}

}  // namespace kv::app
