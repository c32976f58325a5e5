// SPDX-License-Identifier: GPL-3.0-or-later
// kv6830-capture: captures from the unit without the window, for scripts and test benches.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture_session.h"
#include "core/detection.h"
#include "core/library_device.h"
#include "core/project.h"
#include "exit_codes.h"
#include "options.h"
#include "output_files.h"
#include "platform/system_info.h"
#include "simunit/attach.h"

namespace {

void printError(const std::string &text) {
    std::fprintf(stderr, "kv6830-capture: %s\n", text.c_str());
}

// The detection message without the dialog's line breaks, for one line on a terminal.
std::string oneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
    }
    return out;
}

std::string unitText(const kv::app::ProgramState &state, uint8_t found) {
    std::string where = kv::app::portText(found);
    while (!where.empty() && where.back() == ' ')
        where.pop_back();
    return "KV-6830 on " + (found == 4 ? std::string("USB") : "the parallel port at 0x" + where) +
           ": " + kv::app::connectionText(state.stateBlock[1008]);
}

}  // namespace

int main(int argc, char *argv[]) {
    using namespace kv::cli;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kv6830-capture");
    QCoreApplication::setApplicationVersion(kv::kProjectVersion);
    const ParsedCommandLine command = parseCommandLine(QCoreApplication::arguments());
    switch (command.action) {
        case ParsedCommandLine::Action::Error:
            printError(command.text + " (see kv6830-capture --help)");
            return kBadArgument;
        case ParsedCommandLine::Action::ShowText:
            std::fputs(command.text.c_str(), stdout);
            return kDone;
        case ParsedCommandLine::Action::List:
        case ParsedCommandLine::Action::Capture:
            break;
    }
    // A simulated unit asked for but not understood is said, not replaced by whatever
    // hardware happens to be there.
    if (const char *setting = std::getenv("KV6830_SIMULATE"); setting && *setting) {
        std::string why;
        if (!kv::sim::parseAttachment(setting, &why)) {
            printError("KV6830_SIMULATE: " + why);
            return kBadArgument;
        }
    }
    const CaptureRequest &request = command.request;
    if (command.action == ParsedCommandLine::Action::Capture) {
        if (const std::string problem = outputProblem(request); !problem.empty()) {
            printError(problem + ". Nothing was captured.");
            return kWriteFailed;
        }
    }

    bool libraryFailed = false;
    const auto libraryError = [&libraryFailed](const std::string &why) {
        libraryFailed = true;
        printError(why);
    };
    kv::app::LibraryDevice device(libraryError);
    kv::app::RenderLibrary render(libraryError);
    kv::app::ProgramState state;
    applyRequest(request, state);
    const kv::app::DetectionResult found =
        kv::app::detectHardware(state, device, kv::platform::osVersion().release);
    if (libraryFailed) return kFailed;
    if (!found.unitFound()) {
        std::string why = oneLine(found.message);
        // The window's message ends by offering its demonstration mode, which the tool has not.
        if (const size_t offer = why.find(" Press 'Cancel button'"); offer != std::string::npos)
            why.erase(offer);
        printError("no unit found. " + why);
        return kNoUnit;
    }
    if (command.action == ParsedCommandLine::Action::List) {
        std::printf("%s\n", unitText(state, found.found).c_str());
        return kDone;
    }

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    SessionReport report;
    report.error = printError;
    report.progress = [terminal](const std::string &line) {
        if (!terminal) return;
        // One line, rewritten in place; cleared when the capture is done.
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        std::fflush(stderr);
    };
    report.output = [](const std::string &text) {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    };
    const ExitCode code = runCaptures(request, state, device, render, report);
    device.powerOff1(state.portBase);
    if (libraryFailed && code == kDone) return kFailed;
    return code;
}
