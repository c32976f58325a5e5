// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::decode {

// One annotation a decoder put out: the sample range it covers, which decoder of the stack
// said it, its class and row within that decoder, and its texts, longest first.
struct Annotation {
    int64_t start = 0;  // first sample
    int64_t end = 0;    // one past the last sample
    int decoder = 0;    // index in the stack, bottom decoder first
    int annClass = 0;
    int row = 0;  // index into that decoder's rows
    std::vector<std::string> texts;

    const std::string &text() const;  // the longest text ("" when there is none)
};

// A decoder row as the views show it: which decoder of the stack, and its row there.
struct RowName {
    int decoder = 0;
    int row = 0;
    std::string decoderId;  // the instance name the decoder's output carries ("uart")
    std::string title;      // "UART: RX data"
};

// What one decoding run gives back.
struct DecodeResult {
    std::vector<Annotation> annotations;  // in the order the decoders put them out
    std::vector<RowName> rows;            // every row of every decoder of the stack
    std::string error;                    // empty on success; else names the decoder
    bool cancelled = false;
};

}  // namespace kv::decode
