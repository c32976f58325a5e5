// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "core/program_state.h"

namespace kv::app {

inline constexpr int kEditedChannels = 24;

// What the Channel / State / Timing Edit window changes in the program tables: channel
// names, what each track of a view shows and how, and the state columns. No widgets.

// Items of the track content list: the 30 group names, then the names of channels 0 to 23.
std::vector<std::string> trackContentItems(const ProgramState &state);

void renameChannel(ProgramState &state, int channel, const std::string &name);

// The user chose item `item` of the track content list for a track of a view: a group
// track is named after its group, a channel track after its channel.
void chooseTrackContent(ProgramState &state, int view, int track, int item);

// Whether a track shows a channel (and so has a name of its own that the user may edit).
bool showsChannel(const ProgramState &state, int view, int track);

void setTrackName(ProgramState &state, int view, int track, const std::string &name);
void setTrackHeight(ProgramState &state, int view, int track, int heightCode);
void setTrackOff(ProgramState &state, int view, int track, bool off);
void setStateColumnGroup(ProgramState &state, int view, int column, int group);
void setStateColumnOff(ProgramState &state, int view, int column, bool off);

// Captions of the window: numbers with one leading blank for the sign.
std::string viewFrameCaption(int view);      // "Timing View 1" for view 0
std::string channelCaption(int channel);     // "B1 Ch 0"
std::string stateColumnCaption(int column);  // "State 0"
std::string trackCaption(int track);         // "Timing Track 0"

}  // namespace kv::app
