// SPDX-License-Identifier: GPL-3.0-or-later
// What the search window asks of a view: the value labels' captions, and a cursor that a
// search moved brought into view.
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "timing/timing_view.h"

namespace kv::app {

void TimingView::showMovedCursor(int cursor) {
    cursor = std::clamp(cursor, 0, 2);
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const int32_t positions[3] = {view.cursorA, view.cursorB, view.triggerCursor};
    const int32_t position = positions[cursor];
    moveCursorTo(cursor, position);
    // The state listing starts at the hit; the zoom change below redraws with it.
    view.stateStart = std::clamp(position, 0, std::max(view.barMax, 0));
    {
        const QSignalBlocker block(m_scrollBar1);
        m_scrollBar1->setValue(view.stateStart);
    }
    view.zoomAnchor = static_cast<uint8_t>(cursor);
    zoomChange();
}

QString TimingView::valueLabelText(int cursor, int row) const {
    if (row < 0 || row >= kShownTracks) return {};
    const auto &labels = cursor == 1 ? m_valueB : cursor == 2 ? m_valueT : m_valueA;
    const QLabel *l = labels[static_cast<size_t>(row)];
    return l ? l->text() : QString();
}

}  // namespace kv::app
