// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/atomic_file.h"

namespace kv::app {

XlsxWorkbook::XlsxWorkbook() {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "kv6830-workbook-XXXXXX").string();
    if (error || !mkdtemp(pattern.data())) {
        m_problem = "no temporary folder could be made (" +
                    std::string(error ? error.message() : std::strerror(errno)) + ")";
        return;
    }
    m_folder = pattern;
    m_file = m_folder + "/workbook.xlsx";
    m_workbook = workbook_new(m_file.c_str());
    if (m_workbook) m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    if (!m_sheet) m_problem = "the workbook could not be started";
}

XlsxWorkbook::~XlsxWorkbook() {
    // A workbook never saved is closed into the temporary folder and thrown away with it.
    if (m_workbook) workbook_close(m_workbook);
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

void XlsxWorkbook::number(int row, int column, double value) {
    if (m_sheet) {
        worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                               value, nullptr);
    }
}

void XlsxWorkbook::text(int row, int column, const std::string &text) {
    if (m_sheet) {
        worksheet_write_string(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                               text.c_str(), nullptr);
    }
}

std::string XlsxWorkbook::saveAs(const std::string &path) {
    if (!m_workbook) return m_problem.empty() ? "was not written" : "was not written: " + m_problem;
    const lxw_error closed = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (closed != LXW_NO_ERROR)
        return std::string("could not be written (") + lxw_strerror(closed) + ")";
    std::ifstream in(m_file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return "could not be written (the finished workbook was lost)";
    const platform::WriteOutcome outcome =
        platform::replaceFile(path, {{bytes.data(), bytes.size()}});
    return outcome.ok() ? std::string() : outcome.describe();
}

}  // namespace kv::app
