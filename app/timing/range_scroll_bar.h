// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollBar>

#include "timing/bar_range.h"

namespace kv::app {

// A horizontal scroll bar that takes its Min and Max the way the program sets them, a Min
// above its Max included (the bar then runs reversed, see BarRange). barValue() is the
// program's value; QScrollBar::value() is only the slider position from the left end.
class RangeScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    explicit RangeScrollBar(QWidget *parent = nullptr);

    void setBarRange(int32_t min, int32_t max);
    BarRange barRange() const { return m_range; }
    int32_t barValue() const { return m_range.fromPosition(value()); }
    // Clamped to the range, like a scroll bar does.
    void setBarValue(int32_t value) { setValue(m_range.toPosition(value)); }

  signals:
    void barValueChanged(int32_t value);

  private:
    BarRange m_range;
};

}  // namespace kv::app
