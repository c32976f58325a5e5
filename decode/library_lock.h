// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>

namespace kv::decode {

// The decoding library keeps process-wide state: one caller at a time.
std::mutex &libraryLock();

}  // namespace kv::decode
