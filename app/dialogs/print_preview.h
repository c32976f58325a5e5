// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;

namespace kv::app {

// picPreview: the captured picture scaled into the box with its ratio kept.
class PreviewBox : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewBox(QWidget *parent);
    void setPicture(const QImage &picture);
    // Where the picture is painted inside the box.
    QRectF pictureRect() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QImage m_picture;
};

// frmPrintPreview ("Preview"): the picture, its title line (Text1), "Print" and "Exit(&X)".
class PrintPreview : public QWidget {
    Q_OBJECT
  public:
    // `print` is CmdPrint_Click, called with the title as edited.
    PrintPreview(std::function<void(const QString &title)> print, QWidget *parent = nullptr);

    // On load: the title is the main window's caption and the picture is shown.
    void load(const QImage &picture, const QString &title);
    QString title() const;

  private:
    std::function<void(const QString &)> m_print;
    PreviewBox *m_preview = nullptr;
    QLineEdit *m_title = nullptr;
};

}  // namespace kv::app
