// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/trigger_word_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>

namespace kv::app {

QValidator::State TriggerWordValidator::validate(QString &input, int &) const {
    return TriggerWordEditor(m_layout).wellFormed(input.toStdString()) ? Acceptable : Invalid;
}

TriggerWordBox::TriggerWordBox(QWidget *parent, const WordLayout &layout)
    : QLineEdit(parent), m_editor(layout) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMaxLength(layout.length);
    setText(QString::fromLatin1(layout.blank));
    setValidator(new TriggerWordValidator(layout, this));
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TriggerWordBox::setWord(const QString &word) {
    m_editor.setText(word.toStdString());
    const QString shown = QString::fromStdString(m_editor.text());
    if (text() == shown) return;
    const int cursor = cursorPosition();
    setText(shown);
    setCursorPosition(cursor);
}

template <typename Edit>
void TriggerWordBox::edit(Edit apply) {
    // The box may have been set from code since the last key: start from what it shows.
    m_editor.setText(text().toStdString());
    if (hasSelectedText()) {
        const int start = selectionStart();
        const int end = start + selectionLength();
        const bool cursorAtStart = cursorPosition() == start;
        m_editor.setCursor(cursorAtStart ? start : end, cursorAtStart ? end : start);
    } else {
        m_editor.setCursor(cursorPosition());
    }
    const bool changed = apply(m_editor);
    const QString shown = QString::fromStdString(m_editor.text());
    if (shown != text()) setText(shown);
    setCursorPosition(m_editor.cursor());
    if (changed) emit wordEdited(shown);
}

void TriggerWordBox::pasteClipboard() {
    const std::string clip = QApplication::clipboard()->text().toStdString();
    edit([&](TriggerWordEditor &e) { return e.paste(clip); });
}

void TriggerWordBox::cutSelection() {
    if (!hasSelectedText()) return;
    copy();
    edit([](TriggerWordEditor &e) { return e.deleteForward(); });
}

void TriggerWordBox::keyPressEvent(QKeyEvent *event) {
    if (isReadOnly()) return QLineEdit::keyPressEvent(event);
    if (event == QKeySequence::Paste) return pasteClipboard();
    if (event == QKeySequence::Cut) return cutSelection();
    if (event == QKeySequence::Undo || event == QKeySequence::Redo ||
        event == QKeySequence::DeleteStartOfWord || event == QKeySequence::DeleteEndOfWord ||
        event == QKeySequence::DeleteEndOfLine || event == QKeySequence::DeleteCompleteLine)
        return;  // positions are fixed: these have nothing to remove
    if (event->key() == Qt::Key_Backspace)
        return edit([](TriggerWordEditor &e) { return e.backspace(); });
    if (event->key() == Qt::Key_Delete)
        return edit([](TriggerWordEditor &e) { return e.deleteForward(); });
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const char c = typed.at(0).toLatin1();
        return edit([c](TriggerWordEditor &e) { return e.type(c); });
    }
    QLineEdit::keyPressEvent(event);  // cursor movement, selection, copy, focus keys
}

void TriggerWordBox::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = createStandardContextMenu();
    for (QAction *action : menu->actions()) {
        const QString name = action->objectName();
        if (name == "edit-undo" || name == "edit-redo") {
            action->setEnabled(false);
        } else if (name == "edit-paste") {
            action->disconnect();
            connect(action, &QAction::triggered, this, &TriggerWordBox::pasteClipboard);
        } else if (name == "edit-cut") {
            action->disconnect();
            connect(action, &QAction::triggered, this, &TriggerWordBox::cutSelection);
        } else if (name == "edit-delete") {
            action->disconnect();
            connect(action, &QAction::triggered, this,
                    [this] { edit([](TriggerWordEditor &e) { return e.deleteForward(); }); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace kv::app
