// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: loading a data file with its companion settings file, as the Load
// Data command does, on arbitrary file contents. Built with clang when KV_FUZZ=ON:
//   scripts/fuzz 600 data_load
// Input: one byte of choices (bits 0..2 the planes to load, bit 3 the memory depth in
// effect, bit 4 no companion file), three bytes of companion length (little-endian), the
// companion text, then the data file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/data_files.h"
#include "core/settings_file.h"
#include "data_file.h"

namespace {

const std::string &folder() {
    static const std::string dir = [] {
        char name[] = "/tmp/kv-fuzz-load-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        return std::string(name);
    }();
    return dir;
}

void put(const std::string &path, const uint8_t *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    static kv::app::ProgramState *state = [] {
        auto *s = new kv::app::ProgramState;
        s->setDefaultTables();
        return s;
    }();
    static std::vector<uint8_t> planes[3] = {
        std::vector<uint8_t>(131072), std::vector<uint8_t>(131072), std::vector<uint8_t>(131072)};
    const uint8_t choices = data[0];
    size_t companionSize = data[1] | (size_t{data[2]} << 8) | (size_t{data[3]} << 16);
    data += 4;
    size -= 4;
    if (companionSize > size) companionSize = size;
    const std::string dataPath = folder() + "/run.osv";
    const std::string companion = kv::app::companionName(dataPath);
    if (choices & 0x10)
        ::unlink(companion.c_str());
    else
        put(companion, data, companionSize);
    put(dataPath, data + companionSize, size - companionSize);
    const uint8_t *file = data + companionSize;
    const size_t fileSize = size - companionSize;

    const int depth = kv::app::settingsFileDepth(companion).value_or((choices >> 3) & 1);
    const int32_t length = kv::app::dataRecordLength(depth);
    if (kv::app::dataFileProblem(dataPath, length)) return 0;
    // A file that passed the check is ten records long and loads whole.
    if (fileSize != static_cast<size_t>(length) * 10) std::abort();
    kv::app::WindowMarks marks;
    kv::app::loadSettingsFile(companion, false, *state, marks);
    const std::array<bool, 3> which = {(choices & 1) != 0, (choices & 2) != 0, (choices & 4) != 0};
    const std::array<uint8_t *, 3> targets = {planes[0].data(), planes[1].data(), planes[2].data()};
    if (!kv::app::loadDataRecords(dataPath, length, which, targets, kv::render::loadDataRecord))
        std::abort();
    for (size_t k = 0; k < 3; ++k) {
        if (which[k] && std::memcmp(planes[k].data(), file + k * static_cast<size_t>(length),
                                    static_cast<size_t>(length)) != 0) {
            std::abort();
        }
    }
    return 0;
}
