// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

#include "core/program_state.h"
#include "core/render_library.h"
#include "timing/navigation.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace kv::app {

class RangeScrollBar;
class ViewDecoding;

// Picture1: shows the view's persistent image; only a redraw changes the image.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget *parent);
    QImage &image() { return m_image; }
    // Resizes the image to the widget, keeping what is drawn where it still fits.
    void fitImage();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QImage m_image;
};

// The marks Line1 (screen) to Line4 (cursors A, B, T) over HScroll1.
class MarkStrip : public QWidget {
    Q_OBJECT
  public:
    explicit MarkStrip(QWidget *parent);
    void setMarks(const int marks[4], int screenEnd, const QColor colours[4]);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    int m_marks[4] = {0, 0, 0, 0};
    int m_screenEnd = 0;
    QColor m_colours[4];
};

// What a view asks of the program around it.
struct ViewHooks {
    std::function<void()> redrawAllViews;
    std::function<void()> updateDistances;
    std::function<void()> synchroniseTrigger;
    std::function<void()> openParametersWindow;
    // A decoder of the view failed: the message names it.
    std::function<void(const QString &)> decoderFailed;
};

// A timing view window (sdiform1): the picture with its track names and value labels,
// the scroll bars, the cursor labels and read-outs, and the zoom selectors.
class TimingView : public QWidget {
    Q_OBJECT
  public:
    TimingView(ProgramState &state, RenderLibrary &render, int index, ViewHooks hooks = {},
               QWidget *parent = nullptr);

    int index() const { return m_index; }
    // Draws the view from the program state and shows the results (draw view).
    void draw();
    // Places the controls inside the window and lays out the track rows.
    void initialiseLayout();
    void layoutTrackRows();
    // Shows positions, ranges, zoom and labels from the program state.
    void applyState();
    // Clears the picture (Refresh Screen).
    void clearPicture();
    PictureBox *picture() { return m_picture; }
    // The size a cascaded view takes.
    QSize sizeHint() const override { return {900, 520}; }
    const DrawOutput &lastDraw() const { return m_last; }
    // Fills Label17..Label19 from the view's positions.
    void updateDistanceReadouts();
    // The zoom change with anchor from the zoom list's current item.
    void zoomChange();
    // ScrollBar1 with the state listing switched on or off (placed below the tracks when on).
    void setListingBarShown(bool on);
    // After a search moved cursor 0 A, 1 B or 2 T in the position table: its label and bar
    // follow, the zoom change anchored on it brings it into view, and the state listing
    // starts there (timing_view_search.cpp).
    void showMovedCursor(int cursor);
    // The caption of the value label of track row `row` at cursor 0 A, 1 B or 2 T.
    QString valueLabelText(int cursor, int row) const;
    // The view's protocol decoders and their rows.
    ViewDecoding *decoding() const { return m_decoding; }

  signals:
    void closedByUser(int index);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // The wheel over the track names and value labels scrolls the rows.
    void wheelEvent(QWheelEvent *event) override;

  private:
    void makeCurrent();
    // ScrollBar1 just below the tracks while the state listing is shown.
    void placeListingBar();
    ZoomRatio zoomRatio() const;
    void pictureMouse(QEvent *event);
    // A click on a decoder row's annotation moves cursor A to its start; true when it hit one.
    bool annotationClick(double x, double y);
    void markMouse(QEvent *event);
    void cursorBarChanged(int cursor, int value);
    void screenBarChanged();
    void delayBarChanged();
    void labelClicked(int number);
    void placeCursor(int cursor, int pixels);
    void moveCursorTo(int cursor, int32_t position);
    // Keys and the wheel: each goes through the zoom change or a scroll bar's handler.
    bool navigationKey(const QKeyEvent *event);
    void pictureWheel(QWheelEvent *event);
    void zoomToStep(int listIndex);
    // The zoom change with the screen start put at `start` beforehand and kept (anchor 3).
    void zoomKeepingStart(int listIndex, int32_t start);
    // HScroll1 takes the value and its handler moves the screen.
    void scrollScreenTo(int32_t value);
    void cursorToPointer(int cursor);
    QLabel *label(const QString &name, const QString &text, const QString &tip = {});
    QScrollBar *bar(const QString &name, Qt::Orientation o, const QString &tip = {});

    ProgramState &m_state;
    RenderLibrary &m_render;
    int m_index;
    PictureBox *m_picture = nullptr;
    MarkStrip *m_marks = nullptr;
    QScrollBar *m_hscroll1 = nullptr, *m_hscroll3 = nullptr, *m_hscroll5 = nullptr,
               *m_hscroll6 = nullptr, *m_vscroll1 = nullptr, *m_scrollBar1 = nullptr;
    RangeScrollBar *m_hscroll7 = nullptr;  // its Min lies above its Max
    QComboBox *m_combo1 = nullptr, *m_combo2 = nullptr;
    std::array<QLineEdit *, kShownTracks> m_names{};
    std::array<QLabel *, kShownTracks> m_valueA{}, m_valueB{}, m_valueT{};
    std::array<QLabel *, 20> m_labels{};  // Label1 .. Label19 by number
    DrawOutput m_last;
    ViewDecoding *m_decoding = nullptr;
    ViewHooks m_hooks;
    int m_dragTarget = 3;
    double m_dragAnchor = 0;
    bool m_dragging = false;
    int m_markTarget = 99;
    int m_markPrevious = 0;
    int m_pointerX = -1;  // the pointer's x over the picture, -1 when it is elsewhere
    WheelNotches m_zoomNotches, m_scrollNotches, m_rowNotches;
};

}  // namespace kv::app
