// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's timing views: opening and closing, redrawing, captions and the
// data-to-timing binding, display units and read-outs.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/capture_parameters.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "main/window_tiling.h"
#include "timing/measurements.h"
#include "timing/timing_view.h"
#include "timing/view_model.h"

namespace kv::app {

void MainWindow::createViews() {
    for (int k = 0; k <= m_state.highestViewIndex; ++k) {
        ViewHooks hooks;
        hooks.redrawAllViews = [this] { redrawAllViews(); };
        hooks.updateDistances = [this] { updateDistances(); };
        hooks.synchroniseTrigger = [this] { synchroniseTrigger(); };
        hooks.openParametersWindow = [this] {
            action("Parameter_window")->setChecked(true);
            showParametersWindow(true);
        };
        hooks.decoderFailed = [this](const QString &message) {
            m_questions->tell("Protocol decoders", message);
        };
        auto *v = new TimingView(m_state, m_render, k, hooks);
        v->setToolTip(QString("Timing view %1").arg(k + 1));  // numbered as its caption
        QMdiSubWindow *sub = m_mdi->addSubWindow(v);
        sub->setObjectName(QString("TimingWindow(%1)").arg(k));
        sub->hide();
        connect(v, &TimingView::closedByUser, this, [this](int i) {
            if (m_state.views[static_cast<size_t>(i)].open) toggleView(i);
        });
        m_views.push_back(v);
        m_subWindows.push_back(sub);
        action(QString("munTiming(%1)").arg(k))->setEnabled(true);
    }
    for (int k = m_state.highestViewIndex + 1; k < 10; ++k) {
        action(QString("munTiming(%1)").arg(k))->setVisible(false);
    }
}

TimingView *MainWindow::view(int k) const {
    return k >= 0 && k < static_cast<int>(m_views.size()) ? m_views[static_cast<size_t>(k)]
                                                          : nullptr;
}

void MainWindow::toggleView(int k) {
    TimingView *v = view(k);
    if (!v) return;
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    ViewState &state = m_state.views[static_cast<size_t>(k)];
    state.open = !state.open;
    action(QString("munTiming(%1)").arg(k))->setChecked(state.open);
    m_state.currentView = k;
    QMdiSubWindow *sub = m_subWindows[static_cast<size_t>(k)];
    if (state.open) {
        v->initialiseLayout();
        applyMemoryDepth(m_state);
        applyZoomStep(m_state, k, state.zoomIndex);
        v->applyState();
        sub->show();
        v->show();
    } else {
        sub->hide();
    }
    if (state.open) updateDistances();
    redrawAllViews();
    m_state.busy = busy;
    applyCaptions(false, true);
    arrangeWindows(WindowArrangement::TileHorizontal);
}

void MainWindow::arrangeWindows(WindowArrangement how) {
    if (how == WindowArrangement::Cascade) {
        m_mdi->cascadeSubWindows();
        return;
    }
    // Tiling takes the shown windows that are not minimised; Arrange Icons only the
    // minimised ones.
    const bool icons = how == WindowArrangement::ArrangeIcons;
    std::vector<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isHidden() && w->isMinimized() == icons) windows.push_back(w);
    }
    if (windows.empty()) return;
    const QSize area = m_mdi->viewport()->size();
    const int n = static_cast<int>(windows.size());
    const std::vector<WindowRect> places =
        icons
            ? iconPlaces(n, area.width(), area.height(), windows[0]->width(), windows[0]->height())
            : tileWindows(n, area.width(), area.height(), how == WindowArrangement::TileHorizontal);
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows[static_cast<size_t>(i)];
        const WindowRect &r = places[static_cast<size_t>(i)];
        if (icons) {
            w->move(r.x, r.y);
            continue;
        }
        if (w->isMaximized()) w->showNormal();
        w->setGeometry(r.x, r.y, r.width, r.height);
    }
}

void MainWindow::applyCaptions(bool byAutoCommand, bool onlyChecked) {
    std::vector<bool> checked;
    if (onlyChecked) {
        for (int i = 0; i <= m_state.highestViewIndex; ++i) {
            checked.push_back(m_state.views[static_cast<size_t>(i)].open);
        }
    }
    const std::vector<std::string> captions = applyCaptionRule(m_state, byAutoCommand, checked);
    for (int i = 0; i <= m_state.highestViewIndex; ++i) {
        if (!captions[static_cast<size_t>(i)].empty()) {
            action(QString("munTiming(%1)").arg(i))
                ->setText(QString::fromStdString(captions[static_cast<size_t>(i)]));
        }
    }
}

void MainWindow::bindingItem(bool byAuto) {
    bool &mine = byAuto ? m_state.data2timingbyauto : m_state.data2timing;
    bool &other = byAuto ? m_state.data2timing : m_state.data2timingbyauto;
    mine = !mine;
    if (mine) other = false;
    action("data2timing")->setChecked(m_state.data2timing);
    action("data2timingbyauto")->setChecked(m_state.data2timingbyauto);
    applyCaptions(byAuto, false);
    synchroniseTrigger();
    redrawAllViews();
}

void MainWindow::displayUnitItem(int clicked) {
    DisplayUnits units{m_state.displayTime, m_state.displaySamples, m_state.displayFrequency};
    units = toggleUnit(units, clicked);
    m_state.displayTime = units.time;
    m_state.displaySamples = units.samples;
    m_state.displayFrequency = units.frequency;
    action("displaytime")->setChecked(units.time);
    action("displaysample")->setChecked(units.samples);
    action("displayFrequency")->setChecked(units.frequency);
    updateDistances();
}

void MainWindow::updateDistances() {
    const int current = m_state.currentView;
    for (TimingView *v : m_views)
        v->updateDistanceReadouts();
    m_state.currentView = current;
}

void MainWindow::synchroniseTrigger() {
    if (!m_state.data2timing) return;
    const ViewState &from = m_state.views[static_cast<size_t>(m_state.currentView)];
    for (int v = 0; v <= m_state.highestViewIndex; ++v) {
        if (v == m_state.currentView) continue;
        ViewState &to = m_state.views[static_cast<size_t>(v)];
        if (m_state.triggerDelayMode)
            to.triggerDelay = from.triggerDelay;
        else
            to.triggerCursor = from.triggerCursor;
        if (TimingView *w = view(v)) w->applyState();
    }
}

void MainWindow::redrawAllViews() {
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    const int current = m_state.currentView;
    for (TimingView *v : m_views) {
        if (!m_state.views[static_cast<size_t>(v->index())].open) continue;
        m_state.currentView = v->index();
        v->draw();
    }
    m_state.currentView = current;
    m_state.busy = busy;
}

void MainWindow::refreshScreen() {
    if (TimingView *v = view(m_state.currentView)) v->clearPicture();
    redrawAllViews();
}

void MainWindow::memoryDepthChanged() {
    applyMemoryDepth(m_state);
    const int minimum = minimumZoomIndex(m_state.settings.memoryDepthIndex);
    for (int v = 0; v <= m_state.highestViewIndex; ++v) {
        ViewState &view = m_state.views[static_cast<size_t>(v)];
        if (view.zoomIndex < minimum) {
            applyZoomStep(m_state, v, minimum);
            view.pixelsPerSample = pixelsPerSampleOf(minimum);
        }
    }
    for (TimingView *v : m_views)
        v->applyState();
    updateDistances();
    redrawAllViews();
}

void MainWindow::triggerDelayChanged() {
    if (m_state.triggerDelayMode) applyMemoryDepth(m_state);
    for (TimingView *v : m_views)
        v->applyState();
    updateDistances();
    redrawAllViews();
}

}  // namespace kv::app
