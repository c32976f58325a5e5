// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_session.h"

#include <chrono>
#include <thread>

#include "core/capture_parameters.h"
#include "core/capture_run.h"
#include "core/trigger_word.h"
#include "output_files.h"
#include "platform/tick.h"

namespace kv::cli {

void applyRequest(const CaptureRequest &r, app::ProgramState &state) {
    state.setDefaultTables();
    state.highestViewIndex = 0;
    state.capture.allocate(1);
    state.currentView = 0;
    state.views[0].open = true;
    state.views[0].dataSet = 0;
    state.views[0].triggerCursor = r.triggerPosition;
    app::CaptureSettings &cs = state.settings;
    cs.rateCode = r.rateCode;
    if (auto row = app::rateRow(r.rateCode)) state.samplePeriodPs = row->periodPs;
    cs.memoryDepthIndex = r.depthIndex;
    state.recordLength = cs.recordLength();
    state.lastStart = state.recordLength - 32;
    state.delayE = r.depthIndex ? 256 : 2;
    cs.threshold[0] = r.thresholdCode;
    cs.triggerSlope[0] = r.slope;
    cs.clockSource = r.clockSource;
    cs.captureMode = r.count == 1 ? 0 : 1;  // Single, or Normal until the count is reached
    cs.triggerWord = r.triggerWord;
    app::rebuildTriggerWordChars(cs.triggerWord, state.triggerWordChars);
}

namespace {

// Follows the run's status texts: when a capture starts waiting for its trigger, and
// whether the run was stopped by the tool rather than by the unit.
struct RunWatch {
    std::string status;
    uint32_t waitingSince = 0;
    bool forced = false;
    bool timedOut = false;
    bool unitLost = false;
    std::string writeProblem;
    std::string decodeProblem;
    int written = 0;
};

std::string phaseLine(const std::string &status, int percent, int index, int count) {
    std::string line =
        "capture " + std::to_string(index + 1) + "/" + std::to_string(count) + ": " + status;
    if (percent >= 0) line += " " + std::to_string(percent) + "%";
    return line;
}

}  // namespace

ExitCode runCaptures(const CaptureRequest &request, app::ProgramState &state,
                     app::DeviceApi &device, app::RenderLibrary &render,
                     const SessionReport &report) {
    RunWatch watch;
    const auto say = [&](const std::string &line) {
        if (report.progress) report.progress(line);
    };
    app::RunHooks hooks;
    hooks.tick = [] { return platform::tickMs(); };
    hooks.setStatus = [&](const std::string &status) {
        if (status == "Waiting for  Trigger" && watch.status != status) {
            watch.waitingSince = platform::tickMs();
            watch.forced = false;
        }
        watch.status = status;
        if (!status.empty() && status != "Completed")
            say(phaseLine(status, -1, watch.written, request.count));
    };
    hooks.setProgress = [&](int percent) {
        if (percent >= 0) say(phaseLine(watch.status, percent, watch.written, request.count));
    };
    // Each completed capture is written as the program's numbered save writes its pair.
    state.numberedSaveChecked = true;
    state.saveCounter = 0;
    state.saveLimit = request.count;
    hooks.numberedSave = [&](const std::string &, const std::string &) {
        if (watch.timedOut || watch.unitLost) return false;
        say("");
        watch.writeProblem = writeOutputs(request, watch.written, state, render);
        if (watch.writeProblem.empty() && !request.decoders.empty()) {
            const AnnotationOutcome decoded = writeAnnotations(request, watch.written, state);
            watch.writeProblem = decoded.writeProblem;
            watch.decodeProblem = decoded.decodeProblem;
            if (!decoded.text.empty() && report.output) report.output(decoded.text);
        }
        if (!watch.writeProblem.empty() || !watch.decodeProblem.empty()) {
            state.stopRequest = 1;
            return false;
        }
        if (++watch.written == request.count) state.stopRequest = 1;
        return true;
    };
    hooks.unitLost = [&](const std::string &) { watch.unitLost = true; };

    app::CaptureRun run(state, device, hooks);
    run.run();
    while (run.active()) {
        run.step();
        if (watch.status == "Waiting for  Trigger" && run.active() &&
            platform::tickElapsed(platform::tickMs(), watch.waitingSince) >=
                static_cast<uint32_t>(request.timeoutMs)) {
            if (request.forceOnTimeout && !watch.forced) {
                run.forceTrigger();
                watch.forced = true;
            } else if (!request.forceOnTimeout) {
                watch.timedOut = true;
                run.stop();
            }
        }
        const int delay = run.nextStepDelayMs();
        if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    say("");
    if (!watch.writeProblem.empty()) {
        report.error(watch.writeProblem);
        return kWriteFailed;
    }
    if (!watch.decodeProblem.empty()) {
        report.error(watch.decodeProblem + " (capture " + std::to_string(watch.written + 1) +
                     " of " + std::to_string(request.count) + ")");
        return kDecodeFailed;
    }
    if (watch.unitLost) {
        report.error(std::string(app::kUnitGoneText) + " (" + std::to_string(watch.written) +
                     " of " + std::to_string(request.count) + " captures written)");
        return kUnitLost;
    }
    if (watch.timedOut) {
        report.error("no trigger within " + std::to_string(request.timeoutMs / 1000) + " s (" +
                     std::to_string(watch.written) + " of " + std::to_string(request.count) +
                     " captures written); --force forces the trigger at the time-out");
        return kTimedOut;
    }
    if (watch.written != request.count) {
        report.error("the capture run ended after " + std::to_string(watch.written) + " of " +
                     std::to_string(request.count) + " captures");
        return kFailed;
    }
    return kDone;
}

}  // namespace kv::cli
