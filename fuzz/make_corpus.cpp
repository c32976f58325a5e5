// Writes the seed corpus: settings files as the writer produces them.
#include <fstream>
#include <string>

#include "main/settings_file.h"

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? argv[1] : "corpus";
    kv::app::ProgramState s;
    s.setDefaultTables();
    kv::app::WindowMarks w;
    std::ofstream(dir + "/default.ini", std::ios::binary) << kv::app::writeSettings(s, w);
    s.autoSaveSetting = 1;
    s.settings.memoryDepthIndex = 1;
    s.views[0].cursorA = 12345;
    s.groups.name[3] = "bus,with comma";
    w.viewOpen[2] = true;
    std::ofstream(dir + "/changed.ini", std::ios::binary) << kv::app::writeSettings(s, w);
    return 0;
}
