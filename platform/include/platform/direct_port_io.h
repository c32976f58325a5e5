// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "platform/port_io.h"

namespace kv::platform {

// Port instructions straight from user mode, for a process that may use them (root on
// x86). Returns null where the permission cannot be had.
std::unique_ptr<PortIo> makeDirectPortIo();

}  // namespace kv::platform
