// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/recent_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kv::app {
namespace {

bool fitsALine(const std::string &path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

std::vector<std::string> recentWith(std::vector<std::string> list, const std::string &path) {
    if (!fitsALine(path)) return list;
    list = recentWithout(std::move(list), path);
    list.insert(list.begin(), path);
    if (list.size() > kRecentLimit) list.resize(kRecentLimit);
    return list;
}

std::vector<std::string> recentWithout(std::vector<std::string> list, const std::string &path) {
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
    return list;
}

std::string recentListText(const std::vector<std::string> &list) {
    std::string text;
    for (const std::string &path : list)
        text += path + "\n";
    return text;
}

std::vector<std::string> parseRecentList(const std::string &text) {
    std::vector<std::string> list;
    std::istringstream in(text);
    std::string line;
    while (list.size() < kRecentLimit && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() != '/') continue;
        if (std::find(list.begin(), list.end(), line) != list.end()) continue;
        list.push_back(line);
    }
    return list;
}

std::vector<std::string> loadRecentList(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parseRecentList(text.str());
}

platform::WriteOutcome saveRecentList(const std::string &path,
                                      const std::vector<std::string> &list) {
    const std::string text = recentListText(list);
    return platform::replaceFile(path, {{text.data(), text.size()}});
}

}  // namespace kv::app
