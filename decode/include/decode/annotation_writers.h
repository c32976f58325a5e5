// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "decode/annotation.h"

namespace kv::decode {

// The annotations as the decoding library's own command-line front end prints them by
// default: one line "<decoder>: <longest text>" per annotation, in output order, of the
// top decoder of the stack only.
void writeAnnotationsText(std::ostream &out, const DecodeResult &result);

// A CSV table: "Time (s)","End (s)","Decoder","Row","Text"; times in seconds from the
// trigger sample, samples `periodPs` picoseconds apart; texts quoted where they must be.
void writeAnnotationsCsv(std::ostream &out, const DecodeResult &result, int64_t triggerSample,
                         int64_t periodPs);

// A CSV field: quoted (quotes doubled) when it holds a comma, a quote or a line break.
std::string csvField(const std::string &text);

}  // namespace kv::decode
