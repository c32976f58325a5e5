// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace kvtest {

struct ToolResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs kv6830-capture with the arguments in `folder`, KV6830_SIMULATE set to `simulate`
// (unset when empty), standard input empty and both outputs captured.
ToolResult runTool(const std::vector<std::string> &arguments, const std::string &simulate,
                   const std::string &folder, const std::string &tool = KV_CAPTURE_TOOL);

// A fresh empty folder under the test's temporary folder.
std::string freshFolder(const std::string &name);
// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string &folder);
std::string readAll(const std::string &path);

}  // namespace kvtest
