// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/group_setup_window.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dialogs/group_model.h"
#include "dialogs/name_box.h"
#include "dialogs/setup_busy.h"

namespace kv::app {

GroupSetupWindow::GroupSetupWindow(ProgramState &state, SetupHooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state), m_hooks(std::move(hooks)) {
    setObjectName("state");
    setWindowTitle("Group Setup");
    setAttribute(Qt::WA_DeleteOnClose);
    SetupBusy busy(m_state);

    auto *group = new QGroupBox("Group", this);
    auto *groupGrid = new QGridLayout(group);
    m_vscroll2 = selector("VScroll2", kGroups - 1);
    m_label9 = new QLabel("0", group);
    m_label9->setObjectName("Label9");
    m_label9->setMinimumWidth(24);
    auto *groupRow = new QHBoxLayout;
    groupRow->addWidget(m_vscroll2);
    groupRow->addWidget(m_label9);
    groupRow->addStretch();
    groupGrid->addLayout(groupRow, 0, 0, 1, 2);
    m_text1 = makeNameBox(group, "Text1(0)", kGroupNameLength);
    m_combo1 = new QComboBox(group);
    m_combo1->setObjectName("Combo1(0)");
    m_combo1->addItems({"HEX", "DEC", "ASC", "BIN", "USER0", "USER1", "USER2", "USER3"});
    m_combo2 = new QComboBox(group);
    m_combo2->setObjectName("Combo2(0)");
    for (int n = 1; n <= 24; ++n)
        m_combo2->addItem(QString::number(n));
    const std::pair<const char *, QWidget *> fields[] = {
        {"Name", m_text1}, {"Base", m_combo1}, {"Number", m_combo2}};
    int row = 1;
    for (const auto &[caption, widget] : fields) {
        groupGrid->addWidget(new QLabel(caption, group), row, 0);
        groupGrid->addWidget(widget, row++, 1);
    }
    auto *bits = new QGroupBox("Channel combination", group);
    auto *bitGrid = new QGridLayout(bits);
    bitGrid->setVerticalSpacing(2);
    for (int i = 0; i < 24; ++i) {
        auto *label = new QLabel(QString("Bit %1").arg(i), bits);
        label->setObjectName(QString("Label8(%1)").arg(i));
        auto *combo = new QComboBox(bits);
        combo->setObjectName(QString("Combo4(%1)").arg(i));
        combo->setMinimumContentsLength(9);
        const int column = (i / 8) * 2;
        bitGrid->addWidget(label, i % 8, column);
        bitGrid->addWidget(combo, i % 8, column + 1);
        m_label8[static_cast<size_t>(i)] = label;
        m_combo4[static_cast<size_t>(i)] = combo;
        connect(combo, &QComboBox::activated, this, [this, i](int index) {
            if (m_state.busy == 33) return;
            GroupEntry(m_state.groups, m_state.currentGroup).setChannel(i, index);
        });
    }
    groupGrid->addWidget(bits, row, 0, 1, 2);

    auto *mnemonic = new QGroupBox("Mnemonic", this);
    auto *mnemonicGrid = new QGridLayout(mnemonic);
    m_combo5 = new QComboBox(mnemonic);
    m_combo5->setObjectName("Combo5");
    m_combo5->addItems({"USER0", "USER1", "USER2", "USER3"});
    mnemonicGrid->addWidget(m_combo5, 0, 0, 1, 3);
    m_vscroll1 = selector("VScroll1", kMnemonicEntries - 1);
    m_label13 = new QLabel("0", mnemonic);
    m_label13->setObjectName("Label13");
    m_label13->setMinimumWidth(30);
    auto *positionRow = new QHBoxLayout;
    positionRow->addWidget(new QLabel("Position", mnemonic));
    positionRow->addWidget(m_vscroll1);
    positionRow->addWidget(m_label13);
    positionRow->addStretch();
    mnemonicGrid->addLayout(positionRow, 1, 0, 1, 3);
    auto *label10 = new QLabel("bit23_____________________________bit0", mnemonic);
    label10->setObjectName("Label10");
    mnemonicGrid->addWidget(label10, 2, 0, 1, 3);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const char *tips[3] = {"Word D7-D0(0,1,x)", "Word D15-D8(0,1,x)", "Word D23-D16(0,1,x)"};
    for (int i = 2; i >= 0; --i) {
        auto *box = new QLineEdit(mnemonic);
        box->setObjectName(QString("Text2(%1)").arg(i));
        box->setToolTip(tips[i]);
        box->setMaxLength(8);
        box->setFont(fixed);
        box->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance("XXXXXXXX") + 16);
        m_text2[static_cast<size_t>(i)] = box;
        mnemonicGrid->addWidget(box, 3, 2 - i);
        connect(box, &QLineEdit::textEdited, this, [this, box] { patternEdited(box); });
    }
    mnemonicGrid->addWidget(new QLabel("Mnemonic", mnemonic), 4, 0);
    m_text3 = makeNameBox(mnemonic, "Text3", kMnemonicLength);
    mnemonicGrid->addWidget(m_text3, 4, 1, 1, 2);
    mnemonicGrid->setRowStretch(5, 1);
    mnemonicGrid->setColumnStretch(1, 1);

