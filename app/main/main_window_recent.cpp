// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's shortcuts and its list of recent data files.
#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "main/main_window.h"
#include "main/recent_files.h"

namespace kv::app {

void MainWindow::buildShortcuts() {
    const struct {
        const char *name;
        QKeySequence keys;
    } shortcuts[] = {
        {"go", QKeySequence(Qt::Key_F5)},
        {"stop", QKeySequence(Qt::Key_Escape)},
        {"Forcetrig", QKeySequence(Qt::Key_F6)},
        {"mnuFileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"mnuFileSave", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"mnuFileSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"fileexit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto &s : shortcuts)
        action(s.name)->setShortcut(s.keys);
    // The capture buttons are also Timing menu items, where their keys are shown; the
    // toolbar shows the captions without the mnemonics.
    action("go")->setText("R&un");
    action("stop")->setText("&Stop");
    action("Forcetrig")->setText("F&orce");
    auto *timing = menuBar()->findChild<QMenu *>("mnuTiming");
    QAction *first = timing->actions().value(0);
    timing->insertActions(first, {action("go"), action("stop"), action("Forcetrig")});
    timing->insertSeparator(first);
}

void MainWindow::buildRecentFiles() {
    auto *file = menuBar()->findChild<QMenu *>("mnuFile");
    auto *after = file->findChild<QMenu *>("mnuFileSaveafter");
    m_recentMenu = new QMenu("Rece&nt data files", file);
    m_recentMenu->setObjectName("mnuRecentFiles");
    file->insertMenu(after->menuAction(), m_recentMenu);
    setRecentFiles({});
}

void MainWindow::loadRecentFiles() {
    setRecentFiles(loadRecentList(startupPath(kRecentListName).toStdString()));
}

void MainWindow::setRecentFiles(std::vector<std::string> list) {
    m_recentFiles = std::move(list);
    m_recentMenu->clear();
    for (size_t i = 0; i < m_recentFiles.size(); ++i) {
        const QString path = QString::fromStdString(m_recentFiles[i]);
        QString shown = path;
        shown.replace("&", "&&");
        QAction *a = m_recentMenu->addAction(QString("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QString("mnuRecentFile(%1)").arg(i));
        connect(a, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    m_recentMenu->menuAction()->setEnabled(!m_recentFiles.empty());
}

void MainWindow::rememberDataFile(const QString &path) {
    const std::string name = QFileInfo(path).absoluteFilePath().toStdString();
    const std::vector<std::string> list = recentWith(m_recentFiles, name);
    if (list == m_recentFiles) return;
    setRecentFiles(list);
    m_recentChanged = true;
}

void MainWindow::openRecentFile(const QString &path) {
    if (QFileInfo::exists(path)) {
        if (openDataFileNamed(path)) rememberDataFile(path);
        return;
    }
    setRecentFiles(recentWithout(m_recentFiles, path.toStdString()));
    m_recentChanged = true;
    m_questions->tell("Recent data files",
                      "The data file " + path +
                          " no longer exists; it was taken off the list of recent data files.");
}

void MainWindow::saveRecentFiles() {
    // Like the settings, the list is written at exit, and only when it changed.
    if (!m_recentChanged) return;
    const QString where = startupPath(kRecentListName);
    const platform::WriteOutcome outcome = saveRecentList(where.toStdString(), m_recentFiles);
    if (outcome.ok()) {
        m_recentChanged = false;
        return;
    }
    m_questions->tell("Recent data files", "The list of recent data files " + where + " " +
                                               QString::fromStdString(outcome.describe()) +
                                               "; this session's changes to it are lost.");
}

}  // namespace kv::app
