// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/program_state.h"

#include "core/number_format.h"

namespace kv::app {

void ProgramState::setDefaultTables() {
    groups.setDefaults();
    for (int n = 0; n < kTracks; ++n) {
        channelNames[static_cast<size_t>(n)] = "Chan D" + withSignBlank(n);
    }
    for (TrackTable &t : tracks)
        t.setDefaults(channelNames, groups);
    colours.setDefaults();
}

}  // namespace kv::app
