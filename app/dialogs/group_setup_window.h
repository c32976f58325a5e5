// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "core/program_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace kv::app {

// What the setup windows ask of the program around them.
struct SetupHooks {
    std::function<void()> layoutTrackRows;  // every view lays out its track rows again
    std::function<void()> redrawAllViews;
    std::function<void()> openGroupSetup;
};

// The window "state", "Group Setup": the group table (name, base, channels and their
// order) and the four user mnemonic tables. Every edit goes straight into the tables.
class GroupSetupWindow : public QWidget {
    Q_OBJECT
  public:
    GroupSetupWindow(ProgramState &state, SetupHooks hooks, QWidget *parent = nullptr);

    // The names of the channel lists follow a renamed channel.
    void channelRenamed(int channel);

  signals:
    // A group has a new name: lists of group names elsewhere must follow.
    void groupRenamed();

  private:
    void fillChannelLists();
    void loadGroup();
    void showBits();
    void loadMnemonic();
    void groupChanged(int value);
    void numberChanged(int index);
    void nameEdited(const QString &text);
    void patternEdited(QLineEdit *edited);
    void mnemonicEdited(const QString &text);
    void positionChanged(int value);
    void refresh();
    void accept();
    int table() const;
    int position() const;
    QScrollBar *selector(const QString &name, int maximum);

    ProgramState &m_state;
    SetupHooks m_hooks;
    QScrollBar *m_vscroll2 = nullptr;  // group
    QLabel *m_label9 = nullptr;
    QLineEdit *m_text1 = nullptr;   // name
    QComboBox *m_combo1 = nullptr;  // base
    QComboBox *m_combo2 = nullptr;  // number of channels
    std::array<QComboBox *, 24> m_combo4{};
    std::array<QLabel *, 24> m_label8{};
    QComboBox *m_combo5 = nullptr;     // mnemonic table
    QScrollBar *m_vscroll1 = nullptr;  // position
    QLabel *m_label13 = nullptr;
    std::array<QLineEdit *, 3> m_text2{};  // D7-D0, D15-D8, D23-D16
    QLineEdit *m_text3 = nullptr;          // mnemonic
    int m_position = 0;                    // the entry the boxes show
};

}  // namespace kv::app
