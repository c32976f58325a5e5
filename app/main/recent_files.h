// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace kv::app {

// The recent data files of File > Recent data files: the most recent first, at most eight,
// kept in a small file of their own beside the settings file.
inline constexpr size_t kRecentLimit = 8;
inline constexpr const char *kRecentListName = "KV6830-recent.txt";

// The list after `path` was opened or saved: it comes first, an earlier place of the same
// name goes, and the list keeps its first eight. A name that a line of the list file
// cannot hold (empty, or with a line break) leaves the list as it was.
std::vector<std::string> recentWith(std::vector<std::string> list, const std::string &path);
std::vector<std::string> recentWithout(std::vector<std::string> list, const std::string &path);

// The list file: one name a line. Reading skips empty lines, names that are not absolute
// and repeated names, and keeps the first eight.
std::string recentListText(const std::vector<std::string> &list);
std::vector<std::string> parseRecentList(const std::string &text);

// A missing or unreadable list file reads as an empty list.
std::vector<std::string> loadRecentList(const std::string &path);
// Written whole or not at all (the platform's file writer).
platform::WriteOutcome saveRecentList(const std::string &path,
                                      const std::vector<std::string> &list);

}  // namespace kv::app
