// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace kv::app {

// Places a tool window: flag -1 keeps it above the other windows, 0 lets it go behind
// them, anything else just raises it; it is moved to (x, y) and keeps its size.
void placeTopmost(QWidget *window, int flag, int x, int y);

}  // namespace kv::app
