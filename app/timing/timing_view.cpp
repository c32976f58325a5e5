// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/timing_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <cmath>

#include "core/capture_parameters.h"
#include "timing/measurements.h"
#include "timing/qt_surface.h"
#include "timing/range_scroll_bar.h"
#include "timing/view_decoding.h"
#include "timing/view_model.h"

namespace kv::app {
namespace {

constexpr int kNameWidth = 104;
constexpr int kValueWidth = 30;
constexpr int kBarHeight = 16;

}  // namespace

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {
    setObjectName("Picture1");
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The view's keys work while the picture has the focus; 1 and 2 need the pointer.
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void PictureBox::fitImage() {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (m_image.size() == size) return;
    QImage next(size, QImage::Format_RGB32);
    next.fill(Qt::black);
    if (!m_image.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, m_image);
    }
    m_image = next;
}

void PictureBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

MarkStrip::MarkStrip(QWidget *parent) : QWidget(parent) {}

void MarkStrip::setMarks(const int marks[4], int screenEnd, const QColor colours[4]) {
    for (int i = 0; i < 4; ++i) {
        m_marks[i] = marks[i];
        m_colours[i] = colours[i];
    }
    m_screenEnd = screenEnd;
    update();
}

void MarkStrip::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(QPen(m_colours[0], 3));
    p.drawLine(m_marks[0], height() - 2, std::max(m_screenEnd, m_marks[0] + 1), height() - 2);
    for (int i = 1; i < 4; ++i) {
        p.setPen(QPen(m_colours[i], 2));
        p.drawLine(m_marks[i], 0, m_marks[i], height());
    }
}

