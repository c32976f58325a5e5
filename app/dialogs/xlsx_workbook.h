// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "dialogs/sheet_export.h"

struct lxw_workbook;
struct lxw_worksheet;

namespace kv::app {

// A new workbook of one sheet that receives cells; it is built in a private temporary
// folder and only a complete file is put where the user wants it.
class XlsxWorkbook : public CellSink {
  public:
    XlsxWorkbook();
    ~XlsxWorkbook() override;
    XlsxWorkbook(const XlsxWorkbook &) = delete;
    XlsxWorkbook &operator=(const XlsxWorkbook &) = delete;

    // Empty when the workbook was made; else why not.
    const std::string &problem() const { return m_problem; }

    void number(int row, int column, double value) override;
    void text(int row, int column, const std::string &text) override;

    // Finishes the workbook and puts it at `path` whole. Empty when done; otherwise why not,
    // in words to follow the file's name, and the file at `path` is as it was.
    std::string saveAs(const std::string &path);

  private:
    std::string m_folder, m_file, m_problem;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
};

}  // namespace kv::app
