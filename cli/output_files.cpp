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
#include "decode/annotation_writers.h"
#include "decode/decoding.h"
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
    std::vector<OutputFile> files = request.outputs;
    if (!request.annotations.empty()) files.push_back({request.annotations, OutputKind::Text});
    for (const OutputFile &out : files) {
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
                interop::VcdOptions options;
                options.groupVectors = !request.vcdChannelsOnly;
                if (out.kind == OutputKind::Vcd)
                    interop::writeVcd(text, samples, options);
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

AnnotationOutcome writeAnnotations(const CaptureRequest &request, int index,
                                   const app::ProgramState &state) {
    AnnotationOutcome outcome;
    const interop::SampleSet samples = app::currentSampleSet(state);
    const uint64_t rate = static_cast<uint64_t>(1'000'000'000'000 / samples.periodPs);
    const bool csv = outputKindOf(request.annotations) == OutputKind::Csv;
    std::ostringstream text;
    for (const decode::DecoderStack &stack : request.decoders) {
        const decode::DecodeResult result =
            decode::decodePlanes(stack, samples.planes, samples.first, samples.count, rate);
        if (!result.error.empty()) {
            outcome.decodeProblem = result.error;
            return outcome;
        }
        if (csv)
            decode::writeAnnotationsCsv(text, result, samples.triggerSample - samples.first,
                                        samples.periodPs);
        else
            decode::writeAnnotationsText(text, result);
    }
    if (request.annotations.empty())
        outcome.text = text.str();
    else
        outcome.writeProblem =
            replace(numberedName(request.annotations, index, request.count), text.str());
    return outcome;
}

}  // namespace kv::cli
