// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/atomic_file.h"

#include "core/program_state.h"

namespace kv::app {

// What the settings file keeps of the windows: positions and sizes in twips and the
// menu check marks.
struct WindowMarks {
    float mainLeft = 0, mainTop = 0, mainWidth = 15 * 1100, mainHeight = 15 * 760;
    float form2Left = 15 * 500, form2Top = 15 * 30;
    bool statusBar = true;
    bool time = true, sample = false, frequency = false;
    bool internal = true, rising = false, falling = false;
    bool persistence = false, refreshScreen = false, stateView = false;
    bool viewOpen[4] = {true, false, false, false};
    int rateListIndex = 0;   // "Rate0": VScroll5
    int memoryBarValue = 0;  // "ABuflen": VScroll4
};

// The settings text (CR LF lines) for the state and the windows.
std::string writeSettings(const ProgramState &s, const WindowMarks &w);

struct SettingsReadResult {
    enum class Outcome {
        Loaded,
        HeaderOnly,
        OtherModel,
        Error,
        Unreadable
    } outcome = Outcome::Error;
    // For OtherModel and Error the reason; for Unreadable what is wrong with the file, to
    // follow its name ("is empty", "could not be read: Permission denied").
    std::string message;
    int line = 0;  // where an error was found (1-based)
};

// Reads settings text into `s` and `w`. `defaultName` is true when the file is the
// default "KV6830.ini" loaded by its bare name (the header-only rule applies). The state
// is only changed when the whole file reads (or, for a header-only load, the header).
SettingsReadResult readSettings(const std::string &text, bool defaultName, ProgramState &s,
                                WindowMarks &w);

// File level: save through the platform's file writer (a complete file or none); load
// from a path.
platform::WriteOutcome writeSettingsFile(const std::string &path, const ProgramState &s,
                                         const WindowMarks &w);
// The same, returning an empty string when saved, else the reason.
std::string saveSettingsFile(const std::string &path, const ProgramState &s, const WindowMarks &w);
// Nothing happens (Loaded with no change, message empty) when the file does not exist; a
// folder, an empty file or one that cannot be read is Unreadable.
SettingsReadResult loadSettingsFile(const std::string &path, bool defaultName, ProgramState &s,
                                    WindowMarks &w, bool *existed = nullptr);

}  // namespace kv::app
