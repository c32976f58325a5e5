// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/channel_model.h"

#include <algorithm>

#include "core/number_format.h"

namespace kv::app {
namespace {

TrackTable *tracksOf(ProgramState &state, int view, int track) {
    if (view < 0 || view >= kMaxViews || track < 0 || track >= kTracks) return nullptr;
    return &state.tracks[static_cast<size_t>(view)];
}

}  // namespace

std::vector<std::string> trackContentItems(const ProgramState &state) {
    std::vector<std::string> items(state.groups.name.begin(), state.groups.name.end());
    for (int c = 0; c < kEditedChannels; ++c)
        items.push_back(state.channelNames[static_cast<size_t>(c)]);
    return items;
}

void renameChannel(ProgramState &state, int channel, const std::string &name) {
    if (channel < 0 || channel >= kTracks) return;
    state.channelNames[static_cast<size_t>(channel)] = name;
}

void chooseTrackContent(ProgramState &state, int view, int track, int item) {
    TrackTable *t = tracksOf(state, view, track);
    if (!t || item < 0 || item >= kGroups + kEditedChannels) return;
    const auto j = static_cast<size_t>(track);
    t->content[j] = static_cast<uint8_t>(item);
    t->name[j] = item < kGroups ? state.groups.name[static_cast<size_t>(item)]
                                : state.channelNames[static_cast<size_t>(item - kGroups)];
}

bool showsChannel(const ProgramState &state, int view, int track) {
    if (view < 0 || view >= kMaxViews || track < 0 || track >= kTracks) return false;
    return state.tracks[static_cast<size_t>(view)].content[static_cast<size_t>(track)] >= kGroups;
}

void setTrackName(ProgramState &state, int view, int track, const std::string &name) {
    if (TrackTable *t = tracksOf(state, view, track)) t->name[static_cast<size_t>(track)] = name;
}

void setTrackHeight(ProgramState &state, int view, int track, int heightCode) {
    if (TrackTable *t = tracksOf(state, view, track))
        t->height[static_cast<size_t>(track)] = static_cast<uint8_t>(std::clamp(heightCode, 0, 5));
}

void setTrackOff(ProgramState &state, int view, int track, bool off) {
    if (TrackTable *t = tracksOf(state, view, track)) t->off[static_cast<size_t>(track)] = off;
}

void setStateColumnGroup(ProgramState &state, int view, int column, int group) {
    if (view < 0 || view >= kMaxViews || column < 0 || column >= kStateColumns) return;
    state.tracks[static_cast<size_t>(view)].stateGroup[static_cast<size_t>(column)] =
        std::clamp(group, 0, kGroups - 1);
}

void setStateColumnOff(ProgramState &state, int view, int column, bool off) {
    if (view < 0 || view >= kMaxViews || column < 0 || column >= kStateColumns) return;
    state.tracks[static_cast<size_t>(view)].stateOff[static_cast<size_t>(column)] = off ? 1 : 0;
}

std::string viewFrameCaption(int view) {
    return "Timing View" + withSignBlank(view + 1);
}

std::string channelCaption(int channel) {
    return "B1 Ch" + withSignBlank(channel);
}

std::string stateColumnCaption(int column) {
    return "State" + withSignBlank(column);
}

std::string trackCaption(int track) {
    return "Timing Track" + withSignBlank(track);
}

}  // namespace kv::app
