// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder dialog of a view.
#include "dialogs/decoder_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <utility>

#include "decode/decoder_text.h"

namespace kv::app {

namespace {

QString channelCaption(int n, const std::string &name) {
    return QString("D%1  %2").arg(n).arg(QString::fromStdString(name));
}

}  // namespace

DecoderDialog::DecoderDialog(const std::array<std::string, 24> &channelNames,
                             std::vector<decode::DecoderStack> stacks, QWidget *parent)
    : QDialog(parent), m_names(channelNames), m_stacks(std::move(stacks)) {
    setWindowTitle("Protocol decoders");
    setObjectName("frmDecoders");
    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    m_list = new QListWidget(this);
    m_list->setObjectName("DecoderList");
    left->addWidget(m_list);
    auto *add = new QPushButton("Add", this);
    add->setObjectName("AddDecoder");
    auto *remove = new QPushButton("Remove", this);
    remove->setObjectName("RemoveDecoder");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    left->addLayout(buttons);
    top->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    auto *choice = new QFormLayout;
    m_decoder = new QComboBox(this);
    m_decoder->setObjectName("DecoderChoice");
    for (const auto &d : decode::catalogue()) {
        if (!d.takesSamples()) continue;
        m_decoder->addItem(QString::fromStdString(d.id + " - " + d.longName),
                           QString::fromStdString(d.id));
    }
    choice->addRow("Decoder", m_decoder);
    right->addLayout(choice);
    m_form = new QWidget(this);
    m_formLayout = new QVBoxLayout(m_form);
    m_formLayout->setContentsMargins(0, 0, 0, 0);
    right->addWidget(m_form);
    auto *stackRow = new QHBoxLayout;
    m_stackChoice = new QComboBox(this);
    m_stackChoice->setObjectName("StackChoice");
    auto *stackOnButton = new QPushButton("Stack on top", this);
    stackOnButton->setObjectName("StackDecoder");
    auto *unstackButton = new QPushButton("Remove top", this);
    unstackButton->setObjectName("UnstackDecoder");
    stackRow->addWidget(m_stackChoice, 1);
    stackRow->addWidget(stackOnButton);
    stackRow->addWidget(unstackButton);
    right->addLayout(stackRow);
    right->addStretch();
    m_problem = new QLabel(this);
    m_problem->setObjectName("DecoderProblem");
    m_problem->setStyleSheet("color: #b00000");
    m_problem->setWordWrap(true);
    right->addWidget(m_problem);
    top->addLayout(right, 2);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = box->button(QDialogButtonBox::Ok);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &DecoderDialog::addStack);
    connect(remove, &QPushButton::clicked, this, &DecoderDialog::removeStack);
    connect(m_list, &QListWidget::currentRowChanged, this, &DecoderDialog::select);
    connect(m_decoder, &QComboBox::currentIndexChanged, this, &DecoderDialog::decoderChosen);
    connect(stackOnButton, &QPushButton::clicked, this, &DecoderDialog::stackOn);
    connect(unstackButton, &QPushButton::clicked, this, &DecoderDialog::unstack);
    showLists();
    if (!m_stacks.empty()) m_list->setCurrentRow(0);
    select(m_list->currentRow());
    resize(640, 420);
}

QString DecoderDialog::problem() const {
    return m_error;
}

void DecoderDialog::showLists() {
    const bool blocked = m_list->blockSignals(true);
    const bool building = std::exchange(m_building, true);
    m_list->clear();
    for (const auto &s : m_stacks)
        m_list->addItem(QString::fromStdString(decode::formatDecoderText(s)));
    if (m_current >= 0) m_list->setCurrentRow(m_current);
    m_list->blockSignals(blocked);
    m_building = building;
}

void DecoderDialog::addStack() {
    // The decoder shown, its channels mapped by name where they can be.
    const std::string id = m_decoder->currentData().toString().toStdString();
    const decode::DecoderInfo *info = decode::findDecoder(id);
    if (!info) return;
    decode::DecoderSetup setup{id, decode::mapByName(*info, m_names), {}};
    m_stacks.push_back({setup});
    m_current = int(m_stacks.size()) - 1;
    showLists();
    select(m_current);
}

void DecoderDialog::removeStack() {
    if (m_current < 0) return;
    m_stacks.erase(m_stacks.begin() + m_current);
    m_current = std::min(m_current, int(m_stacks.size()) - 1);
    showLists();
    select(m_current);
}

void DecoderDialog::select(int row) {
    m_current = row >= 0 && row < int(m_stacks.size()) ? row : -1;
    buildForm();
}

void DecoderDialog::decoderChosen() {
    if (m_building) return;
    if (m_current < 0) {
        addStack();
    }
    const std::string id = m_decoder->currentData().toString().toStdString();
    const decode::DecoderInfo *info = decode::findDecoder(id);
    if (!info || m_current < 0) return;
    m_stacks[size_t(m_current)] = {{id, decode::mapByName(*info, m_names), {}}};
    showLists();
    buildForm();
}

void DecoderDialog::stackOn() {
    if (m_current < 0 || m_stackChoice->currentIndex() < 0) return;
    m_stacks[size_t(m_current)].push_back(
        {m_stackChoice->currentData().toString().toStdString(), {}, {}});
    showLists();
    buildForm();
}

