// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the VCD reader of Import VCD on arbitrary files. Built with clang when
// KV_FUZZ=ON:
//   scripts/fuzz 600 vcd_reader
// Input: one byte of choices (bits 0..2 the sample period, bit 3 the memory depth), then
// the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "interop/vcd_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    static const int64_t kPeriods[8] = {2500,      10000,         20000,   100000,
                                        1'000'000, 1'000'000'000, 5000000, 1'000'000'000'000};
    const int64_t period = kPeriods[data[0] & 7];
    const int64_t length = (data[0] & 8) ? 131072 : 2048;
    std::istringstream in(std::string(reinterpret_cast<const char *>(data + 1), size - 1));
    const kv::interop::VcdImport file =
        kv::interop::readVcd(in, kv::interop::defaultChannelNames(), period, length);
    if (!file.ok) {
        if (file.error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    for (const auto &plane : file.planes) {
        if (static_cast<int64_t>(plane.size()) != length) std::abort();
    }
    if (file.fileSamples < 0 || file.droppedSamples < 0 || file.droppedSamples > file.fileSamples)
        std::abort();
    return 0;
}
