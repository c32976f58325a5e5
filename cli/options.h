// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <string>

#include "capture_request.h"

namespace kv::cli {

// The outcome of reading the command line: a request to carry out, a text to print and
// leave (--help, --version), or an error for standard error (exit code 2).
struct ParsedCommandLine {
    enum class Action { Capture, List, ShowText, Error } action = Action::Error;
    CaptureRequest request;
    std::string text;
};

// Reads the arguments (the program's name first). Every option is declared, read and
// checked here, in one table and one function each.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

}  // namespace kv::cli
