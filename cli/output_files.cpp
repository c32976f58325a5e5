// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

#include "core/capture_parameters.h"
#include "core/data_files.h"
#include "core/data_set_export.h"
#include "core/settings_file.h"
#include "interop/csv_writer.h"
#include "interop/vcd_writer.h"
#include "platform/atomic_file.h"

namespace kv::cli {
namespace {

std::string replace(const std::string &path, const std::string &content) {
    const platform::WriteOutcome outcome =
        platform::replaceFile(path, {{content.data(), content.size()}});
    return outcome.ok() ? std::string() : path + " " + outcome.describe();
}

// The data file with its settings file first, as Save Data As writes the pair: neither is
// written when either would be refused.
std::string writeDataPair(const std::string &path, const app::ProgramState &state,
                          app::RenderLibrary &render) {
    const std::string companion = app::companionName(path);
    for (const std::string &file : {companion, path}) {
        const platform::WriteOutcome refused = platform::refusalOf(file);
        if (!refused.ok()) return file + " " + refused.describe();
    }
    if (std::string why = app::saveSettingsFile(companion, state, marksFor(state)); !why.empty())
        return companion + " " + why;
    auto save = render.saveData();
    if (!save) return path + " could not be written: the render library has no vc_savedata";
    const int32_t code = save(state.capture.plane(0, 0), state.lastStart, path.c_str());
    const platform::WriteOutcome outcome = platform::outcomeOfCode(code, errno);
    return outcome.ok() ? std::string() : path + " " + outcome.describe();
}

std::string folderOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

app::WindowMarks marksFor(const app::ProgramState &state) {
    app::WindowMarks w;
    const app::CaptureSettings &cs = state.settings;
    w.internal = cs.clockSource == 0;
    w.rising = cs.clockSource == 1;
    w.falling = cs.clockSource == 2;
    w.rateListIndex = std::max(app::rateListIndexOf(cs.rateCode), 0);
    w.memoryBarValue = cs.memoryDepthIndex;
    return w;
}

std::string outputProblem(const CaptureRequest &request) {
    for (const OutputFile &out : request.outputs) {
        const std::string folder = folderOf(out.path);
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return out.path + ": the folder " + folder + " does not exist";
        if (::access(folder.c_str(), W_OK) != 0)
            return out.path + ": the folder " + folder + " may not be written";
        for (int i = 0; i < std::min(request.count, 2); ++i) {
            const std::string name = numberedName(out.path, i, request.count);
            const platform::WriteOutcome refused = platform::refusalOf(name);
            if (!refused.ok()) return name + " " + refused.describe();
        }
    }
    return {};
}

std::string writeOutputs(const CaptureRequest &request, int index, const app::ProgramState &state,
                         app::RenderLibrary &render) {
    for (const OutputFile &out : request.outputs) {
        const std::string path = numberedName(out.path, index, request.count);
        std::string problem;
        switch (out.kind) {
            case OutputKind::Data:
                problem = writeDataPair(path, state, render);
                break;
            case OutputKind::Vcd:
            case OutputKind::Csv: {
                std::ostringstream text;
                const interop::SampleSet samples = app::currentSampleSet(state);
                if (out.kind == OutputKind::Vcd)
                    interop::writeVcd(text, samples);
                else
                    interop::writeCsv(text, samples, interop::CsvRows::EverySample);
                problem = replace(path, text.str());
                break;
            }
            case OutputKind::Text:
                problem = replace(
                    path, app::textTable(state.capture.plane(0, 0), state.capture.plane(0, 1),
                                         state.capture.plane(0, 2), state.recordLength,
                                         state.dataSetRecords[0][0], state.recordLength));
                break;
        }
        if (!problem.empty()) return problem;
    }
    return {};
}

}  // namespace kv::cli
