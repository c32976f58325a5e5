// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv::app {

// Where Help > Help Topics looks for manual.htm, in order: beside the program (the build
// tree), where the package installs it (../share/doc/kv6830 from the program's folder),
// and the start-up directory.
std::vector<std::string> manualPlaces(const std::string &programDirectory,
                                      const std::string &startupDirectory);

// The first of the places that holds the manual.
std::optional<std::string> findManual(const std::string &programDirectory,
                                      const std::string &startupDirectory);

}  // namespace kv::app
