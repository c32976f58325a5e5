// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's search: frmSearch over the current view.
#include <QAction>
#include <QMdiSubWindow>

#include "dialogs/search_window.h"
#include "dialogs/topmost.h"
#include "main/main_window.h"
#include "timing/timing_view.h"

namespace kv::app {

void MainWindow::openSearch() {
    if (!m_search) {
        SearchHooks hooks;
        hooks.searchVdata = [this] { return m_render.searchVdata(); };
        hooks.valueLabel = [this](int cursor, int row) {
            TimingView *v = view(m_state.currentView);
            return v ? v->valueLabelText(cursor, row).toStdString() : std::string();
        };
        hooks.showCursor = [this](int cursor) {
            if (TimingView *v = view(m_state.currentView)) v->showMovedCursor(cursor);
        };
        hooks.openGroupSetup = [this] { openGroupSetup(); };
        m_search = new SearchWindow(m_state, std::move(hooks), this);
        m_search->adjustSize();
    }
    // Over the right edge of the current view, 80 pixels below the top of its picture.
    QPoint at(0, 80);
    if (TimingView *v = view(m_state.currentView)) {
        const QWidget *frame = viewWindow(m_state.currentView);
        if (!frame) frame = v;
        const QPoint left = frame->mapToGlobal(QPoint(0, 0));
        at = {left.x() + frame->width() - m_search->width(),
              v->picture()->mapToGlobal(QPoint(0, 0)).y() + 80};
    }
    placeTopmost(m_search, -1, std::max(at.x(), 0), std::max(at.y(), 0));
    m_search->opened();
    m_search->show();
    m_search->raise();
}

}  // namespace kv::app