void DecoderDialog::unstack() {
    if (m_current < 0 || m_stacks[size_t(m_current)].size() < 2) return;
    m_stacks[size_t(m_current)].pop_back();
    showLists();
    buildForm();
}

QComboBox *DecoderDialog::channelBox(const std::string &id, int unit) {
    auto *box = new QComboBox(m_form);
    box->setObjectName(QString::fromStdString("Channel_" + id));
    box->addItem("(none)", -1);
    for (int n = 0; n < 24; ++n)
        box->addItem(channelCaption(n, m_names[size_t(n)]), n);
    box->setCurrentIndex(unit + 1);
    connect(box, &QComboBox::currentIndexChanged, this, &DecoderDialog::formChanged);
    return box;
}

void DecoderDialog::buildForm() {
    m_building = true;
    while (QLayoutItem *item = m_formLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_stackChoice->clear();
    const bool any = m_current >= 0;
    m_decoder->setEnabled(true);
    if (any) {
        const decode::DecoderStack &stack = m_stacks[size_t(m_current)];
        m_decoder->setCurrentIndex(m_decoder->findData(QString::fromStdString(stack.front().id)));
        for (size_t i = 0; i < stack.size(); ++i) {
            const decode::DecoderInfo *info = decode::findDecoder(stack[i].id);
            if (!info) continue;
            auto *group =
                new QGroupBox(QString::fromStdString(info->name + " - " + info->desc), m_form);
            group->setObjectName(QString("DecoderForm(%1)").arg(i));
            auto *form = new QFormLayout(group);
            if (i == 0) {
                for (const auto *list : {&info->channels, &info->optionalChannels}) {
                    for (const auto &c : *list) {
                        auto it = stack[i].channels.find(c.id);
                        const QString label =
                            QString::fromStdString(c.name) + (list == &info->channels ? " *" : "");
                        form->addRow(
                            label,
                            channelBox(c.id, it == stack[i].channels.end() ? -1 : it->second));
                    }
                }
            }
            for (const auto &o : info->options) {
                auto it = stack[i].options.find(o.id);
                const std::string value =
                    decode::optionText(it == stack[i].options.end() ? o.defaultValue : it->second);
                const QString name =
                    QString("Option_%1_%2").arg(i).arg(QString::fromStdString(o.id));
                if (!o.values.empty()) {
                    auto *box = new QComboBox(group);
                    box->setObjectName(name);
                    for (const auto &v : o.values)
                        box->addItem(QString::fromStdString(decode::optionText(v)));
                    box->setCurrentText(QString::fromStdString(value));
                    connect(box, &QComboBox::currentIndexChanged, this,
                            &DecoderDialog::formChanged);
                    form->addRow(QString::fromStdString(o.desc), box);
                } else {
                    auto *edit = new QLineEdit(QString::fromStdString(value), group);
                    edit->setObjectName(name);
                    connect(edit, &QLineEdit::textChanged, this, &DecoderDialog::formChanged);
                    form->addRow(QString::fromStdString(o.desc), edit);
                }
            }
            m_formLayout->addWidget(group);
        }
        if (const auto *top = decode::findDecoder(stack.back().id)) {
            for (const auto *d : decode::stackableOn(*top))
                m_stackChoice->addItem(QString::fromStdString(d->id + " - " + d->longName),
                                       QString::fromStdString(d->id));
        }
    }
    m_building = false;
    formChanged();
}

void DecoderDialog::formChanged() {
    if (m_building) return;
    m_error.clear();
    if (m_current >= 0) {
        decode::DecoderStack &stack = m_stacks[size_t(m_current)];
        // The form as the text form of the stack, read back with the same checks as a
        // command line or the settings file get.
        std::string text;
        for (size_t i = 0; i < stack.size(); ++i) {
            const decode::DecoderInfo *info = decode::findDecoder(stack[i].id);
            if (!info) continue;
            text += (i ? "+" : "") + stack[i].id;
            char sep = ':';
            if (i == 0) {
                for (auto *box :
                     m_form->findChildren<QComboBox *>(QRegularExpression("^Channel_"))) {
                    const int unit = box->currentData().toInt();
                    if (unit < 0) continue;
                    text +=
                        sep + box->objectName().mid(8).toStdString() + "=D" + std::to_string(unit);
                    sep = ',';
                }
            }
            for (const auto &o : info->options) {
                const QString name =
                    QString("Option_%1_%2").arg(i).arg(QString::fromStdString(o.id));
                QString value;
                if (auto *box = m_form->findChild<QComboBox *>(name)) value = box->currentText();
                if (auto *edit = m_form->findChild<QLineEdit *>(name))
                    value = edit->text().trimmed();
                if (value.toStdString() == decode::optionText(o.defaultValue)) continue;
                text += sep + o.id + "=" + value.toStdString();
                sep = ',';
            }
        }
        // Channels are given as D<n> only: a name match must not map one left empty.
        std::array<std::string, 24> none{};
        decode::DecoderTextParse parse = decode::parseDecoderText(text, none);
        if (parse.error.empty()) {
            stack = parse.stack;
            if (QListWidgetItem *item = m_list->item(m_current))
                item->setText(QString::fromStdString(decode::formatDecoderText(stack)));
        } else {
            m_error = QString::fromStdString(parse.error);
        }
    }
    m_problem->setText(m_error);
    m_ok->setEnabled(m_error.isEmpty());
}

}  // namespace kv::app
