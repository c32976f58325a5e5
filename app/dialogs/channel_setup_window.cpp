// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/channel_setup_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dialogs/channel_model.h"
#include "dialogs/name_box.h"
#include "dialogs/setup_busy.h"

namespace kv::app {
namespace {

QString text(const std::string &s) {
    return QString::fromStdString(s);
}

}  // namespace

ChannelSetupWindow::ChannelSetupWindow(ProgramState &state, SetupHooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state), m_hooks(std::move(hooks)) {
    setObjectName("channel");
    setWindowTitle("Channel / State / Timing Edit");
    setAttribute(Qt::WA_DeleteOnClose);
    SetupBusy busy(m_state);

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName("Frame1");
    auto *grid = new QGridLayout(m_frame1);
    m_vscroll1 = selector("VScroll1", std::max(m_state.highestViewIndex, 0));

    m_vscroll5 = selector("VScroll5", 23);
    m_label6 = new QLabel(m_frame1);
    m_label6->setObjectName("Label6");
    m_text5 = makeNameBox(m_frame1, "Text5", 0);
    m_text5->setToolTip("Channel name");
    grid->addWidget(m_label6, 1, 0);
    grid->addWidget(m_vscroll5, 1, 1);
    grid->addWidget(m_text5, 1, 2, 1, 2);

    m_vscroll3 = selector("VScroll3", kStateColumns - 1);
    m_label14State = new QLabel(m_frame1);
    m_label14State->setObjectName("Label14(0)");
    m_combo6 = list("Combo6", "Group");
    m_combo3 = list("Combo3(0)", "Display", {"Turn On", "Turn Off"});
    grid->addWidget(m_label14State, 2, 0);
    grid->addWidget(m_vscroll3, 2, 1);
    grid->addWidget(m_combo6, 2, 2);
    grid->addWidget(m_combo3, 2, 3);

    m_vscroll4 = selector("VScroll4", 23);
    m_label14Track = new QLabel(m_frame1);
    m_label14Track->setObjectName("Label14(1)");
    m_combo7 = list("Combo7", "Group");
    m_text4 = makeNameBox(m_frame1, "Text4", 0);
    m_text4->setToolTip("Timing name");
    m_combo8 = list("Combo8", "Timing Height",
                    {"Height 16", "Height 20", "Height 24", "Height 28", "Height 32", "Height 36"});
    m_combo9 = list("Combo9", "Display", {"Turn On", "Turn Off"});
    grid->addWidget(m_label14Track, 3, 0);
    grid->addWidget(m_vscroll4, 3, 1);
    grid->addWidget(m_combo7, 3, 2);
    grid->addWidget(m_text4, 3, 3);
    grid->addWidget(m_combo8, 4, 2);
    grid->addWidget(m_combo9, 4, 3);
    // The view selector runs down the frame's right side.
    m_vscroll1->setFixedSize(18, 150);
    grid->addWidget(m_vscroll1, 1, 4, 4, 1);
    grid->setColumnMinimumWidth(0, 110);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);

    auto *command2 = new QPushButton("Refresh Screen", this);
    command2->setObjectName("Command2");
    auto *command4 = new QPushButton("Group Edit", this);
    command4->setObjectName("Command4");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command2);
    buttons->addWidget(command4);
    auto *top = new QVBoxLayout(this);
    top->addWidget(m_frame1);
    top->addLayout(buttons);

    connect(m_vscroll1, &QScrollBar::valueChanged, this, &ChannelSetupWindow::viewChanged);
    connect(m_vscroll5, &QScrollBar::valueChanged, this, &ChannelSetupWindow::channelChanged);
    connect(m_text5, &QLineEdit::textEdited, this, &ChannelSetupWindow::channelEdited);
    connect(m_vscroll3, &QScrollBar::valueChanged, this, [this] {
        if (m_state.busy != 33) loadStateColumn();
    });
    connect(m_combo6, &QComboBox::activated, this, [this](int group) {
        if (m_state.busy != 33) setStateColumnGroup(m_state, view(), column(), group);
    });
    connect(m_combo3, &QComboBox::activated, this, [this](int off) {
        if (m_state.busy != 33) setStateColumnOff(m_state, view(), column(), off == 1);
    });
    connect(m_vscroll4, &QScrollBar::valueChanged, this, [this] {
        if (m_state.busy != 33) loadTrack();
    });
    connect(m_combo7, &QComboBox::activated, this, &ChannelSetupWindow::contentChosen);
    connect(m_text4, &QLineEdit::textEdited, this, &ChannelSetupWindow::trackNameEdited);
    connect(m_combo8, &QComboBox::activated, this, [this](int code) {
        if (m_state.busy != 33) setTrackHeight(m_state, view(), track(), code);
    });
    connect(m_combo9, &QComboBox::activated, this, [this](int off) {
        if (m_state.busy != 33) setTrackOff(m_state, view(), track(), off == 1);
    });
    connect(command2, &QPushButton::clicked, this, [this] {
        if (m_hooks.layoutTrackRows) m_hooks.layoutTrackRows();
        if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    });
    connect(command4, &QPushButton::clicked, this, [this] {
        if (m_hooks.openGroupSetup) m_hooks.openGroupSetup();
    });

    // Opening: the view being edited, the selected channel, track 0 and state column 0.
    m_state.editedView = std::clamp(m_state.editedView, 0, m_vscroll1->maximum());
    m_state.selectedChannel = std::clamp(m_state.selectedChannel, 0, 23);
    m_vscroll1->setValue(m_state.editedView);
    m_vscroll5->setValue(m_state.selectedChannel);
    m_frame1->setTitle(text(viewFrameCaption(m_state.editedView)));
    m_label6->setText(text(channelCaption(m_state.selectedChannel)));
    m_text5->setText(text(m_state.channelNames[static_cast<size_t>(m_state.selectedChannel)]));
    refillGroupLists();
    loadStateColumn();
    loadTrack();
}

