// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/data_set_export.h"

#include <algorithm>
#include <cmath>

namespace kv::app {

interop::SampleSet currentSampleSet(const ProgramState &state) {
    interop::SampleSet samples;
    const ViewState &view = state.views[static_cast<size_t>(state.currentView)];
    const int set = view.dataSet;
    for (int p = 0; p < 3; ++p)
        samples.planes[static_cast<size_t>(p)] = state.capture.plane(set, p);
    const int64_t offset = std::clamp<int64_t>(state.dataSetRecords[static_cast<size_t>(set)][0], 0,
                                               state.recordLength);
    samples.first = offset;
    samples.count = state.recordLength - offset;
    samples.triggerSample = offset + view.triggerCursor;
    samples.periodPs = std::max<int64_t>(1, std::llround(state.samplePeriodPs));
    for (size_t n = 0; n < interop::kChannels; ++n)
        samples.channelNames[n] = state.channelNames[n];
    const TrackTable &tracks = state.tracks[static_cast<size_t>(state.currentView)];
    std::vector<bool> added(kGroups, false);
    for (size_t row = 0; row < kShownTracks; ++row) {
        const int g = tracks.content[row];
        if (tracks.off[row] || g >= kGroups || added[static_cast<size_t>(g)]) continue;
        added[static_cast<size_t>(g)] = true;
        interop::SampleSet::Group group;
        group.name = state.groups.name[static_cast<size_t>(g)];
        const int top = std::clamp(state.groups.topBit[static_cast<size_t>(g)], 0, 31);
        for (int i = 0; i <= top; ++i)
            group.channels.push_back(state.groups.bitMap[static_cast<size_t>(g * 32 + i)]);
        samples.groups.push_back(group);
    }
    return samples;
}

void takeImport(ProgramState &state, const interop::VcdImport &file) {
    const int set = state.views[static_cast<size_t>(state.currentView)].dataSet;
    for (int p = 0; p < 3; ++p) {
        const auto &plane = file.planes[static_cast<size_t>(p)];
        std::copy(plane.begin(), plane.end(), state.capture.plane(set, p));
    }
    state.dataSetRecords[static_cast<size_t>(set)][0] = 0;
}

std::string importNotes(const ProgramState &state, const interop::VcdImport &file) {
    std::string notes;
    const auto add = [&](const std::string &line) { notes += (notes.empty() ? "" : "\n") + line; };
    const auto list = [](const std::vector<std::string> &names) {
        std::string text;
        for (size_t i = 0; i < names.size(); ++i)
            text += (i ? ", " : "") + names[i];
        return text;
    };
    if (!file.unmapped.empty())
        add("Signals that no channel is named like, left out: " + list(file.unmapped) + ".");
    std::vector<std::string> missing;
    for (size_t n = 0; n < interop::kChannels; ++n) {
        if (!file.matched[n]) missing.push_back(state.channelNames[n]);
    }
    if (!missing.empty())
        add("Channels the file has no signal for, set to 0: " + list(missing) + ".");
    if (file.unknownValues) add("Unknown (x) and high-impedance (z) values were taken as 0.");
    if (file.droppedSamples > 0) {
        add("The file holds " + std::to_string(file.fileSamples) + " samples; the " +
            std::to_string(file.droppedSamples) + " after the record's " +
            std::to_string(state.recordLength) + " were left out.");
    } else if (file.fileSamples < state.recordLength) {
        add("The file holds " + std::to_string(file.fileSamples) + " samples; the rest of the " +
            std::to_string(state.recordLength) + "-sample record keeps its last values.");
    }
    return notes;
}

}  // namespace kv::app
