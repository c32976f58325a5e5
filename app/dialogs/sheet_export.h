// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kv::app {

// Where the cells go: row and column counted from 0 (cell A1 is row 0, column 0).
class CellSink {
  public:
    virtual ~CellSink() = default;
    virtual void number(int row, int column, double value) = 0;
    virtual void text(int row, int column, const std::string &text) = 0;
};

// The dialog's choices: which byte planes (sections L1, L2, L3) and which formats of each
// (0 Decimal, 1 HexDecimal, 2 Ascii, 3 Binary).
struct SheetChoice {
    std::array<bool, 3> section{};
    std::array<std::array<bool, 4>, 3> format{};
};

// The data set the cells come from.
struct SheetSource {
    std::array<const uint8_t *, 3> planes{};
    int64_t available = 0;               // samples the data set holds
    int32_t origin = 0;                  // added to every sample index
    std::array<int32_t, 2> zeroLevel{};  // analog inputs 1 and 2
    std::array<int32_t, 2> verticalScale{400, 400};
};

struct SheetRange {
    int64_t first = 0, last = 0;
};

// The range as the export takes it: at most 65 534 rows (last at most first + 65 533), and
// last no further than the record's last sample.
SheetRange clipRange(int64_t first, int64_t last, int64_t recordLength);

// The cells of one export, written a row at a time so that the caller can let the window
// work between rows. Cell A2 is "Buffer( )"; each chosen section has its name in row 1 of
// its first column and its formats' names in row 2; row i - first + 3 holds the index i in
// column A and, per chosen format, sample i + 1 + origin of the section's plane. Samples
// the data set does not hold leave their cells empty.
class SheetExport {
  public:
    SheetExport(const SheetChoice &choice, const SheetSource &source, SheetRange range,
                CellSink &sink);

    // Writes "Buffer( )" and sets the abort flag; false when no section is chosen and
    // nothing more is written.
    bool start();
    // Writes the next row, heading its section first when the row is the section's first.
    // False, without writing, when every row is written or the abort flag is 0.
    bool writeRow();
    // "Abort": the export stops before its next row.
    void abort() { m_abortFlag = 0; }
    bool aborted() const { return m_abortFlag == 0 && m_written < m_total; }
    bool finished() const { return m_section >= 3; }
    int64_t rowsWritten() const { return m_written; }
    int64_t rowsTotal() const { return m_total; }

    static const char *headerName(int format);

  private:
    void nextSection();
    void writeCells(int row, int64_t i);

    SheetChoice m_choice;
    SheetSource m_source;
    SheetRange m_range;
    CellSink &m_sink;
    int16_t m_abortFlag = 0;
    int m_section = -1;     // section being written; 3 when done
    int m_column = 1;       // first column of the current section (B)
    int64_t m_next = 0;     // next sample index of the section
    bool m_headed = false;  // the current section's heads are written
    int64_t m_written = 0, m_total = 0;
};

// The single character whose code is v in the Western Windows code page, as UTF-8 (code 0
// is the empty text).
std::string characterOf(uint8_t v);

}  // namespace kv::app
