// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <vector>

#include "timing/decoder_rows.h"

class QTableView;

namespace kv::app {

// The annotation list of a view as a table: time from the trigger, row, text. A search of
// annotation texts asks it with matches().
class AnnotationListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;
    void setEntries(std::vector<AnnotationEntry> entries);
    const std::vector<AnnotationEntry> &entries() const { return m_entries; }
    // The rows whose text holds `needle`, case alike.
    std::vector<int> matches(const QString &needle) const;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<AnnotationEntry> m_entries;
};

// "Annotations": a view's list with its CSV export. A double click moves cursor A there.
class AnnotationListWindow : public QWidget {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<void()> exportCsv;
        std::function<void(int64_t recordSample)> showSample;
    };
    AnnotationListWindow(Hooks hooks, QWidget *parent = nullptr);
    AnnotationListModel &model() { return m_model; }
    QTableView *table() const { return m_table; }

  private:
    Hooks m_hooks;
    AnnotationListModel m_model;
    QTableView *m_table = nullptr;
};

}  // namespace kv::app