TimingView::TimingView(ProgramState &state, RenderLibrary &render, int index, ViewHooks hooks,
                       QWidget *parent)
    : QWidget(parent), m_state(state), m_render(render), m_index(index), m_hooks(std::move(hooks)) {
    m_decoding = new ViewDecoding(this);
    connect(m_decoding, &ViewDecoding::decoded, this, [this] { draw(); });
    connect(m_decoding, &ViewDecoding::failed, this, [this](const QString &message) {
        if (m_hooks.decoderFailed) m_hooks.decoderFailed(message);
    });
    setObjectName("sdiform1");
    setWindowTitle(QString("Timing view %1").arg(index + 1));
    setProperty("tag", QString::number(index));
    m_picture = new PictureBox(this);
    m_marks = new MarkStrip(this);
    m_hscroll1 = bar("HScroll1", Qt::Horizontal, "Screen Scroll");
    m_hscroll3 = bar("HScroll3", Qt::Horizontal, "CursorA Scroll");
    m_hscroll5 = bar("HScroll5", Qt::Horizontal, "CursorB Scroll");
    m_hscroll6 = bar("HScroll6", Qt::Horizontal, "Trigger Scroll");
    m_hscroll7 = new RangeScrollBar(this);
    m_hscroll7->setObjectName("HScroll7");
    m_hscroll7->setToolTip("Trigger Delay Scroll(tolerance 256 clock)");
    m_hscroll7->setBarRange(m_state.views[static_cast<size_t>(index)].delayBarMin,
                            m_state.views[static_cast<size_t>(index)].delayBarMax);
    m_hscroll7->hide();
    m_vscroll1 = bar("VScroll1", Qt::Vertical);
    m_vscroll1->setRange(0, kShownTracks - 1);
    m_scrollBar1 = bar("ScrollBar1", Qt::Horizontal);
    m_scrollBar1->hide();
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName("Combo1");
    m_combo1->setToolTip("Select a object to handle");
    m_combo1->addItems({"CursorA. zoom", "CursorB. zoom", "CursorT. zoom", "Screen zoom"});
    m_combo2 = new QComboBox(this);
    m_combo2->setObjectName("Combo2");
    m_combo2->setToolTip("Zoom factor");
    for (const ZoomStep &z : kZoomList)
        m_combo2->addItem(z.caption, z.itemData);
    m_combo2->setCurrentIndex(5);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < kShownTracks; ++i) {
        auto *name = new QLineEdit(this);
        name->setObjectName(QString("Text1(%1)").arg(i));
        name->setFrame(false);
        m_names[static_cast<size_t>(i)] = name;
        const auto value = [&](const QString &n, const QString &tip) {
            QLabel *l = label(QString("%1(%2)").arg(n).arg(i), "0", tip + QString(" D%1").arg(i));
            l->setAlignment(Qt::AlignCenter);
            return l;
        };
        m_valueA[static_cast<size_t>(i)] = value("LabelV1", "Cursor A");
        m_valueB[static_cast<size_t>(i)] = value("LabelV2", "Cursor B");
        m_valueT[static_cast<size_t>(i)] = value("LabelTrig", "Trigger cursor");
    }
    m_labels[1] = label("Label1", "Cursor A", "CursorA to window");
    m_labels[2] = label("Label2", "Cursor B", "CursorB to window");
    m_labels[3] = label("Label3", "Trigger", "CursorT to window");
    m_labels[6] = label("Label6", "30", "Window to  CursorA ");
    m_labels[7] = label("Label7", "90", "Window to  CursorB");
    m_labels[8] = label("Label8", "60", "Window to  CursorT");
    m_labels[11] = label("Label11", "Screen", "CursorA,B,T to window");
    m_labels[12] = label("Label12", "0");
    m_labels[13] = label("Label13", "A-B");
    m_labels[14] = label("Label14", "A-T");
    m_labels[15] = label("Label15", "B-T");
    m_labels[17] = label("Label17", "500.0000NS");
    m_labels[18] = label("Label18", "500.0000NS");
    m_labels[19] = label("Label19", "500.0000NS");
    for (int i : {4, 5, 9, 10, 16})
        m_labels[static_cast<size_t>(i)] = label(QString("Label%1").arg(i), "");
    setMinimumSize(200, 180);
    resize(900, 520);
    initialiseLayout();
    setFocusProxy(m_picture);

    m_picture->installEventFilter(this);
    m_marks->installEventFilter(this);
    for (int i : {1, 2, 3, 6, 7, 8, 11})
        m_labels[static_cast<size_t>(i)]->installEventFilter(this);
    connect(m_hscroll3, &QScrollBar::valueChanged, this, [this](int v) { cursorBarChanged(0, v); });
    connect(m_hscroll5, &QScrollBar::valueChanged, this, [this](int v) { cursorBarChanged(1, v); });
    connect(m_hscroll6, &QScrollBar::valueChanged, this, [this](int v) { cursorBarChanged(2, v); });
    // The screen and delay bars act when the thumb is let go.
    connect(m_hscroll1, &QScrollBar::valueChanged, this, [this] {
        if (!m_hscroll1->isSliderDown()) screenBarChanged();
    });
    connect(m_hscroll1, &QScrollBar::sliderReleased, this, [this] { screenBarChanged(); });
    connect(m_hscroll7, &RangeScrollBar::barValueChanged, this, [this] {
        if (!m_hscroll7->isSliderDown()) delayBarChanged();
    });
    connect(m_hscroll7, &QScrollBar::sliderReleased, this, [this] { delayBarChanged(); });
    // The state listing's first sample.
    connect(m_scrollBar1, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_state.busy == 33) return;
        makeCurrent();
        m_state.views[static_cast<size_t>(m_index)].stateStart = v;
        if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    });
    connect(m_vscroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_state.busy == 33) return;
        makeCurrent();
        m_state.views[static_cast<size_t>(m_index)].firstRow = v;
        layoutTrackRows();
        if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    });
    connect(m_combo2, &QComboBox::activated, this, [this] {
        if (m_state.busy == 33) return;
        makeCurrent();
        zoomChange();
    });
    connect(m_combo1, &QComboBox::activated, this, [this](int i) {
        if (m_state.busy == 33) return;
        makeCurrent();
        m_state.views[static_cast<size_t>(m_index)].zoomAnchor = static_cast<uint8_t>(i);
        zoomChange();
    });
}

