// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/device_api.h"
#include "core/program_state.h"

namespace kv::app {

struct DetectionResult {
    uint8_t found = 0;  // FindBoard1's result
    std::string message;
    bool unitFound() const { return found != 0; }
};

// Steps 1 to 7 of hardware detection: one FindBoard1 call, the state updates and the
// message text ("Reset Hardware").
DetectionResult detectHardware(ProgramState &state, DeviceApi &device,
                               const std::string &osRelease);

// The texts, from the detection result and the link kind byte.
std::string portText(uint8_t found);
std::string connectionText(uint8_t linkKind);

// Demonstration mode: the simulated unit attached through the device library.
void startDemonstration(ProgramState &state, DeviceApi &device);

}  // namespace kv::app
