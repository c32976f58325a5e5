#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "main/device_api.h"
#include "main/program_state.h"

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
    std::function<uint32_t()> tick;  // the millisecond tick
};

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

    ProgramState &m_state;
    DeviceApi &m_device;
    RunHooks m_hooks;
    Phase m_phase = Phase::Idle;
    uint8_t m_status = 0;
    int m_target = 0;
    uint8_t m_condition = 1;
};

}  // namespace kv::app
