// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/mdi_sdi_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv::app {

MdiSdiDialog::MdiSdiDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("MDI_SDI");
    setWindowTitle("MDI_SDI selection");
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < 4; ++i) {
        m_label[i] = new QLabel(this);
        m_label[i]->setObjectName(QString("Label%1").arg(i + 1));
        m_label[i]->setWordWrap(true);
        layout->addWidget(m_label[i]);
    }
    m_option[0] = new QRadioButton("One monitor(MDI form)", this);
    m_option[1] = new QRadioButton("More than one monitor(SDI form)", this);
    for (int i = 0; i < 2; ++i) {
        m_option[i]->setObjectName(QString("Option1(%1)").arg(i));
        layout->addWidget(m_option[i]);
    }
    m_option[0]->setChecked(true);
    m_check = new QCheckBox("Open two timings when available memory is less", this);
    m_check->setObjectName("Check2");
    m_check->setChecked(true);
    layout->addWidget(m_check);
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    ok->setDefault(true);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        confirm();
        accept();
    });
}

void MdiSdiDialog::setTexts(const QString &label1, const QString &label2, const QString &label3,
                            const QString &check) {
    m_label[0]->setText(label1);
    m_label[1]->setText(label2);
    m_label[2]->setText(label3);
    m_check->setText(check);
}

bool MdiSdiDialog::checked() const {
    return m_check->isChecked();
}

bool MdiSdiDialog::mdiChosen() const {
    return m_option[0]->isChecked();
}

void MdiSdiDialog::confirm() {
    m_result = "OK";
}

void MdiSdiDialog::closeEvent(QCloseEvent *event) {
    confirm();
    QDialog::closeEvent(event);
}

}  // namespace kv::app
