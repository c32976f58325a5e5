// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/parameters_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "core/capture_parameters.h"
#include "core/trigger_word.h"
#include "main/autoset.h"
#include "main/parameter_panel.h"
#include "main/trigger_word_box.h"

namespace kv::app {

ParametersWindow::ParametersWindow(ProgramState &state, ParameterPanel &panel, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state), m_panel(panel) {
    setObjectName("Form2");
    setWindowTitle("Parameters");
    auto *grid = new QGridLayout(this);
    const auto label = [&](const char *name, const char *text, int row) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        grid->addWidget(l, row, 0);
        return l;
    };
    const auto combo = [&](int i, QStringList items, int row) {
        m_combo[i] = new QComboBox(this);
        m_combo[i]->setObjectName(QString("Combo%1").arg(i));
        m_combo[i]->addItems(items);
        grid->addWidget(m_combo[i], row, 1);
        return m_combo[i];
    };
    label("Label3", "Source", 0);
    combo(2, {"Internal", "External rising", "External falling"}, 0);
    label("Label5", "Rate", 1);
    QStringList rates;
    for (int i = 0; i < kRateListSize; ++i)
        rates << rateListText(i);
    combo(1, rates, 1);
    for (int i = 0; i < kRateListSize; ++i)
        m_combo[1]->setItemData(i, rateListCode(i));
    label("Label7", "Memory", 2);
    combo(3, {"2k", "128k"}, 2);
    label("Label4", "Mode", 3);
    combo(4, {"Single", "Normal", "Auto"}, 3);
    label("Label2", "Logic", 4);
    combo(5, {"false to true", "true to false"}, 4);
    label("Label1", "Voltage", 5);
    m_threshold = new QScrollBar(Qt::Horizontal, this);
    m_threshold->setObjectName("VScroll2(0)");
    m_threshold->setRange(0, 80);
    grid->addWidget(m_threshold, 5, 1);
    m_thresholdText = new QLabel(this);
    m_thresholdText->setObjectName("Label9");
    grid->addWidget(m_thresholdText, 5, 2);
    label("Label8", "Trig Word", 6);
    m_word = new TriggerWordBox(this);
    m_word->setObjectName("Text1");
    m_word->setToolTip("Trigger 23-0");
    m_word->setMinimumWidth(QFontMetrics(m_word->font()).horizontalAdvance(QString(29, 'X')));
    grid->addWidget(m_word, 6, 1, 1, 2);
    m_delayLabel = label("Label6", "Delay", 7);
    combo(6, {"NO", "YES"}, 7);

    connect(m_combo[2], &QComboBox::currentIndexChanged, this, [this](int i) {
        // Runs even while the program sets controls.
        m_state.settings.clockSource = static_cast<uint8_t>(std::max(i, 0));
        m_state.settingsChanged = 1;
    });
    connect(m_combo[1], &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_state.busy == 33) return;
        m_panel.scroll(5)->setValue(i);
    });
    connect(m_combo[3], &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_state.busy == 33) return;
        m_panel.scroll(4)->setValue(i);
    });
    connect(m_combo[4], &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_state.busy == 33) return;
        m_panel.scroll(3)->setValue(i);
    });
    connect(m_combo[5], &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_state.busy == 33) return;
        m_panel.scroll(2)->setValue(i);
    });
    connect(m_threshold, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_state.busy == 33) return;
        m_panel.scroll(1)->setValue(v);
    });
    connect(m_word, &TriggerWordBox::wordEdited, this,
            [this](const QString &t) { m_panel.triggerWordEdited(t, true); });
    connect(m_word, &QLineEdit::editingFinished, this, &ParametersWindow::validateTriggerWord);
    connect(m_combo[6], &QComboBox::currentIndexChanged, this, [this](int i) {
        const uint8_t busy = m_state.busy;
        m_state.busy = 33;
        m_state.triggerDelayMode = i == 1;
        emit triggerDelayModeChanged(i == 1);
        m_state.busy = busy;
    });
}

template <typename F>
void ParametersWindow::setQuietly(F f) {
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    f();
    m_state.busy = busy;
}

void ParametersWindow::showSettings() {
    setQuietly([this] {
        const CaptureSettings &cs = m_state.settings;
        m_combo[2]->setCurrentIndex(std::min<int>(cs.clockSource, 2));
        m_combo[1]->setCurrentIndex(std::max(rateListIndexOf(cs.rateCode), 0));
        m_combo[3]->setCurrentIndex(cs.memoryDepthIndex);
        m_combo[4]->setCurrentIndex(cs.captureMode);
        m_combo[5]->setCurrentIndex(
            cs.triggerSlope[cs.triggerChannel < 51 ? cs.triggerChannel : 0]);
        m_threshold->setValue(cs.threshold[0]);
        m_thresholdText->setText(QString::fromStdString(thresholdText(cs.threshold[0])));
        m_word->setWord(QString::fromStdString(cs.triggerWord));
        m_combo[6]->setCurrentIndex(m_state.triggerDelayMode ? 1 : 0);
    });
    // The unit decides whether it offers a trigger delay.
    const bool delay = delayControlsShown(m_state.unitBlock);
    m_delayLabel->setVisible(delay);
    m_combo[6]->setVisible(delay);
}

void ParametersWindow::setThreshold(int v) {
    setQuietly([&] { m_threshold->setValue(v); });
}
void ParametersWindow::setThresholdText(const QString &t) {
    m_thresholdText->setText(t);
}
void ParametersWindow::setSlope(int v) {
    setQuietly([&] { m_combo[5]->setCurrentIndex(v); });
}
void ParametersWindow::setMode(int v) {
    setQuietly([&] { m_combo[4]->setCurrentIndex(v); });
}
void ParametersWindow::setMemory(int v) {
    setQuietly([&] { m_combo[3]->setCurrentIndex(v); });
}
void ParametersWindow::setRate(int v) {
    setQuietly([&] { m_combo[1]->setCurrentIndex(v); });
}

void ParametersWindow::setTriggerWord(const QString &text) {
    setQuietly([&] { m_word->setWord(text); });
}

void ParametersWindow::validateTriggerWord() {
    setQuietly([this] {
        const std::string checked = normaliseTriggerWord(m_word->text().toStdString());
        const QString shown = QString::fromStdString(checked);
        if (m_word->text() != shown) m_word->setText(shown);  // keeps the cursor where it is
        m_panel.triggerWordBox()->setWord(QString::fromStdString(checked));
        m_state.settings.triggerWord = checked;
        rebuildTriggerWordChars(checked, m_state.triggerWordChars);
    });
}

void ParametersWindow::closeEvent(QCloseEvent *event) {
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace kv::app
