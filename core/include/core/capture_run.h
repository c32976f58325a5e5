// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/capture_progress.h"
#include "core/device_api.h"
#include "core/program_state.h"

namespace kv::app {

// What the capture run asks of the windows around it.
struct RunHooks {
    std::function<void(const std::string &)> setStatus;  // Text21
    std::function<void(const std::string &)> setCount;   // Text22
    std::function<void(bool)> setRunPressed;
    std::function<void()> redrawAllViews;
    std::function<void(int)> armTimer3;      // interval in ms
    std::function<void()> checkTriggerWord;  // the Parameters window's check
    std::function<void()> autoAssign;        // data-to-timing by auto
    // Writes the numbered pair (cfg, osv); false when it could not.
    std::function<bool(const std::string &, const std::string &)> numberedSave;
    std::function<uint32_t()> tick;                     // the millisecond tick
    std::function<void(const std::string &)> unitLost;  // the message for the user
    // Progress of a long filling phase in percent; -1 hides it.
    std::function<void(int)> setProgress;
};

// Shown when a run finds that the unit no longer answers.
inline constexpr const char *kUnitGoneText =
    "The unit no longer answers: check the cable and the supply, then Timing > Reset";

// The capture run as a state machine: every polling step of a run is one call of step(),
// made by a short timer, so the window stays live between steps. Stop, a settings change
// and the auto time-out reach the run through the program-wide flags it reads at every
// step.
class CaptureRun {
  public:
    CaptureRun(ProgramState &state, DeviceApi &device, RunHooks hooks);

    // Run ("go"). A run already active is left alone (no nested runs).
    void run();
    // Stop ("stop").
    void stop();
    // Force trigger ("Forcetrig").
    void forceTrigger();
    // Timer3 has fired.
    void timer3Fired();
    // One polling step; returns whether the run goes on (the caller keeps its timer).
    bool step();
    bool active() const { return m_phase != Phase::Idle; }
    // How long the window gets before the next step: nothing before the next pass, a
    // millisecond while a filling phase should be about done at the sample rate, and
    // kPollMs otherwise (waiting for the trigger, a long fill, an external clock).
    int nextStepDelayMs() const;
    static constexpr int kPollMs = 5;

    // The trigger position of a data set from a view's values (trigger delay mode or the
    // trigger cursor).
    int32_t triggerPosition(const ViewState &view) const;
    int targetDataSet() const;
    DeviceApi::StartArgs startArguments(int set) const;
    DeviceApi::EndArgs endArguments(int set) const;
    static int timer3Interval(uint8_t rateCode);

  private:
    enum class Phase { Idle, Begin, PreTrigger, Waiting, PostTrigger, Finish };

    void computeTriggerPositions();
    void computeActivePair();
    void poll();
    void begin();
    void finish();
    void end();
    bool interrupted() const;
    bool unitGone();
    void loseUnit();
    bool endCaptureKept();
    uint32_t now() const { return m_hooks.tick ? m_hooks.tick() : 0; }
    void showProgress(double expectedMs);
    bool fillNearlyDone(double expectedMs) const;

    ProgramState &m_state;
    DeviceApi &m_device;
    RunHooks m_hooks;
    Phase m_phase = Phase::Idle;
    uint8_t m_status = 0;
    int m_target = 0;
    uint8_t m_condition = 1;
    uint32_t m_nextWatch = 0;  // tick of the next question whether the unit answers
    int m_unanswered = 0;      // answers in a row that the unit is gone
    FillTimes m_fill;
    bool m_fillKnown = false;  // internal clock: the fill times follow from the rate
    uint32_t m_phaseStart = 0;
};

}  // namespace kv::app
