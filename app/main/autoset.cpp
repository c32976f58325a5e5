// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/autoset.h"

namespace kv::app {
namespace {

constexpr uint32_t kMidScale = 128;

intptr_t addr(const void *p) {
    return reinterpret_cast<intptr_t>(p);
}

}  // namespace

bool delayControlsShown(const std::vector<uint8_t> &b) {
    if (b.size() <= 1010) return false;
    return b[1003] != 0 && !(b[1010] == 1 && b[1003] == 2);
}

void fillDelayOption(ProgramState &state) {
    if (state.hardwarePresent || state.demonstration) state.unitBlock[1003] = 1;
}

Autoset::Autoset(ProgramState &state, SecondPathApi &path, AutosetHooks hooks)
    : m_state(state), m_path(path), m_hooks(std::move(hooks)) {}

uint8_t Autoset::findUnit() {
    uint8_t model = 0;
    m_state.mixedModel =
        m_path.findHardware(&model, m_state.portRecord.data(), m_state.unitBlock.data(),
                            static_cast<uint32_t>(m_state.platformId));
    return m_state.mixedModel;
}

std::string Autoset::toolTip() const {
    return available() ? kAutosetToolTip : kAutosetRefusedToolTip;
}

SecondPathApi::CaptureArgs Autoset::arguments(int set) const {
    ProgramState &s = m_state;
    const CaptureSettings &cs = s.settings;
    const auto u = static_cast<size_t>(set);
    const auto plane = [&](int p) { return addr(s.capture.plane(set, p)); };
    SecondPathApi::CaptureArgs a{};
    const int planes[6] = {0, 1, 2, 3, 4, 6};
    for (int k = 0; k < 6; ++k)
        a[static_cast<size_t>(k)] = plane(planes[k]);
    a[6] = cs.recordLength() - 32;
    a[7] = cs.memoryDepthIndex;
    a[8] = s.unitCode;
    a[9] = addr(s.portRecord.data());
    a[10] = addr(s.unitBlock.data());
    a[11] = addr(s.autosetBlocks[0].data());
    a[12] = cs.rateCode;
    a[13] = cs.triggerChannel;
    a[14] = addr(cs.triggerSlope);
    a[15] = s.activeTriggerPair[0];
    a[16] = s.activeTriggerPair[1];
    for (int k = 0; k < 6; ++k)  // TrigWd2A .. TrigWd4B
        a[static_cast<size_t>(17 + k)] = cs.triggerWordPairs[2 + k];
    for (int k = 0; k < 4; ++k)
        a[static_cast<size_t>(23 + k)] = cs.threshold[k];
    a[27] = addr(s.autosetBlocks[1].data());
    a[28] = addr(s.autosetBlocks[2].data());
    a[29] = s.triggerPositions[u];
    a[30] = addr(s.autosetBlocks[3].data());
    a[31] = cs.clockSource;
    a[32] = addr(s.inputEnable.data());
    a[33] = addr(s.dataSetRecords[u].data());
    return a;
}

void Autoset::start() {
    if (m_active || !available()) return;
    ProgramState &s = m_state;
    for (int i = 0; i < 8; ++i)
        s.inputEnable[static_cast<size_t>(i)] = 1;
    for (int i = 36; i <= 38; ++i)
        s.inputEnable[static_cast<size_t>(i)] = 1;
    const uint8_t ch = s.settings.triggerChannel;
    s.activeTriggerPair[0] = ch <= 3 ? s.settings.triggerWordPairs[2 * ch] : 0;
    s.activeTriggerPair[1] = ch <= 3 ? s.settings.triggerWordPairs[2 * ch + 1] : 0;
    const ViewState &view = s.views[static_cast<size_t>(s.currentView)];
    m_set = view.dataSet;
    if (m_hooks.triggerPosition)
        s.triggerPositions[static_cast<size_t>(m_set)] = m_hooks.triggerPosition(view);
    m_path.capture(arguments(m_set));  // its result is not looked at
    if (m_hooks.rearmTimer1) m_hooks.rearmTimer1(kTimer1Ms);
    m_started = m_hooks.tick ? m_hooks.tick() : 0;
    m_forced = false;
    m_active = true;
    m_path.getTrigStat(arguments(m_set));
}

bool Autoset::step() {
    if (!m_active) return false;
    const uint8_t status = m_path.getTrigStat(arguments(m_set));
    if (status == kStatusWaiting && !m_forced) {
        m_path.forceTrigger(m_state.portRecord.data(), m_state.unitBlock.data());
        m_forced = true;
    }
    const uint32_t now = m_hooks.tick ? m_hooks.tick() : m_started;
    if (now - m_started > kPollMs || status == kStatusComplete) {
        finish();
        return false;
    }
    return true;
}

void Autoset::finish() {
    ProgramState &s = m_state;
    m_active = false;
    m_path.endCapture(arguments(m_set));
    // The trigger sample lands where the data set's trigger position says.
    s.dataSetRecords[static_cast<size_t>(m_set)][0] = 0;
    const bool bound = s.data2timing || s.data2timingbyauto;
    s.endTicks[static_cast<size_t>(bound ? m_set : 0)] = m_hooks.tick ? m_hooks.tick() : 0;
    m_path.testAd(s.capture.plane(m_set, 3), 0, kMidScale, kMidScale, s.autosetMeasure.data(),
                  s.settings.recordLength());
}

}  // namespace kv::app
