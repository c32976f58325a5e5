// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/print_preview.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/print_layout.h"

namespace kv::app {

PreviewBox::PreviewBox(QWidget *parent) : QWidget(parent) {
    setObjectName("picPreview");
    setMinimumSize(200, 150);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void PreviewBox::setPicture(const QImage &picture) {
    m_picture = picture;
    update();
}

QRectF PreviewBox::pictureRect() const {
    const PrintedSize s = fitKeepingRatio(m_picture.width(), m_picture.height(), width(), height());
    return {0, 0, s.width, s.height};
}

void PreviewBox::paintEvent(QPaintEvent *) {
    if (m_picture.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(pictureRect(), m_picture);
}

PrintPreview::PrintPreview(std::function<void(const QString &)> print, QWidget *parent)
    : QWidget(parent, Qt::Window), m_print(std::move(print)) {
    setObjectName("frmPrintPreview");
    setWindowTitle("Preview");
    m_title = new QLineEdit(this);
    m_title->setObjectName("Text1");
    m_preview = new PreviewBox(this);
    auto *printButton = new QPushButton("Print", this);
    printButton->setObjectName("Command1");
    auto *exitButton = new QPushButton("Exit(&X)", this);
    exitButton->setObjectName("cmdExit");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_title, 1);
    buttons->addWidget(printButton);
    buttons->addWidget(exitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_preview, 1);
    connect(printButton, &QPushButton::clicked, this, [this] {
        if (m_print) m_print(m_title->text());
    });
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    resize(500, 400);
}

void PrintPreview::load(const QImage &picture, const QString &title) {
    m_title->setText(title);
    m_preview->setPicture(picture);
}

QString PrintPreview::title() const {
    return m_title->text();
}

}  // namespace kv::app