    auto *command2 = new QPushButton("Refresh screen", this);
    command2->setObjectName("Command2");
    auto *command1 = new QPushButton("OK", this);
    command1->setObjectName("Command1");
    auto *right = new QVBoxLayout;
    right->addWidget(mnemonic);
    right->addStretch();
    right->addWidget(command2);
    right->addWidget(command1);
    auto *top = new QHBoxLayout(this);
    top->addWidget(group);
    top->addLayout(right);

    connect(m_vscroll2, &QScrollBar::valueChanged, this, &GroupSetupWindow::groupChanged);
    connect(m_text1, &QLineEdit::textEdited, this, &GroupSetupWindow::nameEdited);
    connect(m_combo1, &QComboBox::activated, this, [this](int index) {
        if (m_state.busy == 33) return;
        GroupEntry(m_state.groups, m_vscroll2->value()).setBase(index);
    });
    connect(m_combo2, &QComboBox::activated, this, &GroupSetupWindow::numberChanged);
    connect(m_combo5, &QComboBox::activated, this, [this] {
        if (m_state.busy == 33) return;
        loadMnemonic();
    });
    connect(m_vscroll1, &QScrollBar::valueChanged, this, &GroupSetupWindow::positionChanged);
    connect(m_text3, &QLineEdit::textEdited, this, &GroupSetupWindow::mnemonicEdited);
    connect(command2, &QPushButton::clicked, this, &GroupSetupWindow::refresh);
    connect(command1, &QPushButton::clicked, this, &GroupSetupWindow::accept);

    // Opening: table USER0, the current group, the position of the (fresh) selector.
    m_combo5->setCurrentIndex(0);
    m_state.currentGroup = std::clamp(m_state.currentGroup, 0, kGroups - 1);
    m_vscroll2->setValue(m_state.currentGroup);
    m_label9->setText(QString::number(m_state.currentGroup));
    m_state.currentMnemonic = m_vscroll1->value();
    m_position = m_vscroll1->value();
    fillChannelLists();
    loadGroup();
    loadMnemonic();
}

QScrollBar *GroupSetupWindow::selector(const QString &name, int maximum) {
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(name);
    bar->setRange(0, maximum);
    bar->setPageStep(1);
    bar->setFixedSize(18, 36);
    return bar;
}

int GroupSetupWindow::table() const {
    return std::max(m_combo5->currentIndex(), 0);
}

int GroupSetupWindow::position() const {
    return m_label13->text().toInt();
}

void GroupSetupWindow::fillChannelLists() {
    SetupBusy busy(m_state);
    for (QComboBox *combo : m_combo4) {
        const int index = combo->currentIndex();
        combo->clear();
        for (int c = 0; c < 24; ++c)
            combo->addItem(QString::fromStdString(m_state.channelNames[static_cast<size_t>(c)]));
        combo->setCurrentIndex(index);
    }
}

void GroupSetupWindow::channelRenamed(int channel) {
    if (channel < 0 || channel >= 24) return;
    SetupBusy busy(m_state);
    const QString name = QString::fromStdString(m_state.channelNames[static_cast<size_t>(channel)]);
    for (QComboBox *combo : m_combo4)
        combo->setItemText(channel, name);
}

