// SPDX-License-Identifier: GPL-3.0-or-later
// The annotation list window.
#include "dialogs/annotation_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kv::app {

void AnnotationListModel::setEntries(std::vector<AnnotationEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

std::vector<int> AnnotationListModel::matches(const QString &needle) const {
    std::vector<int> out;
    for (size_t i : findAnnotations(m_entries, needle.toStdString()))
        out.push_back(int(i));
    return out;
}

int AnnotationListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int AnnotationListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant AnnotationListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= m_entries.size())
        return {};
    const AnnotationEntry &e = m_entries[size_t(index.row())];
    switch (index.column()) {
        case 0:
            return QString::fromStdString(e.time);
        case 1:
            return QString::fromStdString(e.row);
        default:
            return QString::fromStdString(e.text);
    }
}

QVariant AnnotationListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char *names[3] = {"Time (s)", "Row", "Text"};
    return section >= 0 && section < 3 ? QString(names[section]) : QVariant();
}

AnnotationListWindow::AnnotationListWindow(Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window), m_hooks(std::move(hooks)), m_model(this) {
    setObjectName("frmAnnotations");
    setWindowTitle("Annotations");
    m_table = new QTableView(this);
    m_table->setObjectName("AnnotationTable");
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    auto *exportButton = new QPushButton("Export CSV...", this);
    exportButton->setObjectName("ExportCsv");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (m_hooks.exportCsv) m_hooks.exportCsv();
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (m_hooks.showSample && size_t(index.row()) < m_model.entries().size())
            m_hooks.showSample(m_model.entries()[size_t(index.row())].start);
    });
    resize(520, 400);
}

}  // namespace kv::app
