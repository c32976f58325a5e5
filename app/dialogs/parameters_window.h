// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "core/program_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace kv::app {

class ParameterPanel;
class TriggerWordBox;

// Form2, "Parameters": the capture settings as lists, a threshold bar, the trigger word
// and the trigger delay switch. Its handlers write into the main panel, whose routines
// apply the change.
class ParametersWindow : public QWidget {
    Q_OBJECT
  public:
    ParametersWindow(ProgramState &state, ParameterPanel &panel, QWidget *parent = nullptr);

    void showSettings();
    void setThreshold(int value);
    void setThresholdText(const QString &text);
    void setSlope(int value);
    void setMode(int value);
    void setMemory(int value);
    void setRate(int value);
    void setTriggerWord(const QString &text);
    // Text1_Validate: the check on leaving the trigger word box.
    void validateTriggerWord();

  signals:
    void closed();
    void triggerDelayModeChanged(bool on);

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    template <typename F>
    void setQuietly(F f);

    ProgramState &m_state;
    ParameterPanel &m_panel;
    QComboBox *m_combo[7] = {};
    QScrollBar *m_threshold = nullptr;
    QLabel *m_thresholdText = nullptr;
    TriggerWordBox *m_word = nullptr;
    QLabel *m_delayLabel = nullptr;
};

}  // namespace kv::app
