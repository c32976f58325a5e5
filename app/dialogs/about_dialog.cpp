// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/about_dialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kv::app {

AboutDialog::AboutDialog(const QString &model, QWidget *parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About " + model);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(model, this);
    title->setObjectName("lblTitle");
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);
    auto *version = new QLabel(
        QString("24-channel logic analyzer, host software version %1").arg(kv::kProjectVersion),
        this);
    version->setObjectName("lblVersion");
    layout->addWidget(version);
    auto *web = new QLabel(QString("<a href=\"%1\">%1</a>").arg(kMakerWebAddress), this);
    web->setObjectName("Label8");
    web->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(web, &QLabel::linkActivated, this,
            [](const QString &link) { QDesktopServices::openUrl(QUrl(link)); });
    layout->addWidget(web);
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOk");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok);
}

}  // namespace kv::app