QScrollBar *ChannelSetupWindow::selector(const QString &name, int maximum) {
    auto *bar = new QScrollBar(Qt::Vertical, m_frame1);
    bar->setObjectName(name);
    bar->setRange(0, maximum);
    bar->setPageStep(1);
    bar->setFixedSize(18, 36);
    return bar;
}

QComboBox *ChannelSetupWindow::list(const QString &name, const QString &tip,
                                    const QStringList &items) {
    auto *combo = new QComboBox(m_frame1);
    combo->setObjectName(name);
    combo->setToolTip(tip);
    combo->addItems(items);
    return combo;
}

int ChannelSetupWindow::view() const {
    return m_vscroll1->value();
}

int ChannelSetupWindow::track() const {
    return m_vscroll4->value();
}

int ChannelSetupWindow::column() const {
    return m_vscroll3->value();
}

void ChannelSetupWindow::refillGroupLists() {
    SetupBusy busy(m_state);
    m_combo6->clear();
    m_combo7->clear();
    for (const std::string &name : m_state.groups.name)
        m_combo6->addItem(text(name));
    for (const std::string &item : trackContentItems(m_state))
        m_combo7->addItem(text(item));
    const TrackTable &t = m_state.tracks[static_cast<size_t>(view())];
    m_combo6->setCurrentIndex(t.stateGroup[static_cast<size_t>(column())]);
    const int content = t.content[static_cast<size_t>(track())];
    m_combo7->setCurrentIndex(content < m_combo7->count() ? content : -1);
}

void ChannelSetupWindow::viewChanged(int view) {
    if (m_state.busy == 33) return;
    m_state.editedView = view;
    m_frame1->setTitle(text(viewFrameCaption(view)));
    m_label6->setText(text(channelCaption(m_vscroll5->value())));
    m_text5->setText(text(m_state.channelNames[static_cast<size_t>(m_vscroll5->value())]));
    {
        SetupBusy busy(m_state);
        m_vscroll3->setValue(0);
        m_vscroll4->setValue(0);
    }
    loadStateColumn();
    loadTrack();
}

void ChannelSetupWindow::channelChanged(int channel) {
    if (m_state.busy == 33) return;
    m_state.selectedChannel = channel;
    m_label6->setText(text(channelCaption(channel)));
    SetupBusy busy(m_state);
    m_text5->setText(text(m_state.channelNames[static_cast<size_t>(channel)]));
}

void ChannelSetupWindow::channelEdited(const QString &name) {
    if (m_state.busy == 33) return;
    const int channel = m_vscroll5->value();
    renameChannel(m_state, channel, name.toStdString());
    emit channelRenamed(channel);
    SetupBusy busy(m_state);
    m_combo7->setItemText(kGroups + channel, name);
}

void ChannelSetupWindow::loadStateColumn() {
    SetupBusy busy(m_state);
    const TrackTable &t = m_state.tracks[static_cast<size_t>(view())];
    m_label14State->setText(text(stateColumnCaption(column())));
    m_combo6->setCurrentIndex(t.stateGroup[static_cast<size_t>(column())]);
    m_combo3->setCurrentIndex(t.stateOff[static_cast<size_t>(column())] ? 1 : 0);
}

void ChannelSetupWindow::loadTrack() {
    SetupBusy busy(m_state);
    const TrackTable &t = m_state.tracks[static_cast<size_t>(view())];
    const auto j = static_cast<size_t>(track());
    m_label14Track->setText(text(trackCaption(track())));
    m_text4->setText(text(t.name[j]));
    m_combo7->setCurrentIndex(t.content[j] < m_combo7->count() ? t.content[j] : -1);
    m_combo9->setCurrentIndex(t.off[j] ? 1 : 0);
    m_combo8->setCurrentIndex(t.height[j]);
    m_text4->setVisible(showsChannel(m_state, view(), track()));
}

void ChannelSetupWindow::contentChosen(int item) {
    if (m_state.busy == 33) return;
    chooseTrackContent(m_state, view(), track(), item);
    {
        SetupBusy busy(m_state);
        const bool channel = showsChannel(m_state, view(), track());
        m_text4->setVisible(channel);
        if (channel)
            m_text4->setText(text(
                m_state.tracks[static_cast<size_t>(view())].name[static_cast<size_t>(track())]));
    }
    if (m_hooks.layoutTrackRows) m_hooks.layoutTrackRows();
}

void ChannelSetupWindow::trackNameEdited(const QString &name) {
    if (m_state.busy == 33) return;
    setTrackName(m_state, view(), track(), name.toStdString());
    if (m_hooks.layoutTrackRows) m_hooks.layoutTrackRows();
}

}  // namespace kv::app