void TimingView::makeCurrent() {
    m_state.currentView = m_index;
}

ZoomRatio TimingView::zoomRatio() const {
    return ZoomRatio::ofStep(m_combo2->currentIndex());
}

bool TimingView::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type t = event->type();
    const bool mouse =
        t == QEvent::MouseButtonPress || t == QEvent::MouseMove || t == QEvent::MouseButtonRelease;
    if (watched == m_picture && t == QEvent::Leave) m_pointerX = -1;
    if (watched == m_picture && t == QEvent::Wheel) {
        pictureWheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (watched == m_picture && mouse) {
        const auto *e = static_cast<QMouseEvent *>(event);
        m_pointerX = static_cast<int>(std::floor(e->position().x()));
        // Moves without a button only follow the pointer, for the keys 1 and 2.
        if (t == QEvent::MouseMove && e->buttons() == Qt::NoButton) return true;
        if (t == QEvent::MouseButtonPress) m_picture->setFocus(Qt::MouseFocusReason);
        pictureMouse(event);
        return true;
    }
    if (watched == m_marks && mouse) {
        markMouse(event);
        return true;
    }
    if (t == QEvent::MouseButtonPress) {
        for (int i : {1, 2, 3, 6, 7, 8, 11}) {
            if (watched == m_labels[static_cast<size_t>(i)]) {
                labelClicked(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TimingView::pictureMouse(QEvent *event) {
    auto *e = static_cast<QMouseEvent *>(event);
    makeCurrent();
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const double x = e->position().x();
    const ZoomRatio z = zoomRatio();
    if (event->type() == QEvent::MouseButtonPress) {
        if (e->button() == Qt::RightButton) {
            if (m_hooks.openParametersWindow) m_hooks.openParametersWindow();
            return;
        }
        if (e->button() != Qt::LeftButton) return;
        if (annotationClick(x, e->position().y())) return;
        m_dragTarget = catchCursor(x, view, z, m_state.triggerDelayMode);
        if (m_dragTarget == 3) m_dragAnchor = std::round(x);
        m_dragging = true;
        return;
    }
    if (event->type() == QEvent::MouseMove) {
        if (!m_dragging || !(e->buttons() & Qt::LeftButton)) return;
        m_state.dragActive = 1;
        ++m_state.dragCount;
        m_state.scrollGuard = 33;
        if (m_dragTarget == 3) {
            view.screenStart = draggedScreenStart(view, x, m_dragAnchor, z, view.drawingWidth);
            m_hscroll1->setValue(view.screenStart);
            m_labels[12]->setText(QString::number(view.screenStart));
            m_dragAnchor = std::max(x, 0.0);
            m_state.dragActive = 0;
        } else {
            moveCursorTo(m_dragTarget, draggedCursor(view, x, z));
            if (m_hooks.synchroniseTrigger) m_hooks.synchroniseTrigger();
            if (m_hooks.updateDistances) m_hooks.updateDistances();
        }
        // While a cursor is dragged the marks over HScroll1 keep their places.
        if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
        m_state.scrollGuard = 0;
        m_state.dragActive = 0;
        return;
    }
    // Release
    m_dragging = false;
    m_dragAnchor = 0;
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
}

bool TimingView::annotationClick(double x, double y) {
    if (m_last.decoderBoxes.empty() || y < m_last.decoderTop) return false;
    const auto r = static_cast<size_t>((y - m_last.decoderTop) / kDecoderRowHeight);
    const ViewAnnotations &rows = m_decoding->annotations();
    if (r >= m_last.decoderBoxes.size() || r >= rows.rows.size()) return false;
    const int hit = boxAt(m_last.decoderBoxes[r], static_cast<int>(x));
    if (hit < 0) return false;
    const size_t index = m_last.decoderBoxes[r][static_cast<size_t>(hit)].annotation;
    const auto &a = rows.results[static_cast<size_t>(rows.rows[r].stack)].annotations[index];
    moveCursorTo(0, static_cast<int32_t>(a.start) - m_last.recordOffset);
    if (m_hooks.updateDistances) m_hooks.updateDistances();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    return true;
}

void TimingView::moveCursorTo(int cursor, int32_t position) {
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    QScrollBar *bars[3] = {m_hscroll3, m_hscroll5, m_hscroll6};
    int32_t *positions[3] = {&view.cursorA, &view.cursorB, &view.triggerCursor};
    *positions[cursor] = std::clamp(position, 0, std::max(view.barMax, 0));
    const uint8_t guard = m_state.scrollGuard;
    m_state.scrollGuard = 33;
    bars[cursor]->setValue(*positions[cursor]);
    m_state.scrollGuard = guard;
    m_labels[static_cast<size_t>(6 + cursor)]->setText(QString::number(*positions[cursor]));
}

void TimingView::markMouse(QEvent *event) {
    auto *e = static_cast<QMouseEvent *>(event);
    makeCurrent();
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const int x = static_cast<int>(e->position().x());
    if (event->type() == QEvent::MouseButtonPress) {
        if (e->button() == Qt::RightButton) {
            if (m_hooks.openParametersWindow) m_hooks.openParametersWindow();
            return;
        }
        // Line2, Line3, Line4, then Line1: the last caught wins.
        m_markTarget = 99;
        const int order[4] = {1, 2, 3, 0};
        for (int line : order) {
            const int mx = m_last.marks[line];
            if (mx - 3 < x && x < mx + 3) m_markTarget = line == 0 ? 3 : line - 1;
        }
        if (m_markTarget == 2 && m_state.triggerDelayMode) m_markTarget = 99;
        m_markPrevious = x;
        return;
    }
    if (event->type() == QEvent::MouseMove && (e->buttons() & Qt::LeftButton) &&
        m_markTarget != 99) {
        m_state.scrollGuard = 33;
        const int nx = std::max(x, 0);
        const double barMax = view.barMax;
        if (m_markTarget == 3) {
            double start =
                view.screenStart + (nx - m_markPrevious) * barMax / (m_hscroll1->width() - 58);
            const double limit = barMax - zoomRatio().toSamples(view.drawingWidth);
            if (start > limit) start = limit;
            if (start < 0) start = 0;
            view.screenStart = static_cast<int32_t>(start);
            m_hscroll1->setValue(view.screenStart);
            m_labels[12]->setText(QString::number(view.screenStart));
        } else {
            int32_t *positions[3] = {&view.cursorA, &view.cursorB, &view.triggerCursor};
            const double moved = *positions[m_markTarget] +
                                 (nx - m_markPrevious) * barMax / (m_hscroll1->width() - 48);
            moveCursorTo(m_markTarget, static_cast<int32_t>(std::clamp(moved, 0.0, barMax)));
        }
        m_markPrevious = nx;
        if (m_hooks.synchroniseTrigger) m_hooks.synchroniseTrigger();
        if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
        if (m_hooks.updateDistances) m_hooks.updateDistances();
        m_state.scrollGuard = 0;
    }
}

void TimingView::cursorBarChanged(int cursor, int value) {
    if (m_state.busy == 33) return;
    makeCurrent();
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    int32_t *positions[3] = {&view.cursorA, &view.cursorB, &view.triggerCursor};
    if (m_state.scrollGuard == 0) {
        m_state.scrollGuard = 55;
        *positions[cursor] = value;
        m_labels[static_cast<size_t>(6 + cursor)]->setText(QString::number(value));
        m_state.scrollGuard = 0;
    } else if (m_state.scrollGuard == 55) {
        m_state.scrollGuard = 0;
    } else {
        return;
    }
    if (cursor == 2 && m_hooks.synchroniseTrigger) m_hooks.synchroniseTrigger();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    if (m_hooks.updateDistances) m_hooks.updateDistances();
}

void TimingView::screenBarChanged() {
    if (m_state.busy == 33) return;
    if (m_state.scrollGuard != 0 && m_state.scrollGuard != 88) return;
    makeCurrent();
    m_state.scrollGuard = 99;
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    if (m_combo2->currentIndex() < 1 && m_combo2->currentIndex() != 0) m_combo2->setCurrentIndex(0);
    view.drawingWidth = m_picture->width();
    view.screenStart = screenFromBar(view, m_hscroll1->value(), zoomRatio(), view.drawingWidth);
    m_hscroll1->setValue(view.screenStart);
    m_labels[12]->setText(QString::number(view.screenStart));
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    m_state.scrollGuard = 0;
}

void TimingView::delayBarChanged() {
    if (m_state.busy == 33) return;
    makeCurrent();
    m_state.settingsChanged = 1;
    if (m_state.scrollGuard != 0) return;
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    view.triggerDelay = m_hscroll7->barValue();
    m_labels[8]->setText(QString::fromStdString(delayLabelText(view)));
    if (m_hooks.synchroniseTrigger) m_hooks.synchroniseTrigger();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    if (m_hooks.updateDistances) m_hooks.updateDistances();
}

void TimingView::placeCursor(int cursor, int pixels) {
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    applyZoomStep(m_state, m_index, m_combo2->currentIndex());
    const auto position = static_cast<int32_t>(view.screenStart + zoomRatio().toSamples(pixels));
    QScrollBar *bars[3] = {m_hscroll3, m_hscroll5, m_hscroll6};
    if (position <= bars[cursor]->maximum()) bars[cursor]->setValue(position);
}

void TimingView::labelClicked(int number) {
    if (m_state.busy == 33) return;
    makeCurrent();
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    switch (number) {
        case 1:
            placeCursor(0, 20);
            break;
        case 2:
            placeCursor(1, 200);
            break;
        case 3:
            if (!m_state.triggerDelayMode) placeCursor(2, 400);
            break;
        case 6:
        case 7:
        case 8:
        case 11:
            view.zoomAnchor = static_cast<uint8_t>(number == 11 ? 4 : number - 6);
            zoomChange();
            break;
        default:
            break;
    }
}

void TimingView::zoomChange() {
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    view.drawingWidth = m_picture->width();
    m_state.scrollGuard = 99;
    const AnchorPlacement place = zoomWithAnchor(m_state, m_index, m_combo2->currentIndex());
    m_hscroll1->setValue(view.screenStart);
    m_labels[12]->setText(QString::number(view.screenStart));
    m_state.scrollGuard = 0;
    // Anchor 4: the cursor bars move the cursors through their handlers.
    if (place.cursorA) m_hscroll3->setValue(*place.cursorA);
    if (place.cursorB) m_hscroll5->setValue(*place.cursorB);
    if (place.trigger) m_hscroll6->setValue(*place.trigger);
    if (m_hooks.updateDistances) m_hooks.updateDistances();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    m_state.scrollGuard = 0;
}

void TimingView::updateDistanceReadouts() {
    const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const int32_t t = readoutTrigger(m_state, view);
    DisplayUnits units{m_state.displayTime, m_state.displaySamples, m_state.displayFrequency};
    const uint8_t code = m_state.settings.rateCode;
    const double range = rangePeriod(code, m_state.samplePeriodPs);
    const std::pair<int32_t, int32_t> pairs[3] = {
        {view.cursorA, view.cursorB}, {view.cursorA, t}, {view.cursorB, t}};
    for (int k = 0; k < 3; ++k) {
        QLabel *l = m_labels[static_cast<size_t>(17 + k)];
        l->setText(QString::fromStdString(distanceText(pairs[k].first, pairs[k].second, units,
                                                       m_state.samplePeriodPs, code, range,
                                                       l->text().toStdString())));
    }
}

QLabel *TimingView::label(const QString &name, const QString &text, const QString &tip) {
    auto *l = new QLabel(text, this);
    l->setObjectName(name);
    if (!tip.isEmpty()) l->setToolTip(tip);
    return l;
}

QScrollBar *TimingView::bar(const QString &name, Qt::Orientation o, const QString &tip) {
    auto *b = new QScrollBar(o, this);
    b->setObjectName(name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    return b;
}

void TimingView::initialiseLayout() {
    const int w = width(), h = height();
    // Top row: the cursor captions with their positions, "Screen", the zoom selectors. In a
    // narrow view the row wraps, so that every control stays whole and usable.
    const int comboWidth = std::min(120, std::max(w - 8, 40));
    const Flow top = flowItems({124, 124, 124, 124, comboWidth, comboWidth}, w - 8, 6, 24);
    const int pairs[4][2] = {{1, 6}, {2, 7}, {3, 8}, {11, 12}};
    for (int i = 0; i < 4; ++i) {
        const FlowPlace &p = top.places[static_cast<size_t>(i)];
        m_labels[static_cast<size_t>(pairs[i][0])]->setGeometry(4 + p.x, 4 + p.y, 58, 18);
        m_labels[static_cast<size_t>(pairs[i][1])]->setGeometry(4 + p.x + 60, 4 + p.y, 64, 18);
    }
    m_combo1->setGeometry(4 + top.places[4].x, 2 + top.places[4].y, comboWidth, 22);
    m_combo2->setGeometry(4 + top.places[5].x, 2 + top.places[5].y, comboWidth, 22);
    const int pictureTop = 4 + 24 * top.lines;
    // Bottom: the marks, the screen bar, the cursor bars, then the read-outs (wrapping too).
    const Flow readouts = flowItems({144, 144, 144}, w - 8, 4, 20);
    const int bottom = 8 + 4 * kBarHeight + 4 + 20 * readouts.lines + 4;
    const int pictureLeft = kNameWidth;
    const int pictureWidth = std::max(w - kNameWidth - 3 * kValueWidth - 18, 50);
    const int pictureHeight = std::max(h - pictureTop - bottom, 40);
    m_picture->setGeometry(pictureLeft, pictureTop, pictureWidth, pictureHeight);
    m_picture->fitImage();
    m_vscroll1->setGeometry(w - 16, pictureTop, 16, pictureHeight);
    int y = pictureTop + pictureHeight + 2;
    m_marks->setGeometry(pictureLeft, y, pictureWidth, 8);
    y += 8;
    for (QScrollBar *b : {m_hscroll1, m_hscroll3, m_hscroll5}) {
        b->setGeometry(pictureLeft, y, pictureWidth, kBarHeight);
        y += kBarHeight;
    }
    m_hscroll6->setGeometry(pictureLeft, y, pictureWidth, kBarHeight);
    m_hscroll7->setGeometry(pictureLeft, y, pictureWidth, kBarHeight);
    y += kBarHeight + 4;
    const int readoutPairs[3][2] = {{13, 17}, {14, 18}, {15, 19}};
    for (int i = 0; i < 3; ++i) {
        const FlowPlace &p = readouts.places[static_cast<size_t>(i)];
        m_labels[static_cast<size_t>(readoutPairs[i][0])]->setGeometry(4 + p.x, y + p.y, 30, 18);
        m_labels[static_cast<size_t>(readoutPairs[i][1])]->setGeometry(4 + p.x + 34, y + p.y, 110,
                                                                       18);
    }
    layoutTrackRows();
}

void TimingView::layoutTrackRows() {
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const TrackTable &t = m_state.tracks[static_cast<size_t>(m_index)];
    const int valueLeft = m_picture->x() + m_picture->width() + 2;
    for (int i = 0; i < kShownTracks; ++i) {
        const auto r = static_cast<size_t>(i);
        for (QWidget *w :
             {static_cast<QWidget *>(m_names[r]), static_cast<QWidget *>(m_valueA[r]),
              static_cast<QWidget *>(m_valueB[r]), static_cast<QWidget *>(m_valueT[r])}) {
            w->hide();
        }
    }
    for (const TrackRow &row : shownRows(t, view.firstRow)) {
        const auto r = static_cast<size_t>(row.row);
        const int top = m_picture->y() + row.top + 5;
        if (top + row.height > m_picture->y() + m_picture->height()) break;
        m_names[r]->setGeometry(2, top, kNameWidth - 4, row.height);
        m_names[r]->setText(QString::fromStdString(t.name[r]));
        m_names[r]->setToolTip(QString::fromStdString(trackToolTip(t.content[r])));
        QLabel *labels[3] = {m_valueA[r], m_valueB[r], m_valueT[r]};
        for (int k = 0; k < 3; ++k) {
            labels[k]->setGeometry(valueLeft + k * kValueWidth, top, kValueWidth - 2, row.height);
        }
        m_names[r]->show();
        m_valueA[r]->show();
        m_valueB[r]->show();
        m_valueT[r]->show();
    }
    m_state.busy = busy;
}

void TimingView::applyState() {
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    lowerToBarMax(view);
    for (QScrollBar *b : {m_hscroll1, m_hscroll3, m_hscroll5, m_hscroll6}) {
        b->setRange(0, std::max(view.barMax, 0));
        b->setPageStep(view.largeChange);
    }
    m_hscroll7->setBarRange(view.delayBarMin, view.delayBarMax);
    m_hscroll7->setPageStep(view.delayLargeChange);
    m_hscroll1->setValue(view.screenStart);
    m_hscroll3->setValue(view.cursorA);
    m_hscroll5->setValue(view.cursorB);
    m_hscroll6->setValue(view.triggerCursor);
    m_hscroll7->setBarValue(view.triggerDelay);
    view.triggerDelay = m_hscroll7->barValue();
    m_vscroll1->setValue(view.firstRow);
    m_labels[6]->setText(QString::number(view.cursorA));
    m_labels[7]->setText(QString::number(view.cursorB));
    m_labels[8]->setText(m_state.triggerDelayMode ? QString::fromStdString(delayLabelText(view))
                                                  : QString::number(view.triggerCursor));
    m_labels[12]->setText(QString::number(view.screenStart));
    m_combo1->setCurrentIndex(std::min<int>(view.zoomAnchor, 3));
    m_combo2->setCurrentIndex(view.zoomIndex);
    m_hscroll7->setVisible(m_state.triggerDelayMode);
    m_hscroll6->setVisible(!m_state.triggerDelayMode);
    // Colours: cursor captions in the cursor colours, the picture on the timing background.
    const auto fore = [](QWidget *w, uint32_t c) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, fromColorRef(c));
        p.setColor(QPalette::Window, fromColorRef(0));
        w->setPalette(p);
    };
    fore(m_labels[1], m_state.colours.entry[1]);
    fore(m_labels[6], m_state.colours.entry[1]);
    fore(m_labels[2], m_state.colours.entry[2]);
    fore(m_labels[7], m_state.colours.entry[2]);
    fore(m_labels[3], m_state.colours.entry[5]);
    fore(m_labels[8], m_state.colours.entry[5]);
    for (int i = 0; i < kShownTracks; ++i) {
        QLineEdit *name = m_names[static_cast<size_t>(i)];
        QPalette p = name->palette();
        p.setColor(QPalette::Base, fromColorRef(m_state.colours.entry[542]));
        p.setColor(QPalette::Text, fromColorRef(m_state.colours.entry[6 + static_cast<size_t>(i)]));
        name->setPalette(p);
        // The value labels stand on the timing background, in the row's colour.
        for (QLabel *l : {m_valueA[static_cast<size_t>(i)], m_valueB[static_cast<size_t>(i)],
                          m_valueT[static_cast<size_t>(i)]}) {
            QPalette lp = l->palette();
            lp.setColor(QPalette::Window, fromColorRef(m_state.colours.entry[542]));
            lp.setColor(QPalette::WindowText,
                        fromColorRef(m_state.colours.entry[6 + static_cast<size_t>(i)]));
            l->setPalette(lp);
            l->setAutoFillBackground(true);
        }
    }
    layoutTrackRows();
    m_state.busy = busy;
}

void TimingView::draw() {
    DrawContext c{m_state,
                  m_render,
                  m_picture->image(),
                  QFontDatabase::systemFont(QFontDatabase::FixedFont),
                  m_hscroll1->x() - m_marks->x(),
                  m_hscroll1->width(),
                  false};
    {
        const int set = std::clamp(m_state.views[static_cast<size_t>(m_index)].dataSet, 0,
                                   m_state.capture.dataSets() - 1);
        const std::array<const uint8_t *, 3> planes{m_state.capture.plane(set, 0),
                                                    m_state.capture.plane(set, 1),
                                                    m_state.capture.plane(set, 2)};
        const double period = m_state.samplePeriodPs > 0 ? m_state.samplePeriodPs : 10000;
        m_decoding->refresh(planes, m_state.recordLength, static_cast<uint64_t>(1e12 / period));
        if (!m_decoding->stacks().empty()) c.decoded = &m_decoding->annotations();
    }
    DrawOutput out = drawView(c, m_index);
    if (m_state.dragActive) {
        // A cursor drag leaves the marks over HScroll1 where they were.
        for (int k = 1; k < 4; ++k)
            out.marks[k] = m_last.marks[k];
    }
    m_last = std::move(out);
    setWindowTitle(QString::fromStdString(m_last.caption));
    placeListingBar();
    for (int i = 0; i < kShownTracks; ++i) {
        const auto &v = m_last.values[static_cast<size_t>(i)];
        m_valueA[static_cast<size_t>(i)]->setText(QString::number(v[0]));
        m_valueB[static_cast<size_t>(i)]->setText(QString::number(v[1]));
        m_valueT[static_cast<size_t>(i)]->setText(QString::number(v[2]));
    }
    const QColor colours[4] = {Qt::darkGray, fromColorRef(m_state.colours.entry[1]),
                               fromColorRef(m_state.colours.entry[2]),
                               fromColorRef(m_state.colours.entry[5])};
    m_marks->setMarks(m_last.marks, m_last.screenMarkEnd, colours);
    m_picture->update();
}

void TimingView::placeListingBar() {
    // Shown while the listing is on and its place below the tracks lies inside the picture
    // (scrolling the tracks up with VScroll1 brings it into view).
    const int top = m_last.tracksEnd;
    if (!m_state.stateListing || top < 0 || top + kListingBarHeight > m_picture->height()) {
        m_scrollBar1->hide();
        return;
    }
    const ViewState &view = m_state.views[static_cast<size_t>(m_index)];
    const QSignalBlocker block(m_scrollBar1);
    m_scrollBar1->setRange(0, std::max(view.barMax, 0));
    m_scrollBar1->setPageStep(view.largeChange);
    m_scrollBar1->setValue(view.stateStart);
    m_scrollBar1->setGeometry(m_picture->x(), m_picture->y() + top, m_picture->width(),
                              kListingBarHeight);
    m_scrollBar1->show();
    m_scrollBar1->raise();
}

void TimingView::setListingBarShown(bool on) {
    m_scrollBar1->setVisible(on);
    if (on) placeListingBar();
}

void TimingView::clearPicture() {
    m_picture->image().fill(fromColorRef(m_state.colours.entry[542]));
    m_picture->update();
}

void TimingView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    initialiseLayout();
    // A new size needs a new picture: opening, tiling, cascading and resizing all end here.
    if (m_state.views[static_cast<size_t>(m_index)].open) draw();
}

void TimingView::closeEvent(QCloseEvent *event) {
    // The close box only hides the view; its state stays in the program tables.
    event->ignore();
    emit closedByUser(m_index);
}

}  // namespace kv::app
