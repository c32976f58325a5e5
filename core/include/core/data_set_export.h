// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/program_state.h"
#include "interop/sample_set.h"
#include "interop/vcd_reader.h"

namespace kv::app {

// The current view's data set as the VCD and CSV files carry it: the samples from the data
// set's record offset to the end of its record, time 0 at the view's trigger cursor, the
// channel names, and the groups the view shows as tracks (each once, in track order).
interop::SampleSet currentSampleSet(const ProgramState &state);

// Puts an imported file into the current view's data set: its samples from sample 0 on and
// a record offset of 0.
void takeImport(ProgramState &state, const interop::VcdImport &file);

// What the user should know about an import that was taken: the file's signals that no
// channel took, the channels that got none, x or z values, samples past the record or a
// file shorter than it. Empty when everything mapped.
std::string importNotes(const ProgramState &state, const interop::VcdImport &file);

}  // namespace kv::app
