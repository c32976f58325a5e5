// SPDX-License-Identifier: GPL-3.0-or-later
// The keys and the wheel of a timing view. Each goes through what the view's own controls
// use: the zoom change with anchor, the screen scroll bar's handler, the cursor scroll
// bars' handlers and the label actions, so that their guards, limits, read-outs and the
// other views follow as they do for a click.
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "timing/measurements.h"
#include "timing/navigation.h"
#include "timing/timing_view.h"

namespace kv::app {

void TimingView::keyPressEvent(QKeyEvent *event) {
    if (navigationKey(event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

bool TimingView::navigationKey(const QKeyEvent *event) {
    // Keys with Ctrl, Alt or Meta belong to the menus and the window.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (m_state.busy == 33) return false;
    makeCurrent();
    const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int width = m_picture->width();
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the + key unshifted
            zoomToStep(neighbourZoomStep(m_combo2->currentIndex(), -1));
            return true;
        case Qt::Key_Minus:
            zoomToStep(neighbourZoomStep(m_combo2->currentIndex(), 1));
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int32_t step = scrollSamples(width, zoomRatio(), shift);
            scrollScreenTo(movedBarValue(view.screenStart,
                                         event->key() == Qt::Key_Left ? -step : step,
                                         m_hscroll1->maximum()));
            return true;
        }
        case Qt::Key_Home:
            scrollScreenTo(0);
            return true;
        case Qt::Key_End:
            scrollScreenTo(m_hscroll1->maximum());
            return true;
        case Qt::Key_T:
            scrollScreenTo(centredStart(readoutTrigger(m_state, view), width, zoomRatio(),
                                        m_hscroll1->maximum()));
            return true;
        case Qt::Key_A:
            labelClicked(6);  // "Window to  CursorA "
            return true;
        case Qt::Key_B:
            labelClicked(7);  // "Window to  CursorB"
            return true;
        case Qt::Key_1:
            cursorToPointer(0);
            return true;
        case Qt::Key_2:
            cursorToPointer(1);
            return true;
        case Qt::Key_F:
            zoomKeepingStart(fittingZoomStep(m_state.recordLength, width), 0);
            return true;
        default:
            return false;
    }
}

void TimingView::pictureWheel(QWheelEvent *event) {
    event->accept();
    if (m_state.busy == 33) return;
    makeCurrent();
    const QPoint delta = event->angleDelta();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (shift || delta.y() == 0) {
        // A notch away from the user (or to the left) shows earlier samples.
        const int notches = m_scrollNotches.feed(delta.x() != 0 ? delta.x() : delta.y());
        if (notches == 0) return;
        const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
        const int64_t step = scrollSamples(m_picture->width(), zoomRatio(), false);
        scrollScreenTo(movedBarValue(view.screenStart, -notches * step, m_hscroll1->maximum()));
        return;
    }
    const int notches = m_zoomNotches.feed(delta.y());
    const int from = m_combo2->currentIndex();
    const int to = neighbourZoomStep(from, -notches);  // away from the user: magnify
    if (to == from) return;
    const int x = static_cast<int>(std::floor(event->position().x()));
    const int32_t start = m_state.views[static_cast<size_t>(m_index)].screenStart;
    zoomKeepingStart(to,
                     startKeepingPixel(start, x, ZoomRatio::ofStep(from), ZoomRatio::ofStep(to)));
}

void TimingView::wheelEvent(QWheelEvent *event) {
    const QPointF at = event->position();
    const bool besideRows =
        at.y() >= m_picture->y() && at.y() < m_picture->y() + m_picture->height();
    if (!besideRows || m_state.busy == 33) {
        event->ignore();
        return;
    }
    event->accept();
    const int notches = m_rowNotches.feed(event->angleDelta().y());
    // VScroll1's handler lays out the rows and redraws.
    if (notches != 0) m_vscroll1->setValue(m_vscroll1->value() - notches);
}

void TimingView::zoomToStep(int listIndex) {
    if (listIndex == m_combo2->currentIndex()) return;
    m_combo2->setCurrentIndex(listIndex);
    zoomChange();
}

void TimingView::zoomKeepingStart(int listIndex, int32_t start) {
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const uint8_t anchor = view.zoomAnchor;
    view.zoomAnchor = 3;
    view.screenStart = start;
    m_combo2->setCurrentIndex(listIndex);
    zoomChange();
    view.zoomAnchor = anchor;
}

void TimingView::scrollScreenTo(int32_t value) {
    if (m_hscroll1->value() != value)
        m_hscroll1->setValue(value);
    else
        screenBarChanged();
}

void TimingView::cursorToPointer(int cursor) {
    if (m_pointerX < 0 || m_pointerX >= m_picture->width()) return;
    const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    QScrollBar *bars[2] = {m_hscroll3, m_hscroll5};
    // As a drag: a pointer beyond the record's end puts the cursor at the bar's Max.
    bars[cursor]->setValue(draggedCursor(view, m_pointerX, zoomRatio()));
}

}  // namespace kv::app
