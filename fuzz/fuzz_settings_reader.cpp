// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the settings reader on arbitrary text. Built with clang when
// KV_FUZZ=ON; scripts/fuzz builds and runs it:
//   scripts/fuzz 600
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static kv::app::ProgramState *state = [] {
        auto *s = new kv::app::ProgramState;
        s->setDefaultTables();
        return s;
    }();
    kv::app::WindowMarks marks;
    const std::string text(reinterpret_cast<const char *>(data), size);
    kv::app::readSettings(text, size % 2 == 0, *state, marks);
    return 0;
}
