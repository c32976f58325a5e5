// SPDX-License-Identifier: GPL-3.0-or-later
// Annotations as text and as CSV.
#include "decode/annotation_writers.h"

#include <algorithm>

#include "interop/time_scale.h"

namespace kv::decode {

namespace {

const RowName *rowName(const DecodeResult &result, const Annotation &a) {
    for (const auto &r : result.rows)
        if (r.decoder == a.decoder && r.row == a.row) return &r;
    return nullptr;
}

}  // namespace

const std::string &Annotation::text() const {
    static const std::string none;
    return texts.empty() ? none : texts.front();
}

std::string csvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void writeAnnotationsText(std::ostream &out, const DecodeResult &result) {
    int top = 0;
    for (const auto &r : result.rows)
        top = std::max(top, r.decoder);
    for (const auto &a : result.annotations) {
        if (a.decoder != top) continue;
        const RowName *row = rowName(result, a);
        out << (row ? row->decoderId : std::string()) << ": " << a.text() << '\n';
    }
}

void writeAnnotationsCsv(std::ostream &out, const DecodeResult &result, int64_t triggerSample,
                         int64_t periodPs) {
    out << "Time (s),End (s),Decoder,Row,Text\n";
    for (const auto &a : result.annotations) {
        const RowName *row = rowName(result, a);
        out << interop::secondsText((a.start - triggerSample) * periodPs) << ','
            << interop::secondsText((a.end - triggerSample) * periodPs) << ','
            << csvField(row ? row->decoderId : std::string()) << ','
            << csvField(row ? row->title : std::string()) << ',' << csvField(a.text()) << '\n';
    }
}

}  // namespace kv::decode