void GroupSetupWindow::showBits() {
    const GroupEntry g(m_state.groups, m_vscroll2->value());
    for (int i = 0; i < 24; ++i) {
        const bool used = i <= g.topBit();
        m_combo4[static_cast<size_t>(i)]->setVisible(used);
        m_label8[static_cast<size_t>(i)]->setVisible(used);
        if (used) m_combo4[static_cast<size_t>(i)]->setCurrentIndex(g.channel(i));
    }
}

void GroupSetupWindow::loadGroup() {
    SetupBusy busy(m_state);
    const GroupEntry g(m_state.groups, m_vscroll2->value());
    showBits();
    m_text1->setText(QString::fromStdString(g.name()));
    m_combo1->setCurrentIndex(g.base());
    m_combo2->setCurrentIndex(g.topBit());
}

void GroupSetupWindow::loadMnemonic() {
    SetupBusy busy(m_state);
    const MnemonicEntry e(m_state.groups, table(), position());
    const PatternBoxes boxes = splitPattern(e.patternText());
    m_text2[0]->setText(QString::fromStdString(boxes.d7to0));
    m_text2[1]->setText(QString::fromStdString(boxes.d15to8));
    m_text2[2]->setText(QString::fromStdString(boxes.d23to16));
    m_text3->setText(QString::fromStdString(e.text()));
    m_position = position();
}

void GroupSetupWindow::groupChanged(int value) {
    if (m_state.busy == 33) return;
    m_state.currentGroup = value;
    m_label9->setText(QString::number(value));
    loadGroup();
}

void GroupSetupWindow::numberChanged(int index) {
    if (m_state.busy == 33) return;
    GroupEntry(m_state.groups, m_vscroll2->value()).setTopBit(index);
    {
        SetupBusy busy(m_state);
        showBits();
    }
    m_state.currentGroup = m_vscroll2->value();
}

void GroupSetupWindow::nameEdited(const QString &text) {
    if (m_state.busy == 33) return;
    renameGroup(m_state, m_vscroll2->value(), text.toStdString());
    emit groupRenamed();
    if (m_hooks.layoutTrackRows) m_hooks.layoutTrackRows();
}

void GroupSetupWindow::patternEdited(QLineEdit *edited) {
    if (m_state.busy == 33) return;
    {
        SetupBusy busy(m_state);
        for (QLineEdit *box : m_text2) {
            const QString kept =
                QString::fromStdString(normalisedPatternBox(box->text().toStdString()));
            if (kept == box->text()) continue;
            const int cursor = box->cursorPosition();
            box->setText(kept);
            if (box == edited) box->setCursorPosition(std::min(cursor, int(kept.size())));
        }
    }
    MnemonicEntry(m_state.groups, table(), position())
        .setPattern(joinedPattern(m_text2[2]->text().toStdString(),
                                  m_text2[1]->text().toStdString(),
                                  m_text2[0]->text().toStdString()));
}

void GroupSetupWindow::mnemonicEdited(const QString &text) {
    if (m_state.busy == 33) return;
    MnemonicEntry(m_state.groups, table(), position()).setText(text.toStdString());
}

void GroupSetupWindow::positionChanged(int value) {
    if (m_state.busy == 33) return;
    // Leaving an entry keeps the text of its boxes; its pattern bytes stay as they were.
    MnemonicEntry(m_state.groups, table(), m_position)
        .setPatternText(joinedPattern(m_text2[2]->text().toStdString(),
                                      m_text2[1]->text().toStdString(),
                                      m_text2[0]->text().toStdString()));
    m_state.currentMnemonic = value;
    m_label13->setText(QString::number(value));
    loadMnemonic();
}

void GroupSetupWindow::refresh() {
    if (m_hooks.layoutTrackRows) m_hooks.layoutTrackRows();
    fillChannelLists();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
}

void GroupSetupWindow::accept() {
    if (m_state.busy == 33) return;
    m_state.currentGroup = 0;
    close();
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
}

}  // namespace kv::app
