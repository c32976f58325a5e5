// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "core/program_state.h"
#include "core/render_library.h"

class QWidget;

namespace kv::app {

// Saves a view for a report: a name ending in ".svg" gets the samples on the view's screen
// drawn as vectors, any other name the view window as a PNG picture. The file is replaced
// only by a complete one. Returns an error text, empty when saved.
QString saveViewImage(const QString &path, QWidget *viewWindow, ProgramState &state,
                      RenderLibrary &render, int view, const QString &title);

}  // namespace kv::app
