// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "capture_request.h"
#include "core/device_api.h"
#include "core/program_state.h"
#include "core/render_library.h"
#include "exit_codes.h"

namespace kv::cli {

// The program-wide state set up as the program has it after start-up with the request's
// settings in the parameter panel: one view showing data set 0, its trigger cursor at the
// trigger position.
void applyRequest(const CaptureRequest &request, app::ProgramState &state);

struct SessionReport {
    std::function<void(const std::string &)> error;     // a message for standard error
    std::function<void(const std::string &)> progress;  // a progress line; "" clears it
    std::function<void(const std::string &)> output;    // annotations for standard output
};

// Runs the request's captures through the program's capture run, writing the outputs of
// each capture as it completes. The unit must have been found (detectHardware).
ExitCode runCaptures(const CaptureRequest &request, app::ProgramState &state,
                     app::DeviceApi &device, app::RenderLibrary &render,
                     const SessionReport &report);

}  // namespace kv::cli
