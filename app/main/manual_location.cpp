// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/manual_location.h"

#include <sys/stat.h>

namespace kv::app {

std::vector<std::string> manualPlaces(const std::string &programDirectory,
                                      const std::string &startupDirectory) {
    return {programDirectory + "/manual.htm", programDirectory + "/../share/doc/kv6830/manual.htm",
            startupDirectory + "/manual.htm"};
}

std::optional<std::string> findManual(const std::string &programDirectory,
                                      const std::string &startupDirectory) {
    for (const std::string &place : manualPlaces(programDirectory, startupDirectory)) {
        struct stat info {};
        if (::stat(place.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return place;
    }
    return std::nullopt;
}

}  // namespace kv::app
