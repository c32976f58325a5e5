// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "decode/setup.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace kv::app {

// "Protocol decoders" of one view: its decoder stacks in a list; for the one selected, the
// decoder, its channels mapped to D0..D23 (by name where the names match), its options as
// the decoder declares them, and decoders stacked on it with their options.
class DecoderDialog : public QDialog {
    Q_OBJECT
  public:
    DecoderDialog(const std::array<std::string, 24> &channelNames,
                  std::vector<decode::DecoderStack> stacks, QWidget *parent = nullptr);
    const std::vector<decode::DecoderStack> &stacks() const { return m_stacks; }
    // The problem with what the form says, "" when there is none.
    QString problem() const;

  private:
    void addStack();
    void removeStack();
    void select(int row);
    void decoderChosen();
    void stackOn();
    void unstack();
    // Builds the form of the selected stack from m_stacks.
    void buildForm();
    // Reads the form back into the selected stack through its text form.
    void formChanged();
    void showLists();
    QComboBox *channelBox(const std::string &id, int unit);

    std::array<std::string, 24> m_names;
    std::vector<decode::DecoderStack> m_stacks;
    int m_current = -1;
    bool m_building = false;
    QListWidget *m_list = nullptr;
    QComboBox *m_decoder = nullptr;
    QComboBox *m_stackChoice = nullptr;
    QWidget *m_form = nullptr;
    QVBoxLayout *m_formLayout = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_ok = nullptr;
    QString m_error;
};

}  // namespace kv::app
