// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "capture_request.h"
#include "core/program_state.h"
#include "core/render_library.h"
#include "core/settings_file.h"

namespace kv::cli {

// Writes data set 0 of the state, as the program's file commands write it, to every output
// of capture `index` of the request. Returns an empty string when every file was written,
// else what went wrong (the files before it are written and complete).
std::string writeOutputs(const CaptureRequest &request, int index, const app::ProgramState &state,
                         app::RenderLibrary &render);

// What decoding one capture gave: the annotations for standard output (when no file takes
// them), a file that could not be written, or a decoder that failed.
struct AnnotationOutcome {
    std::string text;
    std::string writeProblem;
    std::string decodeProblem;
};
// Runs the request's decoders over data set 0, as its VCD holds it (sample numbers from the
// VCD's first sample), and writes their annotations for capture `index`.
AnnotationOutcome writeAnnotations(const CaptureRequest &request, int index,
                                   const app::ProgramState &state);

// The settings file's window part as the program would write it for these settings.
app::WindowMarks marksFor(const app::ProgramState &state);

// What stands in the way of writing the outputs at all (a folder that is missing, a
// read-only file), checked before the unit is asked; empty when nothing.
std::string outputProblem(const CaptureRequest &request);

}  // namespace kv::cli
