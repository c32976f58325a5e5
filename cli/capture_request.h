// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decode/setup.h"

namespace kv::cli {

// What a file written after each capture holds, chosen by its extension.
enum class OutputKind {
    Data,  // .osv: the data file, with its settings companion (.cfg)
    Vcd,   // .vcd: value change dump
    Csv,   // .csv: one row per sample
    Text,  // .txt: the text table
};

struct OutputFile {
    std::string path;
    OutputKind kind = OutputKind::Data;
};

// Everything the command line asks for, checked: the values are the program's own codes.
struct CaptureRequest {
    bool list = false;  // only list the units found
    uint8_t rateCode = 4;
    uint8_t depthIndex = 0;  // 0 "2k", 1 "128k"
    uint8_t thresholdCode = 32;
    std::string triggerWord = "XXXXXXXX XXXXXXXX XXXXXXXX";
    uint8_t slope = 0;  // 0: trigger when the word becomes true, 1: when it stops being true
    int32_t triggerPosition = 60;
    uint8_t clockSource = 0;  // 0 internal, 1 external rising, 2 external falling
    int count = 1;
    int timeoutMs = 10000;
    bool forceOnTimeout = false;
    std::vector<OutputFile> outputs;
    bool vcdChannelsOnly = false;  // .vcd files without the group vectors
    // Protocol decoders run over each capture, and where their annotations go: a .txt
    // (as the decoding library's own front end prints them) or .csv file, numbered like the
    // outputs; standard output in the text form when no file is given.
    std::vector<decode::DecoderStack> decoders;
    std::string annotations;
};

// The rate code of a rate as the Parameters window lists it ("1MSa(1us)"), by its sample
// rate alone ("1MSa") or by its period ("1us"); letter case does not matter.
std::optional<uint8_t> rateCodeOf(const std::string &text);
// The threshold code of a voltage ("1.4", "1.4V", "-200mV"): 50 mV steps from -1 V to 3 V.
std::optional<uint8_t> thresholdCodeOf(const std::string &text);
// The trigger word in the program's form (D23 first, groups of eight joined by blanks) from
// 24 characters "0", "1" or "X" (any case), with blanks or '_' anywhere between them.
std::optional<std::string> triggerWordOf(const std::string &text);
// The kind of file a name asks for, by its extension.
std::optional<OutputKind> outputKindOf(const std::string &path);
// The name of capture `index` of a series of `count`: the name itself for one capture,
// else the number inserted before the extension ("run.vcd" -> "run-0.vcd", "run-1.vcd").
std::string numberedName(const std::string &path, int index, int count);
// The last trigger position a memory depth allows.
int32_t lastTriggerPosition(uint8_t depthIndex);

}  // namespace kv::cli
