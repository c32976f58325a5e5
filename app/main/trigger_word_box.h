// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QValidator>

#include "main/trigger_word_editor.h"

namespace kv::app {

// Refuses any text that is not a whole trigger word, so that no route around the box's
// key handling (an input method, a drop) can shift the channels.
class TriggerWordValidator : public QValidator {
  public:
    TriggerWordValidator(const WordLayout &layout, QObject *parent)
        : QValidator(parent), m_layout(layout) {}
    State validate(QString &input, int &pos) const override;

  private:
    WordLayout m_layout;
};

// A trigger word box: a line edit whose keys go through TriggerWordEditor. It emits
// wordEdited after every change the user makes; setWord shows a word without emitting it.
class TriggerWordBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit TriggerWordBox(QWidget *parent = nullptr, const WordLayout &layout = {});

    void setWord(const QString &word);

  signals:
    void wordEdited(const QString &word);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    template <typename Edit>
    void edit(Edit edit);
    void pasteClipboard();
    void cutSelection();

    TriggerWordEditor m_editor;
};

}  // namespace kv::app
