// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/program_state.h"

namespace kv::app {

// The busy flag while a window sets its own controls: the handlers that those settings
// fire see 33 and do nothing.
class SetupBusy {
  public:
    explicit SetupBusy(ProgramState &state, uint8_t value = 33)
        : m_state(state), m_previous(state.busy) {
        m_state.busy = value;
    }
    ~SetupBusy() { m_state.busy = m_previous; }
    SetupBusy(const SetupBusy &) = delete;
    SetupBusy &operator=(const SetupBusy &) = delete;

  private:
    ProgramState &m_state;
    uint8_t m_previous;
};

}  // namespace kv::app
