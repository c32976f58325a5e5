// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QValidator>

namespace kv::app {

// Names are kept in the settings file, which separates values with commas and holds
// single-byte text: a name box takes printable ASCII other than the comma, and says so
// when a key or a paste is refused.
class StorableNameValidator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// A line edit for a name of at most `maxLength` characters (0: no limit).
QLineEdit *makeNameBox(QWidget *parent, const QString &objectName, int maxLength);

// The message shown beside a name box that refused a key.
QString refusedNameMessage(int maxLength);

}  // namespace kv::app
