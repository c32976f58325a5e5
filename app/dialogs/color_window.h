// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "core/program_state.h"

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;

namespace kv::app {

// Color ("Color Setup"): the display colours of the timing views. The entries ColorSys(...)
// show their colour on the background they are drawn on; the 48 swatches are the user
// palette. Nothing reaches the program's colour table before OK.
class ColorWindow : public QWidget {
    Q_OBJECT
  public:
    // The colour table entries the window edits.
    static const std::array<int, 33> &entries();

    // `applied` runs after OK has written the table: the views take the colours and redraw.
    ColorWindow(ProgramState &state, std::function<void()> applied, QWidget *parent = nullptr);

    // ColorInitial: captions, swatches and entry colours from the program's tables.
    void fill();
    QColor foreColour(int entry) const;
    QColor backColour(int entry) const;
    QColor swatchColour(int i) const;
    QColor selectedColour() const { return m_selected; }

  private:
    void swatchClicked(int i);
    void ok();
    void setEntryColours(int entry, const QColor &fore, const QColor &back);
    void setSwatch(int i, const QColor &colour);
    bool isBackgroundEntry(int entry) const { return entry == 0 || entry == 542; }

    ProgramState &m_state;
    std::function<void()> m_applied;
    std::map<int, QRadioButton *> m_entries;
    QButtonGroup *m_group = nullptr;
    std::array<QPushButton *, 48> m_swatches{};
    std::array<QColor, 48> m_swatchColours{};
    QCheckBox *m_editUser = nullptr;
    QColor m_selected = Qt::black;
    QColor m_timingBackground = Qt::black;
};

}  // namespace kv::app
