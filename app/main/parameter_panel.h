// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

#include "core/program_state.h"

class QLineEdit;
class QScrollBar;

namespace kv::app {

class ParametersWindow;
class TriggerWordBox;

// What the parameter controls ask of the rest of the program.
struct ParameterHooks {
    std::function<void()> redrawAllViews;
    std::function<void()> memoryDepthChanged;   // apply to all views, raise zooms, redraw
    std::function<void()> distancesChanged;     // sample period changed
    std::function<void()> triggerDelayChanged;  // trigger delay mode switched
    std::function<void()> openParametersWindow;
};

// The capture parameter panel of the main window: Text1..Text5 with VScroll1..VScroll5
// and the trigger word Text6. It owns the refresh routines that both parameter places
// share and keeps the Parameters window in step.
class ParameterPanel : public QWidget {
    Q_OBJECT
  public:
    ParameterPanel(ProgramState &state, ParameterHooks hooks, QWidget *parent = nullptr);
    void setParametersWindow(ParametersWindow *window) { m_window = window; }

    // Shows every setting in both places (after start-up or a settings load).
    void showSettings();
    // Rate selection from a rate list index (Part of both places).
    void selectRate(int listIndex);
    void refreshThreshold();
    // The scroll bars, for the Parameters window's handlers.
    QScrollBar *scroll(int i) const { return m_scroll[i]; }
    TriggerWordBox *triggerWordBox() const { return m_wordBox; }
    // Trigger word edits from either place.
    void triggerWordEdited(const QString &text, bool fromWindow);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void scrolled(int i, int value);

    ProgramState &m_state;
    ParameterHooks m_hooks;
    ParametersWindow *m_window = nullptr;
    QLineEdit *m_text[7] = {};
    QScrollBar *m_scroll[6] = {};
    TriggerWordBox *m_wordBox = nullptr;
};

}  // namespace kv::app
