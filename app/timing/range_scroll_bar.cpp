// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/range_scroll_bar.h"

namespace kv::app {

RangeScrollBar::RangeScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent) {
    connect(this, &QScrollBar::valueChanged, this,
            [this](int position) { emit barValueChanged(m_range.fromPosition(position)); });
}

void RangeScrollBar::setBarRange(int32_t min, int32_t max) {
    const int32_t keep = barValue();
    m_range = {min, max};
    setRange(0, m_range.steps());
    setBarValue(keep);
}

}  // namespace kv::app
