// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "core/program_state.h"
#include "dialogs/group_setup_window.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace kv::app {

// The window "channel", "Channel / State / Timing Edit": per view, what each track shows,
// its name, height and display, and the groups of the state columns; and the channel
// names. Every edit goes straight into the tables.
class ChannelSetupWindow : public QWidget {
    Q_OBJECT
  public:
    ChannelSetupWindow(ProgramState &state, SetupHooks hooks, QWidget *parent = nullptr);

    // The group lists follow renamed groups.
    void refillGroupLists();

  signals:
    void channelRenamed(int channel);

  private:
    void viewChanged(int view);
    void channelChanged(int channel);
    void channelEdited(const QString &text);
    void loadStateColumn();
    void loadTrack();
    void contentChosen(int item);
    void trackNameEdited(const QString &text);
    int view() const;
    int track() const;
    int column() const;
    QScrollBar *selector(const QString &name, int maximum);
    QComboBox *list(const QString &name, const QString &tip, const QStringList &items = {});

    ProgramState &m_state;
    SetupHooks m_hooks;
    QGroupBox *m_frame1 = nullptr;
    QScrollBar *m_vscroll1 = nullptr;  // view
    QScrollBar *m_vscroll5 = nullptr;  // channel
    QLabel *m_label6 = nullptr;
    QLineEdit *m_text5 = nullptr;
    QScrollBar *m_vscroll3 = nullptr;  // state column
    QLabel *m_label14State = nullptr;  // Label14(0)
    QComboBox *m_combo6 = nullptr;
    QComboBox *m_combo3 = nullptr;     // Combo3(0)
    QScrollBar *m_vscroll4 = nullptr;  // track
    QLabel *m_label14Track = nullptr;  // Label14(1)
    QComboBox *m_combo7 = nullptr;
    QLineEdit *m_text4 = nullptr;
    QComboBox *m_combo8 = nullptr;
    QComboBox *m_combo9 = nullptr;
};

}  // namespace kv::app
