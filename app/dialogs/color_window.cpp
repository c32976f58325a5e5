// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/color_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

#include "timing/qt_surface.h"

namespace kv::app {

const std::array<int, 33> &ColorWindow::entries() {
    static const std::array<int, 33> list = [] {
        std::array<int, 33> l{};
        l[0] = 0, l[1] = 1, l[2] = 2, l[3] = 5;
        for (int i = 0; i < 28; ++i)
            l[static_cast<size_t>(4 + i)] = 6 + i;
        l[32] = 542;
        return l;
    }();
    return list;
}

ColorWindow::ColorWindow(ProgramState &state, std::function<void()> applied, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state), m_applied(std::move(applied)) {
    setObjectName("Color");
    setWindowTitle("Color Setup");
    auto *layout = new QGridLayout(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    const std::map<int, QString> fixed = {{0, "Screen Background"},
                                          {1, "Cursor A"},
                                          {2, "Cursor B"},
                                          {5, "Trigger Bar"},
                                          {542, "Timing Background"}};
    int n = 0;
    for (const int e : entries()) {
        const auto known = fixed.find(e);
        auto *b = new QRadioButton(
            known != fixed.end() ? known->second : QString("Channel D%1").arg(e - 6), this);
        b->setObjectName(QString("ColorSys(%1)").arg(e));
        b->setAutoFillBackground(true);
        b->setBackgroundRole(QPalette::Window);
        m_group->addButton(b, e);
        m_entries[e] = b;
        // Entries in three columns beside the swatches.
        layout->addWidget(b, n % 11, n / 11);
        ++n;
    }
    auto *swatches = new QGridLayout;
    swatches->setSpacing(2);
    for (int i = 0; i < 48; ++i) {
        auto *s = new QPushButton(this);
        s->setObjectName(QString("CommandColor(%1)").arg(i));
        s->setFixedSize(24, 24);
        s->setFlat(true);
        s->setAutoFillBackground(true);
        connect(s, &QPushButton::clicked, this, [this, i] { swatchClicked(i); });
        m_swatches[static_cast<size_t>(i)] = s;
        swatches->addWidget(s, i / 8, i % 8);
    }
    layout->addLayout(swatches, 0, 3, 7, 1);
    m_editUser = new QCheckBox("Edit user color", this);
    m_editUser->setObjectName("Check(8)");
    layout->addWidget(m_editUser, 7, 3);
    auto *okButton = new QPushButton("OK", this);
    okButton->setObjectName("ColorOk");
    connect(okButton, &QPushButton::clicked, this, &ColorWindow::ok);
    layout->addWidget(okButton, 9, 3);
}

void ColorWindow::fill() {
    // The rows are named as view 1 names its tracks.
    for (int i = 0; i < kShownTracks; ++i)
        m_entries[6 + i]->setText(
            QString::fromStdString(m_state.tracks[0].name[static_cast<size_t>(i)]));
    for (int i = 0; i < 48; ++i)
        setSwatch(i, fromColorRef(m_state.colours.palette[static_cast<size_t>(i)]));
    m_timingBackground = fromColorRef(m_state.colours.entry[542]);
    for (const int e : entries()) {
        const QColor table = fromColorRef(m_state.colours.entry[static_cast<size_t>(e)]);
        if (isBackgroundEntry(e))
            setEntryColours(e, Qt::white, table);
        else
            setEntryColours(e, table, m_timingBackground);
    }
}

void ColorWindow::swatchClicked(int i) {
    if (m_editUser->isChecked()) {
        QColorDialog dialog(m_swatchColours[static_cast<size_t>(i)], this);
        dialog.setObjectName("UserColorDialog");
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() == QDialog::Accepted) setSwatch(i, dialog.selectedColor());
    } else {
        m_selected = m_swatchColours[static_cast<size_t>(i)];
    }
    const int checked = m_group->checkedId();
    for (const int background : {0, 542}) {
        if (checked == background) setEntryColours(background, Qt::white, m_selected);
    }
    m_timingBackground = backColour(542);
    for (const int e : entries()) {
        if (isBackgroundEntry(e)) continue;
        setEntryColours(e, checked == e ? m_selected : foreColour(e), m_timingBackground);
    }
}

void ColorWindow::ok() {
    for (size_t i = 0; i < 48; ++i)
        m_state.colours.palette[i] = toColorRef(m_swatchColours[i]);
    for (const int e : entries()) {
        m_state.colours.entry[static_cast<size_t>(e)] =
            toColorRef(isBackgroundEntry(e) ? backColour(e) : foreColour(e));
    }
    close();
    if (m_applied) m_applied();
}

void ColorWindow::setEntryColours(int entry, const QColor &fore, const QColor &back) {
    QRadioButton *b = m_entries.at(entry);
    QPalette p = b->palette();
    p.setColor(QPalette::WindowText, fore);
    p.setColor(QPalette::Window, back);
    b->setPalette(p);
}

void ColorWindow::setSwatch(int i, const QColor &colour) {
    m_swatchColours[static_cast<size_t>(i)] = colour;
    QPushButton *s = m_swatches[static_cast<size_t>(i)];
    QPalette p = s->palette();
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::Window, colour);
    s->setPalette(p);
    s->setToolTip(colour.name());
}

QColor ColorWindow::foreColour(int entry) const {
    return m_entries.at(entry)->palette().color(QPalette::WindowText);
}

QColor ColorWindow::backColour(int entry) const {
    return m_entries.at(entry)->palette().color(QPalette::Window);
}

QColor ColorWindow::swatchColour(int i) const {
    return m_swatches[static_cast<size_t>(i)]->palette().color(QPalette::Button);
}

}  // namespace kv::app
