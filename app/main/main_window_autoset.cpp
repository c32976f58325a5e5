// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's Autoset: a one-shot capture through the render library's second
// capture path on a mixed-signal unit.
#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include "dialogs/parameters_window.h"
#include "main/library_second_path.h"
#include "main/main_window.h"
#include "platform/tick.h"

namespace kv::app {

void MainWindow::buildAutoset() {
    m_ownSecondPath = std::make_unique<LibrarySecondPath>([this](const std::string &why) {
        QMessageBox::critical(this, "KV-6830", QString::fromStdString(why));
    });
    setSecondPath(*m_ownSecondPath);
    m_autosetPoll = new QTimer(this);
    m_autosetPoll->setObjectName("autosetPoll");
    m_autosetPoll->setInterval(2);
    connect(m_autosetPoll, &QTimer::timeout, this, [this] {
        if (!m_autoset->step()) m_autosetPoll->stop();
    });
}

void MainWindow::setSecondPath(SecondPathApi &path) {
    AutosetHooks hooks;
    hooks.tick = [] { return platform::tickMs(); };
    hooks.rearmTimer1 = [this](int ms) {
        m_timer1->stop();
        m_timer1->setInterval(ms);
        m_timer1->start();
    };
    hooks.triggerPosition = [this](const ViewState &view) { return m_run->triggerPosition(view); };
    m_autoset = std::make_unique<Autoset>(m_state, path, std::move(hooks));
    QAction *button = action("Autoset");
    button->setEnabled(m_autoset->available());
    button->setToolTip(QString::fromStdString(m_autoset->toolTip()));
}

// After the device library's search: the second capture path looks for its own unit, so
// that Autoset has a link to drive (or says why it has none).
void MainWindow::detectMixedUnit() {
    m_autoset->findUnit();
    fillDelayOption(m_state);
    QAction *button = action("Autoset");
    button->setEnabled(m_autoset->available());
    button->setToolTip(QString::fromStdString(m_autoset->toolTip()));
    if (m_form2->isVisible()) m_form2->showSettings();
}

void MainWindow::autosetClicked() {
    // One acquisition at a time: not during a run, not during another Autoset.
    if (!m_autoset->available() || m_autoset->active() || m_run->active()) return;
    m_autoset->start();
    m_autosetPoll->start();
}

}  // namespace kv::app
