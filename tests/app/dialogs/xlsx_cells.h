// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small reader of the first sheet of a workbook: cell reference ("B3") to its text,
// numbers as the file writes them.
#include <QMap>
#include <QString>

namespace kv::test {

// Empty when the file is no workbook or has no first sheet; `ok` says which.
QMap<QString, QString> readSheetCells(const QString &path, bool *ok = nullptr);

}  // namespace kv::test
