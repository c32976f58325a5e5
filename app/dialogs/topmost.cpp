// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/topmost.h"

#include <QWidget>

namespace kv::app {

void placeTopmost(QWidget *window, int flag, int x, int y) {
    if (!window) return;
    const bool wasVisible = window->isVisible();
    if (flag == -1)
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    else if (flag == 0)
        window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    window->move(x, y);
    // Changing the flags hides a window; bring it back as it was, in front.
    if (wasVisible) window->show();
    window->raise();
}

}  // namespace kv::app
