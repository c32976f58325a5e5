// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/capture_run.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/number_format.h"

namespace kv::app {

namespace {

// How often a run asks whether the unit still answers, and how many answers in a row
// that it does not end the run: a pulled cable is reported within half a second.
constexpr uint32_t kWatchEveryMs = 200;
constexpr int kGoneAfter = 2;

// Positions 1 to 6 of both the start and the end: planes 0, 1, 2, 3, 4 and 6 of the set.
void planeArguments(const CaptureArray &c, int set, intptr_t *a) {
    const int planes[6] = {0, 1, 2, 3, 4, 6};
    for (int i = 0; i < 6; ++i)
        a[i] = reinterpret_cast<intptr_t>(c.plane(set, planes[i]));
}

}  // namespace

CaptureRun::CaptureRun(ProgramState &state, DeviceApi &device, RunHooks hooks)
    : m_state(state), m_device(device), m_hooks(std::move(hooks)) {}

int CaptureRun::timer3Interval(uint8_t rateCode) {
    if (rateCode > 22) return 800;
    if (rateCode > 13) return 400;
    return 200;
}

int32_t CaptureRun::triggerPosition(const ViewState &view) const {
    if (!m_state.triggerDelayMode) return view.triggerCursor;
    const double x = 32767.0 - (view.delayBarMax - view.triggerDelay) / 512.0 - m_state.delayE;
    return static_cast<int32_t>(std::nearbyint(x));  // halves to even
}

int CaptureRun::targetDataSet() const {
    if (m_state.data2timingbyauto) return m_state.nextAutoDataSet;
    return m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
}

void CaptureRun::computeTriggerPositions() {
    const ViewState &current = m_state.views[static_cast<size_t>(m_state.currentView)];
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    m_state.triggerPositions[static_cast<size_t>(set)] = triggerPosition(current);
    if (m_state.data2timingbyauto) {
        for (int s = m_state.nextAutoDataSet; s <= m_state.highestViewIndex; ++s) {
            m_state.triggerPositions[static_cast<size_t>(s)] = triggerPosition(m_state.views[0]);
        }
    }
}

void CaptureRun::computeActivePair() {
    const uint8_t ch = m_state.settings.triggerChannel;
    if (ch <= 3) {
        m_state.activeTriggerPair[0] = m_state.settings.triggerWordPairs[2 * ch];
        m_state.activeTriggerPair[1] = m_state.settings.triggerWordPairs[2 * ch + 1];
    } else {
        m_state.activeTriggerPair[0] = m_state.activeTriggerPair[1] = 0;
    }
}

DeviceApi::StartArgs CaptureRun::startArguments(int set) const {
    ProgramState &s = m_state;
    const auto addr = [](const void *p) { return reinterpret_cast<intptr_t>(p); };
    const CaptureArray &c = s.capture;
    DeviceApi::StartArgs a{};
    planeArguments(c, set, a.data());
    a[6] = 0;
    a[7] = s.portBase;
    a[8] = addr(s.selectionBlock.data());
    a[9] = addr(s.stateBlock.data());
    a[10] = 1;
    a[11] = s.settings.memoryDepthIndex;
    a[12] = 0;
    a[13] = addr(&s.depthByte);
    a[14] = 3;
    a[15] = addr(&s.zeroBytes[0]);
    a[16] = addr(&s.zeroBytes[1]);
    a[17] = s.triggerPositions[static_cast<size_t>(set)];
    a[18] = 0;
    a[19] = s.settings.clockSource;
    a[20] = s.settings.rateCode;
    a[21] = 0;
    a[22] = 3;
    a[23] = addr(s.planeLengths.data());
    a[24] = addr(s.triggerWordChars.data());
    a[25] = 0;
    a[26] = addr(&s.zeroBytes[2]);
    a[27] = 0;
    a[28] = 0;
    a[29] = addr(&s.zeroBytes[3]);
    a[30] = m_condition;
    a[31] = addr(&s.thresholdWord);
    a[32] = 0;
    return a;
}

DeviceApi::EndArgs CaptureRun::endArguments(int set) const {
    ProgramState &s = m_state;
    const auto addr = [](const void *p) { return reinterpret_cast<intptr_t>(p); };
    const CaptureArray &c = s.capture;
    DeviceApi::EndArgs a{};
    planeArguments(c, set, a.data());
    a[6] = 0;
    a[7] = s.settings.memoryDepthIndex;
    a[8] = s.portBase;
    a[9] = addr(s.selectionBlock.data());
    a[10] = addr(s.stateBlock.data());
    a[11] = 0;
    a[12] = addr(s.readFlags.data());
    a[13] = 3;
    a[14] = 1;
    a[15] = s.settings.clockSource;
    a[16] = s.settings.rateCode;
    a[17] = 3;
    a[18] = 0;
    a[19] = addr(s.planeLengths.data());
    a[20] = addr(&s.zeroBytes[0]);
    a[21] = addr(s.triggerWordChars.data());
    a[22] = s.triggerPositions[static_cast<size_t>(set)];
    a[23] = 0;
    a[24] = 0;
    a[25] = m_condition;
    a[26] = addr(s.triggerOffsets.data());
    a[27] = 0;
    return a;
}

bool CaptureRun::interrupted() const {
    return m_state.stopRequest != 0 || m_state.settingsChanged != 0;
}

void CaptureRun::poll() {
    m_status = m_device.getTrigStat1(m_state.portBase, m_state.selectionBlock.data(),
                                     m_state.stateBlock.data());
}

void CaptureRun::run() {
    if (active()) return;
    if (m_hooks.checkTriggerWord) m_hooks.checkTriggerWord();
    m_state.stopRequest = 0;
    for (int i = 0; i <= 7; ++i)
        m_state.inputEnable[static_cast<size_t>(i)] = 1;
    for (int i = 36; i <= 38; ++i)
        m_state.inputEnable[static_cast<size_t>(i)] = 1;
    m_state.runCounter = 1;
    computeTriggerPositions();
    computeActivePair();
    if (m_state.data2timingbyauto && m_hooks.autoAssign) m_hooks.autoAssign();
    m_phase = Phase::Begin;
}

void CaptureRun::begin() {
    CaptureSettings &cs = m_state.settings;
    m_condition = cs.triggerSlope[0] == 0 ? 1 : 0;
    const int32_t length = cs.recordLength();
    m_state.planeLengths = {length, length, length};
    m_state.thresholdWord = cs.threshold[0];
    m_state.depthByte = cs.memoryDepthIndex;
    m_target = targetDataSet();
    const auto &chars = m_state.triggerWordChars;
    const bool freeRun = std::none_of(chars.begin(), chars.begin() + 26,
                                      [](uint8_t c) { return c == 0x30 || c == 0x31; });
    // An external clock has no rate to expect a time from.
    m_fill = expectedFillTimes(length, m_state.triggerPositions[static_cast<size_t>(m_target)],
                               freeRun, cs.clockSource == 0 ? m_state.samplePeriodPs : 0);
    m_fillKnown = cs.clockSource == 0;
    m_phaseStart = now();
    m_device.startCapture1(startArguments(m_target));
    m_unanswered = 0;
    m_nextWatch = now() + kWatchEveryMs;
    poll();
    m_state.settingsChanged = 0;
    m_state.stopRequest = 0;
    if (m_hooks.setRunPressed) m_hooks.setRunPressed(true);
    computeTriggerPositions();
    m_phase = Phase::PreTrigger;
}

bool CaptureRun::step() {
    const bool waitingOnTheUnit =
        m_phase == Phase::PreTrigger || m_phase == Phase::Waiting || m_phase == Phase::PostTrigger;
    if (waitingOnTheUnit && unitGone()) {
        loseUnit();
        return false;
    }
    switch (m_phase) {
        case Phase::Idle:
            return false;
        case Phase::Begin:
            if (m_state.stopRequest != 0 || m_state.runCounter <= 0) {
                end();
                return false;
            }
            begin();
            [[fallthrough]];
        case Phase::PreTrigger:
            if (m_status == 0 && !interrupted()) {
                poll();
                if (m_hooks.setStatus) m_hooks.setStatus("Filling pre_Trigger");
                showProgress(m_fill.preMs);
                return true;
            }
            if (m_hooks.setProgress) m_hooks.setProgress(-1);
            m_state.autoTimeout = 0;
            if (m_hooks.armTimer3) m_hooks.armTimer3(timer3Interval(m_state.settings.rateCode));
            m_phase = Phase::Waiting;
            [[fallthrough]];
        case Phase::Waiting:
            if (m_status == 4 && !interrupted()) {
                if (m_state.settings.captureMode == 2 && m_state.autoTimeout == 1) forceTrigger();
                poll();
                if (m_hooks.setStatus) m_hooks.setStatus("Waiting for  Trigger");
                return true;
            }
            m_phase = Phase::PostTrigger;
            m_phaseStart = now();
            [[fallthrough]];
        case Phase::PostTrigger:
            if (m_status != 3 && !interrupted()) {
                poll();
                if (m_status == 4 && m_state.settings.captureMode == 2 &&
                    m_state.autoTimeout == 1) {
                    forceTrigger();
                }
                if (m_hooks.setStatus) m_hooks.setStatus("Trigger Filling Buffer");
                showProgress(m_fill.postMs);
                return true;
            }
            m_phase = Phase::Finish;
            [[fallthrough]];
        case Phase::Finish:
            finish();
            return active();
    }
    return false;
}

bool CaptureRun::fillNearlyDone(double expectedMs) const {
    return m_fillKnown && (now() - m_phaseStart) + kPollMs >= expectedMs;
}

int CaptureRun::nextStepDelayMs() const {
    switch (m_phase) {
        case Phase::Begin:
        case Phase::Finish:
            return 0;
        case Phase::PreTrigger:
            return fillNearlyDone(m_fill.preMs) ? 1 : kPollMs;
        case Phase::PostTrigger:
            return fillNearlyDone(m_fill.postMs) ? 1 : kPollMs;
        case Phase::Idle:
        case Phase::Waiting:
            break;
    }
    return kPollMs;
}

void CaptureRun::showProgress(double expectedMs) {
    if (m_hooks.setProgress) m_hooks.setProgress(phaseProgress(now() - m_phaseStart, expectedMs));
}

void CaptureRun::finish() {
    ProgramState &s = m_state;
    if (m_hooks.setProgress) m_hooks.setProgress(-1);
    computeActivePair();
    if (m_status == 3 && !interrupted()) {
        const bool bound = s.data2timing || s.data2timingbyauto;
        s.endTicks[static_cast<size_t>(bound ? m_target : 0)] = now();
        s.readFlags = {1, 1, 1};
        const int32_t length = s.settings.recordLength();
        s.planeLengths = {length, length, length};
        if (!endCaptureKept()) {
            loseUnit();
            return;
        }
        // The data set keeps the trigger offset of its own capture.
        s.dataSetRecords[static_cast<size_t>(m_target)][0] = s.triggerOffsets[0];
    }
    if (m_hooks.redrawAllViews) m_hooks.redrawAllViews();
    if (s.numberedSaveChecked && s.saveCounter != s.saveLimit) {
        const std::string data = "savedata" + withSignBlank(s.saveCounter) + ".osv";
        const std::string settings = data.substr(0, data.size() - 3) + "cfg";
        // A save that fails leaves the counter where it is: the series is unfinished.
        if (!m_hooks.numberedSave || m_hooks.numberedSave(settings, data)) ++s.saveCounter;
    }
    if (s.saveCounter == s.saveLimit) s.numberedSaveChecked = false;
    if (s.settingsChanged == 0 && s.data2timingbyauto) {
        if (++s.nextAutoDataSet > s.highestViewIndex) s.nextAutoDataSet = 0;
    }
    if (s.data2timingbyauto && s.settings.captureMode != 0 && m_hooks.autoAssign) {
        m_hooks.autoAssign();
    }
    if (m_hooks.setCount) m_hooks.setCount(std::to_string(s.runCounter));
    if (m_hooks.setStatus) m_hooks.setStatus("Completed");
    if (s.settingsChanged == 0) ++s.runCounter;
    if (s.settings.captureMode == 0) s.runCounter = 0;
    m_status = 0;
    // The next pass starts at the next step, after the window has had its turn.
    if (s.stopRequest == 0 && s.runCounter > 0)
        m_phase = Phase::Begin;
    else
        end();
}

// Asked every kWatchEveryMs while the run waits on the unit.
bool CaptureRun::unitGone() {
    if (!m_hooks.tick) return false;
    const uint32_t t = now();
    if (static_cast<int32_t>(t - m_nextWatch) < 0) return false;
    m_nextWatch = t + kWatchEveryMs;
    const bool answers = m_device.getLinkStat1(m_state.portBase, m_state.selectionBlock.data(),
                                               m_state.stateBlock.data()) == 0;
    m_unanswered = answers ? 0 : m_unanswered + 1;
    return m_unanswered >= kGoneAfter;
}

// Reads the capture into the target data set, or, when the unit went away during the
// read-out, leaves the data set as it was before: a data set is never half old, half new.
bool CaptureRun::endCaptureKept() {
    ProgramState &s = m_state;
    const auto length = static_cast<size_t>(s.settings.recordLength());
    std::vector<uint8_t> before(3 * length);
    for (int p = 0; p < 3; ++p)
        std::memcpy(before.data() + p * length, s.capture.plane(m_target, p), length);
    const auto offsets = s.triggerOffsets;
    m_device.endCapture1(endArguments(m_target));
    if (m_device.getLinkStat1(s.portBase, s.selectionBlock.data(), s.stateBlock.data()) == 0) {
        return true;
    }
    for (int p = 0; p < 3; ++p)
        std::memcpy(s.capture.plane(m_target, p), before.data() + p * length, length);
    s.triggerOffsets = offsets;
    return false;
}

void CaptureRun::loseUnit() {
    m_status = 0;
    m_state.stopRequest = 1;
    end();
    if (m_hooks.setStatus) m_hooks.setStatus(kUnitGoneText);
    if (m_hooks.unitLost) m_hooks.unitLost(kUnitGoneText);
}

void CaptureRun::end() {
    m_phase = Phase::Idle;
    if (m_hooks.setProgress) m_hooks.setProgress(-1);
    if (m_hooks.setRunPressed) m_hooks.setRunPressed(false);
}

void CaptureRun::stop() {
    if (m_state.data2timingbyauto) m_state.nextAutoDataSet = 0;
    m_state.autoTimeout = 0;
    if (m_hooks.setStatus) m_hooks.setStatus("");
    m_state.stopRequest = 1;
}

void CaptureRun::forceTrigger() {
    if (m_state.librarySelector == 1) {
        m_device.forceTrigger1(m_state.portBase, m_state.selectionBlock.data(),
                               m_state.stateBlock.data());
    }
}

void CaptureRun::timer3Fired() {
    m_state.autoTimeout = 1;
}

}  // namespace kv::app
