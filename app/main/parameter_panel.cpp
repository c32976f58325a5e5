// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/parameter_panel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "core/capture_parameters.h"
#include "core/trigger_word.h"
#include "dialogs/parameters_window.h"
#include "main/trigger_word_box.h"

namespace kv::app {
namespace {

class BusyGuard {
  public:
    explicit BusyGuard(ProgramState &s) : m_s(s), m_was(s.busy) { s.busy = 33; }
    ~BusyGuard() { m_s.busy = m_was; }

  private:
    ProgramState &m_s;
    uint8_t m_was;
};

}  // namespace

ParameterPanel::ParameterPanel(ProgramState &state, ParameterHooks hooks, QWidget *parent)
    : QWidget(parent), m_state(state), m_hooks(std::move(hooks)) {
    setObjectName("ParameterPanel");
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);
    const char *captions[7] = {
        "",           "Threshold voltage", "Trigger slop", "Capture mode", "Memory size",
        "Clock rate", "Trigger word"};
    const int ranges[6] = {0, 80, 1, 2, 1, kRateListSize - 1};
    for (int i = 1; i <= 6; ++i) {
        auto *label = new QLabel(captions[i], this);
        grid->addWidget(label, 0, 2 * (i - 1), 1, 2);
        if (i == 6) {
            m_wordBox = new TriggerWordBox(this);
            m_text[6] = m_wordBox;
        } else {
            m_text[i] = new QLineEdit(this);
        }
        m_text[i]->setObjectName(QString("Text%1").arg(i));
        grid->addWidget(m_text[i], 1, 2 * (i - 1));
        if (i == 6) {
            m_wordBox->setMinimumWidth(
                QFontMetrics(m_wordBox->font()).horizontalAdvance(QString(28, 'X')));
            connect(m_wordBox, &TriggerWordBox::wordEdited, this,
                    [this](const QString &t) { triggerWordEdited(t, false); });
            continue;
        }
        m_text[i]->setReadOnly(true);
        m_text[i]->setMaximumWidth(90);
        m_text[i]->installEventFilter(this);
        m_scroll[i] = new QScrollBar(Qt::Vertical, this);
        m_scroll[i]->setObjectName(QString("VScroll%1").arg(i));
        // Up steps to the next value, as the spin buttons of the original panel.
        m_scroll[i]->setInvertedAppearance(true);
        m_scroll[i]->setRange(0, ranges[i]);
        m_scroll[i]->setFixedHeight(m_text[i]->sizeHint().height());
        grid->addWidget(m_scroll[i], 1, 2 * (i - 1) + 1);
        connect(m_scroll[i], &QScrollBar::valueChanged, this,
                [this, i](int value) { scrolled(i, value); });
    }
}

bool ParameterPanel::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 1; i <= 5; ++i) {
            if (watched == m_text[i] && m_hooks.openParametersWindow)
                m_hooks.openParametersWindow();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ParameterPanel::showSettings() {
    BusyGuard busy(m_state);
    const CaptureSettings &cs = m_state.settings;
    m_scroll[1]->setValue(cs.threshold[0]);
    m_scroll[2]->setValue(cs.triggerSlope[cs.triggerChannel < 51 ? cs.triggerChannel : 0]);
    m_scroll[3]->setValue(cs.captureMode);
    m_scroll[4]->setValue(cs.memoryDepthIndex);
    const int rate = rateListIndexOf(cs.rateCode);
    m_scroll[5]->setValue(rate < 0 ? 0 : rate);
    refreshThreshold();
    m_text[2]->setText(
        QString::fromStdString(slopeText(static_cast<uint8_t>(m_scroll[2]->value()))));
    m_text[3]->setText(QString::fromStdString(modeText(cs.captureMode)));
    m_text[4]->setText(QString::fromStdString(memoryText(cs.memoryDepthIndex)));
    if (auto row = rateRow(cs.rateCode)) m_text[5]->setText(row->text);
    m_wordBox->setWord(QString::fromStdString(cs.triggerWord));
    rebuildTriggerWordChars(cs.triggerWord, m_state.triggerWordChars);
    if (m_window) m_window->showSettings();
}

void ParameterPanel::refreshThreshold() {
    const QString text = QString::fromStdString(thresholdText(m_state.settings.threshold[0]));
    m_text[1]->setText(text);
    if (m_window) m_window->setThresholdText(text);
}

void ParameterPanel::selectRate(int listIndex) {
    if (listIndex < 0) listIndex = 0;
    const uint8_t code = rateListCode(listIndex);
    m_state.settings.rateCode = code;
    if (auto row = rateRow(code)) {
        m_text[5]->setText(row->text);
        m_state.samplePeriodPs = row->periodPs;
    }
    if (m_hooks.distancesChanged) m_hooks.distancesChanged();
}

void ParameterPanel::scrolled(int i, int value) {
    if (m_state.busy == 33) return;
    CaptureSettings &cs = m_state.settings;
    switch (i) {
        case 1:
            m_state.settingsChanged = 1;
            cs.threshold[0] = static_cast<uint8_t>(value);
            if (m_window) m_window->setThreshold(value);
            refreshThreshold();
            if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
            break;
        case 2:
            m_state.settingsChanged = 1;
            if (cs.triggerChannel < 51)
                cs.triggerSlope[cs.triggerChannel] = static_cast<uint8_t>(value);
            if (m_window) m_window->setSlope(value);
            m_text[2]->setText(QString::fromStdString(slopeText(static_cast<uint8_t>(value))));
            break;
        case 3:
            if (m_window) m_window->setMode(value);
            cs.captureMode = static_cast<uint8_t>(value);
            m_text[3]->setText(QString::fromStdString(modeText(cs.captureMode)));
            break;
        case 4:
            if (m_window) m_window->setMemory(value);
            m_state.settingsChanged = 1;
            cs.memoryDepthIndex = static_cast<uint8_t>(value);
            m_text[4]->setText(QString::fromStdString(memoryText(cs.memoryDepthIndex)));
            if (m_hooks.memoryDepthChanged) m_hooks.memoryDepthChanged();
            break;
        case 5:
            m_state.settingsChanged = 1;
            if (m_window) m_window->setRate(value);
            selectRate(value);
            break;
        default:
            break;
    }
}

void ParameterPanel::triggerWordEdited(const QString &text, bool fromWindow) {
    if (m_state.busy == 33) return;
    BusyGuard busy(m_state);
    m_state.settingsChanged = 1;
    const std::string t = text.toStdString();
    // Characters 1..8, a blank, 10..17, a blank, 19..26.
    const auto part = [&](size_t from) {
        return from < t.size() ? t.substr(from, 8) : std::string();
    };
    const std::string copy = part(0) + " " + part(9) + " " + part(18);
    // The copy goes into the other box; the box being typed in keeps its text and cursor.
    const QString shown = QString::fromStdString(copy);
    if (fromWindow)
        m_wordBox->setWord(shown);
    else if (m_window)
        m_window->setTriggerWord(shown);
    m_state.settings.triggerWord = copy;
    rebuildTriggerWordChars(m_state.settings.triggerWord, m_state.triggerWordChars);
}

}  // namespace kv::app
