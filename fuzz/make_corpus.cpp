// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora with the program's own writers: make_fuzz_corpus <corpus folder>
// fills <corpus folder>/<target>/ for each fuzz target.
#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings_file.h"

namespace {

void settingsReader(const std::filesystem::path &dir) {
    kv::app::ProgramState s;
    s.setDefaultTables();
    kv::app::WindowMarks w;
    std::ofstream(dir / "default.ini", std::ios::binary) << kv::app::writeSettings(s, w);
    s.autoSaveSetting = 1;
    s.settings.memoryDepthIndex = 1;
    s.views[0].cursorA = 12345;
    s.groups.name[3] = "bus,with comma";
    w.viewOpen[2] = true;
    std::ofstream(dir / "changed.ini", std::ios::binary) << kv::app::writeSettings(s, w);
}

}  // namespace

int main(int argc, char **argv) {
    const std::filesystem::path root = argc > 1 ? argv[1] : "fuzz/corpus";
    const auto target = [&](const char *name) {
        std::filesystem::create_directories(root / name);
        return root / name;
    };
    settingsReader(target("settings_reader"));
    return 0;
}
