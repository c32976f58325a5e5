// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's search: frmSearch over the current view.
#include <QAction>
#include <QMdiSubWindow>

#include "dialogs/search_window.h"
#include "dialogs/topmost.h"
#include "main/main_window.h"
#include "timing/timing_view.h"
#include "timing/view_decoding.h"

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
        hooks.annotationHits = [this](const std::string &needle) {
            std::vector<HitRow> rows;
            TimingView *v = view(m_state.currentView);
            if (!v) return rows;
            const ViewState &vs = m_state.views[static_cast<size_t>(m_state.currentView)];
            const int set = std::clamp(vs.dataSet, 0, m_state.capture.dataSets() - 1);
            const int32_t offset = m_state.dataSetRecords[static_cast<size_t>(set)][0];
            const int64_t period = std::max<int64_t>(1, std::llround(m_state.samplePeriodPs));
            const QString wanted = QString::fromStdString(needle);
            for (const AnnotationEntry &e : annotationEntries(v->decoding()->annotations(),
                                                              offset + vs.triggerCursor, period)) {
                if (!QString::fromStdString(e.text).contains(wanted, Qt::CaseInsensitive)) continue;
                rows.push_back({static_cast<int32_t>(e.start - offset), e.row + ": " + e.text});
            }
            return rows;
        };
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
