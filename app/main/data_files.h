#pragma once

#include <cstdint>
#include <string>

namespace kv::app {

// The settings file that goes with a data file: its name without the last three
// characters, followed by "cfg".
std::string companionName(const std::string &dataFile);

// The text table of a data set: the header and one line per sample j = i + adjust + 1
// for i = 0 .. recordLength - 1. Positions past `available` samples are written with the
// position and no bytes.
std::string textTable(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                      int32_t recordLength, int32_t adjust, int64_t available);

}  // namespace kv::app
