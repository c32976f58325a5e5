// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace kv::app {

// "MDI_SDI selection": the view-count window shown by the memory check.
class MdiSdiDialog : public QDialog {
    Q_OBJECT
  public:
    explicit MdiSdiDialog(QWidget *parent = nullptr);
    void setTexts(const QString &label1, const QString &label2, const QString &label3,
                  const QString &check);
    bool checked() const;
    bool mdiChosen() const;
    QString result() const { return m_result; }

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void confirm();

    QLabel *m_label[4] = {};
    QRadioButton *m_option[2] = {};
    QCheckBox *m_check = nullptr;
    QString m_result;
};

}  // namespace kv::app
