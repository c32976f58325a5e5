// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/program_state.h"
#include "main/second_path_api.h"

namespace kv::app {

// What Autoset asks of the windows around it.
struct AutosetHooks {
    std::function<uint32_t()> tick;        // the millisecond tick
    std::function<void(int)> rearmTimer1;  // disable Timer1, give it this interval, enable it
    // The trigger position of the current view's data set, as a run computes it.
    std::function<int32_t(const ViewState &)> triggerPosition;
};

// Autoset ("Autoset"): one capture through the render library's second capture path on a
// mixed-signal unit. The link is established by hardware detection: findUnit calls
// FindHardware with the program's port record and unit state block after the device
// library's search, and Autoset is offered only when it found a unit. The polling is a
// state machine like the capture run's: start() makes the capture and the first poll,
// every step() one more poll, until a poll says 6 or 100 ms have passed; then EndCapture
// and TestAd (on byte-valued channel 0, plane 3 of the data set, from sample 0 over the
// record, reference and threshold at mid-scale 128) end it.
class Autoset {
  public:
    Autoset(ProgramState &state, SecondPathApi &path, AutosetHooks hooks);

    // FindHardware; the model code (0: none). The driver family word is the platform id.
    uint8_t findUnit();
    bool available() const { return m_state.mixedModel != 0; }
    // The Autoset button's tool tip: the command, or why it is not offered.
    std::string toolTip() const;

    void start();
    // One poll; returns whether Autoset goes on.
    bool step();
    bool active() const { return m_active; }
    // The 34 arguments for a data set.
    SecondPathApi::CaptureArgs arguments(int set) const;

    static constexpr int kPollMs = 100;
    static constexpr int kTimer1Ms = 5000;
    static constexpr uint8_t kStatusWaiting = 3;
    static constexpr uint8_t kStatusComplete = 6;

  private:
    void finish();

    ProgramState &m_state;
    SecondPathApi &m_path;
    AutosetHooks m_hooks;
    bool m_active = false;
    bool m_forced = false;
    int m_set = 0;
    uint32_t m_started = 0;
};

// The Parameters window's Delay controls (Label6, Combo6) are shown when the unit state
// block's option byte 1003 is nonzero, unless byte 1010 is 1 and byte 1003 is 2.
bool delayControlsShown(const std::vector<uint8_t> &unitBlock);
// Option byte 1003 after hardware detection: FindHardware leaves 2 for a mixed-signal
// unit with byte-valued channels (1010 = 1 when its memory is too short for a trigger
// delay), 0 otherwise; a KV-6830 (found, or the demonstration unit) has the trigger delay
// whatever else is attached, and makes it 1.
void fillDelayOption(ProgramState &state);

inline constexpr const char *kAutosetToolTip =
    "Auto. set Parameters to capture data .  depend on Trigger Ch.";
inline constexpr const char *kAutosetRefusedToolTip =
    "Autoset needs a mixed-signal unit (logic and analog channels); none answered at "
    "detection. "
    "Timing > Reset searches again.";

}  // namespace kv::app
