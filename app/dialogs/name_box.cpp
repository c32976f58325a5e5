// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/name_box.h"

#include <QToolTip>

#include "dialogs/group_model.h"

namespace kv::app {

QValidator::State StorableNameValidator::validate(QString &input, int &) const {
    for (const QChar c : input) {
        if (c.unicode() > 0x7E || !isStorableNameCharacter(static_cast<char>(c.unicode())))
            return Invalid;
    }
    return Acceptable;
}

QString refusedNameMessage(int maxLength) {
    QString text =
        "Names are kept in the settings file: letters, digits, blanks and signs "
        "other than the comma";
    if (maxLength > 0) text += QString(", at most %1 characters").arg(maxLength);
    return text + ".";
}

QLineEdit *makeNameBox(QWidget *parent, const QString &objectName, int maxLength) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(objectName);
    if (maxLength > 0) box->setMaxLength(maxLength);
    box->setValidator(new StorableNameValidator(box));
    QObject::connect(box, &QLineEdit::inputRejected, box, [box, maxLength] {
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())),
                           refusedNameMessage(maxLength), box);
    });
    return box;
}

}  // namespace kv::app
