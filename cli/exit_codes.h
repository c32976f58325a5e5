// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kv::cli {

// What kv6830-capture returns, for the scripts that run it. The --help text and the
// manual list the same values.
enum ExitCode : int {
    kDone = 0,          // every capture was made and every file written
    kFailed = 1,        // a library could not be loaded or did not answer as it should
    kBadArgument = 2,   // an option or value was not understood; no unit asked, no file touched
    kNoUnit = 3,        // no unit (or simulated unit) answered the detection
    kTimedOut = 4,      // the trigger did not come within the time-out (and was not forced)
    kWriteFailed = 5,   // a file could not be written; files already written are complete
    kUnitLost = 6,      // the unit stopped answering during a capture
    kDecodeFailed = 7,  // a protocol decoder failed on a capture (its error is on stderr)
};

}  // namespace kv::cli
