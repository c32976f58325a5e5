// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's setup windows (groups and mnemonics; channels, tracks and state
// columns) and the state listing switch.
#include <QAction>
#include <QMdiSubWindow>

#include "dialogs/channel_setup_window.h"
#include "dialogs/group_setup_window.h"
#include "dialogs/parameters_window.h"
#include "dialogs/topmost.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

namespace kv::app {
namespace {

// Window heights of the views with and without the state listing, in twips.
constexpr int kListingViewTwips = 17000;
constexpr int kPlainViewTwips = 12000;
constexpr int kTwipsPerPixel = 15;

}  // namespace

void MainWindow::layoutAllTrackRows() {
    const int current = m_state.currentView;
    for (TimingView *v : m_views) {
        m_state.currentView = v->index();
        v->layoutTrackRows();
    }
    m_state.currentView = current;
}

GroupSetupWindow *MainWindow::groupSetup() const {
    return m_groupSetup;
}

ChannelSetupWindow *MainWindow::channelSetup() const {
    return m_channelSetup;
}

QMdiSubWindow *MainWindow::viewWindow(int k) const {
    return k >= 0 && k < static_cast<int>(m_subWindows.size())
               ? m_subWindows[static_cast<size_t>(k)]
               : nullptr;
}

static SetupHooks setupHooks(MainWindow *w) {
    SetupHooks hooks;
    hooks.layoutTrackRows = [w] { w->layoutAllTrackRows(); };
    hooks.redrawAllViews = [w] { w->redrawAllViews(); };
    hooks.openGroupSetup = [w] { w->openGroupSetup(); };
    return hooks;
}

// The common placing of the tool windows: the Parameters window back to its normal state,
// then the window topmost at (x, y) with its own size.
static void placeToolWindow(QWidget *form2, QWidget *window) {
    if (form2) form2->setWindowState(form2->windowState() & ~Qt::WindowMinimized);
    placeTopmost(window, -1, 100, 120);
}

void MainWindow::openGroupSetup() {
    if (m_groupSetup) {
        // The window's own handlers must not run while it goes.
        m_groupSetup->disconnect(this);
        delete m_groupSetup;
    }
    auto *w = new GroupSetupWindow(m_state, setupHooks(this), this);
    m_groupSetup = w;
    connect(w, &GroupSetupWindow::groupRenamed, this, [this] {
        if (m_channelSetup && m_channelSetup->isVisible()) m_channelSetup->refillGroupLists();
    });
    w->adjustSize();
    placeToolWindow(m_form2, w);
    w->show();
}

void MainWindow::openChannelSetup() {
    if (m_channelSetup) delete m_channelSetup;
    auto *w = new ChannelSetupWindow(m_state, setupHooks(this), this);
    m_channelSetup = w;
    connect(w, &ChannelSetupWindow::channelRenamed, this, [this](int channel) {
        if (m_groupSetup && m_groupSetup->isVisible()) m_groupSetup->channelRenamed(channel);
    });
    w->adjustSize();
    placeToolWindow(m_form2, w);
    w->show();
}

void MainWindow::refreshSetupWindows() {
    if (m_groupSetup && m_groupSetup->isVisible()) openGroupSetup();
    if (m_channelSetup && m_channelSetup->isVisible()) openChannelSetup();
}

void MainWindow::stateListingSwitch(bool on) {
    m_state.stateListing = on;
    const int height = (on ? kListingViewTwips : kPlainViewTwips) / kTwipsPerPixel;
    for (int k = 0; k <= m_state.highestViewIndex; ++k) {
        QMdiSubWindow *sub = viewWindow(k);
        if (!sub) continue;
        // Back to the normal state without showing a view that is closed.
        if (sub->isVisible())
            sub->showNormal();
        else
            sub->setWindowState(Qt::WindowNoState);
        sub->resize(sub->width(), height);
        view(k)->setListingBarShown(on);
    }
    redrawAllViews();
}

}  // namespace kv::app
