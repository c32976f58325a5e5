// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of fuzz_data_load: data files and companion settings files as
// the program's own writers produce them, packed in the target's input layout.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/data_files.h"
#include "core/settings_file.h"
#include "data_file.h"

namespace {

std::string dataFileText(int depthIndex, uint8_t seed) {
    const int32_t length = kv::app::dataRecordLength(depthIndex);
    std::vector<uint8_t> store(static_cast<size_t>(kv::render::kRowStride) * 10);
    for (size_t i = 0; i < store.size(); ++i)
        store[i] = static_cast<uint8_t>(i * 7 + seed);
    const std::string path = "/tmp/kv-corpus-" + std::to_string(::getpid()) + ".osv";
    if (kv::render::saveDataFile(store.data(), length, path.c_str()) != 0) return {};
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    ::unlink(path.c_str());
    return text;
}

void seed(const std::string &dir, const std::string &name, uint8_t choices,
          const std::string &companion, const std::string &data) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    const size_t n = companion.size();
    out.put(static_cast<char>(choices));
    out.put(static_cast<char>(n & 0xFF));
    out.put(static_cast<char>((n >> 8) & 0xFF));
    out.put(static_cast<char>((n >> 16) & 0xFF));
    out << companion << data;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? argv[1] : "corpus";
    kv::app::ProgramState s;
    s.setDefaultTables();
    kv::app::WindowMarks w;
    const std::string settings2k = kv::app::writeSettings(s, w);
    w.memoryBarValue = 1;
    s.settings.memoryDepthIndex = 1;
    const std::string settings128k = kv::app::writeSettings(s, w);
    const std::string data2k = dataFileText(0, 1);
    seed(dir, "all-planes-2k", 0x07, settings2k, data2k);
    seed(dir, "plane-1-no-companion", 0x12, "", dataFileText(0, 9));
    seed(dir, "companion-128k-data-2k", 0x05, settings128k, data2k);
    seed(dir, "other-model", 0x07, "Model=KV9999\r\nAutoSavesetting= 1 \r\n", data2k);
    seed(dir, "short-data", 0x17, "", data2k.substr(0, 3000));
    return 0;
}
