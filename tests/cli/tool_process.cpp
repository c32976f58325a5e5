// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char **environ;

namespace kvtest {

ToolResult runTool(const std::vector<std::string> &arguments, const std::string &simulate,
                   const std::string &folder, const std::string &tool) {
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, "KV6830_SIMULATE=", 16) != 0) env.emplace_back(*e);
    }
    if (!simulate.empty()) env.push_back("KV6830_SIMULATE=" + simulate);
    std::vector<char *> envp, argv;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = tool;
    argv.push_back(program.data());
    std::vector<std::string> args = arguments;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Outputs go to files: a pipe could fill while the tool runs.
    const std::string outPath =
        folder + "/../" + std::filesystem::path(folder).filename().string() + ".out";
    const std::string errPath = outPath + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    ToolResult r;
    pid_t pid = 0;
    if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = readAll(outPath);
    r.err = readAll(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return r;
}

std::string freshFolder(const std::string &name) {
    const auto base =
        std::filesystem::temp_directory_path() / ("kv6830-cli-" + std::to_string(::getpid()));
    const auto folder = base / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::vector<std::string> folderNames(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kvtest
